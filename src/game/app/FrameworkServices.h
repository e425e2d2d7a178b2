// Hands the framework the subsystems this program is built with (sound
// today; the window system, the display handler and the game-state services
// as they arrive). Call once, before StartFramework.
#pragma once

// Fills the framework services: the sound manager (made by
// TApp::StartSound, switched by activation), the sound registrations the
// facade's constructor runs (the Ogg Vorbis data-source builder and the
// asset map's sound loader), and the sound manager's out-of-memory report,
// which reaches the facade's out-of-video-memory handling. Never fails.
void RegisterFrameworkServices();
