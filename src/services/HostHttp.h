// The HTTP client as the platform host uses it (the exit-statistics
// upload). Register with
//   GetFrameworkServices().makeHttp = &MakeHostHttp;
// and call ShutdownHostHttp once the framework has returned.
#pragma once

#include <memory>

class THostHttp;

// A new request object over TSimpleHttp.
std::unique_ptr<THostHttp> MakeHostHttp();

// Cancels the requests still running, waits for them a bounded time and
// releases the transfer library.
void ShutdownHostHttp();
