// orvelle-psi DESCRIPTION OUTPUT: writes the particle-system file a
// particle description gives (the format is in ParticleDescription.h).
#include <iostream>

#include "psi/ParticleDescription.h"

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::cerr << "usage: orvelle-psi DESCRIPTION.txt OUTPUT.psi\n";
        return 2;
    }
    return RunPsi(argv[1], argv[2], std::cerr);
}
