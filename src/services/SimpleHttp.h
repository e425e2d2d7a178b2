// One HTTP or HTTPS request at a time on a worker thread of its own, with a
// status the owner polls. GET parameters go into the query string, POST
// parameters into a form-encoded body; the answer goes to a file (a logical
// file name) or is kept in memory.
#pragma once

#include <cstdint>
#include <memory>

#include "core/String.h"

class TSimpleHttp
{
public:
    enum Status
    {
        kRunning = 0,
        kDone = 1,         // a 2xx answer arrived whole (and, for a file, is in place)
        kFailed = 2,       // no connection, a refused answer, a time-out or a cut transfer
        kOutputError = 3,  // the output file could not be written
    };

    TSimpleHttp();
    // Abandons the running request; its worker ends on its own.
    ~TSimpleHttp();
    TSimpleHttp(const TSimpleHttp&) = delete;
    TSimpleHttp& operator=(const TSimpleHttp&) = delete;

    // Sets up a new request (parameters and header emptied) and abandons the
    // running one. outputPath null or empty keeps the answer in memory.
    void BeginRequest(const char* url, bool post, const char* outputPath);
    // Appends name=value (the value URL-encoded, the name as it is): to the
    // body of a POST, to the query string of a GET.
    void AddParameter(const char* name, const char* value);
    // Starts the request on a worker thread, abandoning the running one.
    // Bit 0 of options keeps plain GET answers out of a cache; no cache
    // exists here, so no bit changes what is sent.
    void Start(int options);
    // kFailed when nothing was started, else the request's status.
    int GetStatus() const;

    const TString& GetUrl() const { return url_; }
    const TString& GetBody() const { return body_; }

    static constexpr uint32_t kDefaultConnectTimeoutMs = 10000;
    static constexpr uint32_t kDefaultIdleTimeoutMs = 30000;

    // Time limits of requests started later: connecting, then the longest
    // silence while waiting for bytes (the defaults above at start).
    static void SetTimeouts(uint32_t connectMs, uint32_t idleMs);
    // Workers still running (abandoned ones included).
    static int GetRunningWorkers();
    // Program end: cancels every running worker and waits up to waitMs for
    // them to end, then releases the transfer library. False when some did
    // not end in time (the library is then left as it is).
    static bool ShutdownWorkers(uint32_t waitMs);

    struct TContext;

private:
    void Abandon();

    TString url_;
    TString outputPath_;
    TString body_;
    TString header_;
    bool firstParameter_ = true;
    bool post_ = false;
    std::shared_ptr<TContext> request_;
};

// Percent-encodes the bytes a form value cannot carry: the reserved
// punctuation, the blank, control bytes, DEL and every byte from 0x80 (as
// "%XX", upper-case). Null or empty gives "".
TString UrlEncode(const char* text);
