// The host library's process-wide state put back as the program starts
// with it.
#include "core/host/Globals.h"

#include "core/host/HostServices.h"
#include "core/host/Start.h"

void ResetCorehostGlobals()
{
    GetFrameworkServices() = TFrameworkServices();
    SetStartTrace(nullptr);
}
