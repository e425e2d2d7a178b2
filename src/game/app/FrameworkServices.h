// Hands the framework the subsystems this program is built with (sound, the
// display handler and the game-state services today; the window system as
// it arrives). Call once, before StartFramework.
#pragma once

// Fills the framework services: the sound manager (made by
// TApp::StartSound, switched by activation), the sound registrations the
// facade's constructor runs (the Ogg Vorbis data-source builder and the
// asset map's sound loader), the sound manager's out-of-memory report,
// which reaches the facade's out-of-video-memory handling, and the
// game-state board with its metrics and module handlers. Never fails.
void RegisterFrameworkServices();
