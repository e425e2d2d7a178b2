// The game's screen: the display mode the game asks for and the frame every
// screen lays itself out in.
#pragma once

#include <cstdint>

inline constexpr int32_t kScreenWidth = 800;
inline constexpr int32_t kScreenHeight = 600;
