// Process entry of the game: connects the libraries above the app library
// (their window types, the running level and the helper, as they arrive)
// and starts the game.
#include "core/host/CommandLine.h"
#include "game/app/GameMain.h"
#include "game/app/WindowTypes.h"

int main(int argc, char** argv)
{
    TGameSetup setup;
    setup.windowTypes = GetAppWindowTypes();
    return StartGame(JoinCommandLine(argc, argv), setup);
}
