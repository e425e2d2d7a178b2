// Entry of every unit-test program: headless defaults first, so a test
// program behaves the same under ctest, the IDE or a plain shell. Values
// already set in the environment win.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_RENDER_DRIVER", "opengl", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
