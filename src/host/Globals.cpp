// The host library's process-wide state put back as the program starts
// with it.
#include "host/Globals.h"

#include "host/HostServices.h"
#include "host/Start.h"

void ResetHostGlobals()
{
    GetFrameworkServices() = TFrameworkServices();
    SetStartTrace(nullptr);
}
