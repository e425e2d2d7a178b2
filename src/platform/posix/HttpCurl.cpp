// HTTP transfers over libcurl: one easy handle per transfer, no shared
// state between threads beyond the process-wide initialisation.
#include <curl/curl.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/Http.h"
#include "platform/Time.h"

namespace platform
{

namespace
{

std::mutex gInitLock;
bool gInitialised = false;
bool gInitFailed = false;

struct TransferState
{
    const HttpRequest* request;
    uint32_t lastByteTick;
    curl_off_t lastReceived = 0;
    curl_off_t lastSent = 0;
    bool connected = false;
    bool idleTimedOut = false;
    bool cancelled = false;
};

size_t OnData(char* data, size_t size, size_t count, void* user)
{
    auto* state = static_cast<TransferState*>(user);
    size_t bytes = size * count;
    state->lastByteTick = GetTickMs();
    if (state->request->sink && !state->request->sink(data, bytes)) return 0;  // write error
    return bytes;
}

// Runs about once a second and on every movement: ends the transfer when
// the owner cancels it or the line has stayed silent too long.
int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent)
{
    auto* state = static_cast<TransferState*>(user);
    const HttpRequest& request = *state->request;
    if (request.cancel && request.cancel->load(std::memory_order_relaxed))
    {
        state->cancelled = true;
        return 1;
    }
    uint32_t now = GetTickMs();
    if (received != state->lastReceived || sent != state->lastSent)
    {
        state->lastReceived = received;
        state->lastSent = sent;
        state->lastByteTick = now;
    }
    if (!state->connected) return 0;  // the connect time-out covers this part
    if (now - state->lastByteTick <= request.idleTimeoutMs) return 0;
    state->idleTimedOut = true;
    return 1;
}

int OnSocketOpen(void* user, curl_socket_t, curlsocktype)
{
    auto* state = static_cast<TransferState*>(user);
    state->connected = true;
    state->lastByteTick = GetTickMs();
    return CURL_SOCKOPT_OK;
}

}  // namespace

bool HttpGlobalInit()
{
    std::lock_guard<std::mutex> lock(gInitLock);
    if (!gInitialised && !gInitFailed)
    {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK)
            gInitialised = true;
        else
            gInitFailed = true;
    }
    return gInitialised;
}

void HttpGlobalCleanup()
{
    std::lock_guard<std::mutex> lock(gInitLock);
    if (!gInitialised) return;
    curl_global_cleanup();
    gInitialised = false;
}

HttpResult HttpPerform(const HttpRequest& request)
{
    HttpResult result;
    if (!HttpGlobalInit())
    {
        result.code = CURLE_FAILED_INIT;
        return result;
    }
    CURL* curl = curl_easy_init();
    if (!curl)
    {
        result.code = CURLE_FAILED_INIT;
        return result;
    }
    TransferState state{&request, GetTickMs()};
    curl_slist* headers = nullptr;
    std::vector<std::string> lines = request.headers;
    // Without this libcurl holds a larger body back for a second, waiting
    // for a go-ahead that simple servers never send.
    if (request.post) lines.push_back("Expect:");
    for (const std::string& line : lines)
    {
        curl_slist* longer = curl_slist_append(headers, line.c_str());
        if (!longer)
        {
            curl_slist_free_all(headers);
            curl_easy_cleanup(curl);
            result.code = CURLE_OUT_OF_MEMORY;
            return result;
        }
        headers = longer;
    }

    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "qvlib");
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    // Signals would reach whichever thread the process happens to run.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
    curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, &OnSocketOpen);
    curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, &state);
    if (headers) curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    if (request.post)
    {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body ? request.body : "");
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.bodySize));
    }

    result.code = static_cast<int>(curl_easy_perform(curl));
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    result.idleTimedOut = state.idleTimedOut;
    result.cancelled = state.cancelled;
    return result;
}

const char* HttpErrorText(int code)
{
    return curl_easy_strerror(static_cast<CURLcode>(code));
}

}  // namespace platform
