// Version constants of the program, compiled in (there is no version resource
// on this platform).
#pragma once

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRelease = 0;
inline constexpr int kVersionBuild = 0;

// "major.minor.release.build"
const char* GetVersionText();
