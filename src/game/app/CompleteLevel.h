// SCompleteLevel: the result of a finished level, handed from the level
// logic to the level screen and the profile.
#pragma once

#include <cstdint>

struct SCompleteLevel
{
    int32_t level = 0;    // level index, 0-based
    int32_t result = -1;  // -1 none; otherwise stored as the level's state
    int32_t income = 0;
    int32_t money = 0;
    int32_t totalMoney = 0;  // handed in as 0; recording a result fills it in
    int32_t coverage = 0;
    int32_t goodsSold = 0;

    bool operator==(const SCompleteLevel&) const = default;
};
