// Version constants of the program, compiled in (there is no version resource
// on this platform): the numbers, the product name and the internal name
// that the platform host reads at start-up.
#pragma once

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRelease = 0;
inline constexpr int kVersionBuild = 0;

// The version block's product name: the default of the setting "gamename".
inline constexpr const char* kVersionProductName = "Orvelle";
// The version block's internal name: becomes the setting "buildtag".
inline constexpr const char* kVersionInternalName = "orvelle";

// "major.minor.release.build"; never null.
const char* GetVersionText();
