// orvelle-synth DESCRIPTION OUTPUT: synthesises the sound a description
// gives into an Ogg Vorbis file (the format is in SynthScore.h).
#include <iostream>

#include "synth/Synth.h"

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::cerr << "usage: orvelle-synth DESCRIPTION.txt OUTPUT.ogg\n";
        return 2;
    }
    return RunSynth(argv[1], argv[2], std::cerr);
}
