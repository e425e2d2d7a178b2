// Hands the framework the subsystems this program is built with (sound
// today; the window system, the display handler and the game-state services
// as they arrive). Call once, before StartFramework.
#pragma once

void RegisterFrameworkServices();
