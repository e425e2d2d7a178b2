// Process entry of the game: the game's libraries connected by the one
// wiring function, then the game started with them.
#include "game/wiring/GameWiring.h"
#include "host/CommandLine.h"

int main(int argc, char** argv)
{
    TGameSetup setup;
    WireGame(setup);
    return StartGame(JoinCommandLine(argc, argv), setup);
}
