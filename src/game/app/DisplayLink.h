// The display handler as the platform host drives it: makes the SDL device
// and the handler over the host's main window, and answers the host's
// display calls. The program registers it once before start-up:
//   GetFrameworkServices().makeDisplay = &MakeDisplayLink;
//   GetFrameworkServices().destroyDisplay = &DestroyDisplayLink;
// It sits with the program's wiring because it joins graphics to the host,
// and neither library may call the other.
#pragma once

class TAppHost;
class THostDisplay;

// Returns the host's display (owned by the link; null when the host has no
// window).
THostDisplay* MakeDisplayLink(TAppHost& host);
// Releases the display, the handler and the device.
void DestroyDisplayLink();
