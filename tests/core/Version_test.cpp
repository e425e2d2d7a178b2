// The version text built from its four numbers.
#include <gtest/gtest.h>

#include <string>

#include "core/Version.h"

TEST(Version, TextMatchesTheConstants)
{
    std::string expected = std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
                           "." + std::to_string(kVersionRelease) + "." +
                           std::to_string(kVersionBuild);
    EXPECT_EQ(expected, GetVersionText());
}
