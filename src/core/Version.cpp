// Version text of the program.
#include "core/Version.h"

const char* GetVersionText()
{
    static_assert(
        kVersionMajor == 1 && kVersionMinor == 0 && kVersionRelease == 0 && kVersionBuild == 0,
        "update the text below with the constants");
    return "1.0.0.0";
}
