// Entry of every unit-test program: headless defaults first, so a test
// program behaves the same under ctest, the IDE or a plain shell. Values
// already set in the environment win. Before each test, the globals of every
// library the program links go back to how the program starts with them.
#include <gtest/gtest.h>

#include <cstdlib>

// Generated per test folder (orvelle_tests) for the libraries it links.
void ResetLinkedGlobals();

namespace
{

class ResetGlobalsBeforeEachTest : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo&) override { ResetLinkedGlobals(); }
};

}  // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_RENDER_DRIVER", "opengl", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // A new profile asks for full screen; tests stay in their window.
    setenv("ORVELLE_WINDOWED", "1", 0);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetGlobalsBeforeEachTest);
    return RUN_ALL_TESTS();
}
