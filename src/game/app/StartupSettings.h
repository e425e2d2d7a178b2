// The game's start-up settings, stored before the framework starts (the
// children of settings.xml and the command line may override them).
#pragma once

// The preferences file's key.
inline constexpr const char* kGameEncryptionKey = "mirtovexQQQQ";

// Stores publisher, gamename, utf8mode, automergemask, flashmajorversion,
// fixbuttonmask, hittestchildren, animatedparticles and encryptionkey, in
// this order. Never fails.
void ApplyStartupSettings();
