// One HTTP or HTTPS transfer, run to its end on the calling thread. Only
// http and https are spoken (redirects included); certificates and host
// names are always checked against the system's authorities.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform
{

struct HttpRequest
{
    bool post = false;
    std::string url;
    // Extra header lines ("Name: value").
    std::vector<std::string> headers;
    const void* body = nullptr;
    size_t bodySize = 0;
    // Receives the answer's bytes as they come; false aborts the transfer.
    std::function<bool(const char* data, size_t size)> sink;
    // Connecting may take this long; after that no byte may be missing for
    // longer than idleTimeoutMs.
    uint32_t connectTimeoutMs = 10000;
    uint32_t idleTimeoutMs = 30000;
    // Set from any thread to stop the transfer early.
    const std::atomic<bool>* cancel = nullptr;
};

struct HttpResult
{
    int code = 0;               // libcurl's result: 0 when the exchange completed
    long httpStatus = 0;        // the answer's status line, 0 when none came
    bool idleTimedOut = false;  // ended because nothing came for too long
    bool cancelled = false;     // ended through the cancel flag
};

// Prepares the library for the whole process; later calls do nothing.
// False when it cannot be prepared (every transfer then fails).
bool HttpGlobalInit();
// Releases what HttpGlobalInit took; no transfer may run then.
void HttpGlobalCleanup();

// Runs the transfer. Never throws; failures are in the result.
HttpResult HttpPerform(const HttpRequest& request);

// The library's short text for a result code.
const char* HttpErrorText(int code);

}  // namespace platform
