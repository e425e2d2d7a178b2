// The exit-statistics upload: the play metrics of "user:metrics.txt" posted
// to the statistics server when the program ends.
#pragma once

#include <cstdint>

// Sends "user:metrics.txt" to http://<site>/servlet/exitStats: the whole
// file when it holds at most 65536 bytes, else the whole lines within the
// first 65536 bytes (those bytes themselves when no line ends there). What
// the server took leaves the file (deleted when nothing is left); on any
// failure the file is kept for the next run. Nothing is sent when
// the file is missing or empty, or when no "site" is configured. The wait
// ends after kExitStatsTimeoutMs, so a silent server cannot hold the exit.
void SaveExitStats();

inline constexpr uint32_t kExitStatsTimeoutMs = 10000;
inline constexpr int kExitStatsMaxBytes = 65536;
