// Program entry of the game.
#include <cstdio>

#include "core/Version.h"

int main(int, char**)
{
    std::printf("Orvelle %s\n", GetVersionText());
    return 0;
}
