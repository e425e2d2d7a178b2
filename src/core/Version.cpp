// Version text of the program.
#include "core/Version.h"

const char* GetVersionText()
{
    return "1.0.0.0";
}
