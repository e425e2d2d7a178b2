// The HTTP client: requests handed to detached worker threads that share
// their context with the owner, so neither ever waits for the other.
#include "services/SimpleHttp.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/FileNames.h"
#include "core/Log.h"
#include "platform/Http.h"

struct TSimpleHttp::TContext
{
    std::string url;
    std::string outputPath;  // resolved; empty = answer kept in memory
    std::string header;
    std::string body;
    bool post = false;
    int options = 0;
    uint32_t connectTimeoutMs = 0;
    uint32_t idleTimeoutMs = 0;
    std::atomic<int> status{kRunning};
    std::atomic<bool> abandoned{false};
    std::atomic<bool> cancel{false};
    std::string memoryResult;  // worker only
    int64_t received = 0;      // worker only
};

namespace
{

std::atomic<uint32_t> gConnectTimeoutMs{TSimpleHttp::kDefaultConnectTimeoutMs};
std::atomic<uint32_t> gIdleTimeoutMs{TSimpleHttp::kDefaultIdleTimeoutMs};

// The live workers, so program end can cancel and wait for them. Made once
// and never destroyed: a worker may still touch it while statics go away.
struct TWorkerRegistry
{
    std::mutex lock;
    std::condition_variable ended;
    std::set<TSimpleHttp::TContext*> running;
};

TWorkerRegistry& Registry()
{
    static auto* registry = new TWorkerRegistry();
    return *registry;
}

enum class TPath
{
    kHttps,
    kPost,
    kGet
};

TPath ChoosePath(const TSimpleHttp::TContext& context)
{
    if (context.url.compare(0, 6, "https:") == 0) return TPath::kHttps;
    return context.post ? TPath::kPost : TPath::kGet;
}

const char* PathName(TPath path)
{
    switch (path)
    {
        case TPath::kHttps:
            return "HTTPS";
        case TPath::kPost:
            return "POST";
        case TPath::kGet:
            break;
    }
    return "InternetOpenUrl";
}

int Transfer(TSimpleHttp::TContext& context)
{
    TPath path = ChoosePath(context);
    platform::HttpRequest request;
    request.post = context.post;
    request.url = context.url;
    if (path != TPath::kGet)
    {
        request.headers.push_back("Pragma: no-cache");
        if (context.post)
            request.headers.push_back(context.header.empty()
                                          ? "Content-Type: application/x-www-form-urlencoded"
                                          : context.header);
        request.body = context.body.data();
        request.bodySize = context.body.size();
    }
    request.connectTimeoutMs = context.connectTimeoutMs;
    request.idleTimeoutMs = context.idleTimeoutMs;
    request.cancel = &context.cancel;

    // A download goes beside its file and replaces it only once whole, so a
    // failure leaves the old file as it was.
    std::string partPath;
    std::FILE* file = nullptr;
    if (!context.outputPath.empty())
    {
        partPath = context.outputPath + ".part";
        file = std::fopen(partPath.c_str(), "wb");
        if (!file) return TSimpleHttp::kOutputError;
    }
    bool writeFailed = false;
    request.sink = [&](const char* data, size_t size)
    {
        context.received += static_cast<int64_t>(size);
        if (file)
        {
            if (std::fwrite(data, 1, size, file) == size) return true;
            writeFailed = true;
            return false;
        }
        context.memoryResult.append(data, size);
        return true;
    };

    platform::HttpResult result = platform::HttpPerform(request);
    int status = TSimpleHttp::kFailed;
    if (result.code == 0)
    {
        if (result.httpStatus >= 200 && result.httpStatus < 300)
            status = TSimpleHttp::kDone;
        else
            LogPrintf("TSimpleHttp: %s answered HTTP %ld", context.url.c_str(), result.httpStatus);
    }
    else if (writeFailed)
        status = TSimpleHttp::kOutputError;
    else if (result.idleTimedOut)
        LogPrintf("TSimpleHttp: no data from %s for %u ms", context.url.c_str(),
                  context.idleTimeoutMs);
    else if (result.cancelled)
        ;
    else if (result.httpStatus == 0)  // nothing answered
        LogPrintf("Error creating connection (%s) %d", PathName(path), result.code);
    else
        LogPrintf("TSimpleHttp: transfer from %s failed: %s", context.url.c_str(),
                  platform::HttpErrorText(result.code));

    if (file)
    {
        if (std::fclose(file) != 0 && status == TSimpleHttp::kDone)
            status = TSimpleHttp::kOutputError;
        if (status == TSimpleHttp::kDone &&
            std::rename(partPath.c_str(), context.outputPath.c_str()) != 0)
            status = TSimpleHttp::kOutputError;
        if (status != TSimpleHttp::kDone) std::remove(partPath.c_str());
    }
    return status;
}

void RunWorker(std::shared_ptr<TSimpleHttp::TContext> context)
{
    context->status.store(Transfer(*context), std::memory_order_release);
    TWorkerRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.lock);
    registry.running.erase(context.get());
    // The context goes with this thread's reference; the owner may hold
    // another until it drops the request.
    context.reset();
    registry.ended.notify_all();
}

}  // namespace

TSimpleHttp::TSimpleHttp() = default;

TSimpleHttp::~TSimpleHttp()
{
    Abandon();
}

void TSimpleHttp::Abandon()
{
    if (!request_) return;
    request_->abandoned.store(true, std::memory_order_relaxed);
    request_.reset();
}

void TSimpleHttp::BeginRequest(const char* url, bool post, const char* outputPath)
{
    platform::HttpGlobalInit();
    url_ = url ? url : "";
    outputPath_ = outputPath ? outputPath : "";
    post_ = post;
    body_ = "";
    header_ = "";
    firstParameter_ = true;
    Abandon();
}

void TSimpleHttp::AddParameter(const char* name, const char* value)
{
    TString pair = TString(name ? name : "") + "=" + UrlEncode(value);
    if (post_)
    {
        if (!firstParameter_) body_ += '&';
        body_ += pair;
    }
    else
    {
        url_ += firstParameter_ ? '?' : '&';
        url_ += pair;
    }
    firstParameter_ = false;
}

void TSimpleHttp::Start(int options)
{
    Abandon();
    auto context = std::make_shared<TContext>();
    context->url = url_.CStr();
    context->header = header_.CStr();
    context->body = body_.CStr();
    context->post = post_;
    context->options = options;
    context->connectTimeoutMs = gConnectTimeoutMs.load();
    context->idleTimeoutMs = gIdleTimeoutMs.load();
    request_ = context;
    if (!outputPath_.IsEmpty())
    {
        context->outputPath = ResolveFileName(outputPath_, false).CStr();
        if (context->outputPath.empty())
        {
            context->status.store(kOutputError);
            return;
        }
    }
    TWorkerRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.lock);
    try
    {
        std::thread(RunWorker, context).detach();
    }
    catch (const std::system_error& error)
    {
        LogPrintf("TSimpleHttp: cannot start a worker: %s", error.what());
        context->status.store(kFailed);
        return;
    }
    registry.running.insert(context.get());
}

int TSimpleHttp::GetStatus() const
{
    return request_ ? request_->status.load(std::memory_order_acquire) : kFailed;
}

void TSimpleHttp::SetTimeouts(uint32_t connectMs, uint32_t idleMs)
{
    gConnectTimeoutMs.store(connectMs);
    gIdleTimeoutMs.store(idleMs);
}

int TSimpleHttp::GetRunningWorkers()
{
    TWorkerRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.lock);
    return static_cast<int>(registry.running.size());
}

bool TSimpleHttp::ShutdownWorkers(uint32_t waitMs)
{
    TWorkerRegistry& registry = Registry();
    std::unique_lock<std::mutex> lock(registry.lock);
    for (TContext* context : registry.running) context->cancel.store(true);
    bool allEnded = registry.ended.wait_for(lock, std::chrono::milliseconds(waitMs),
                                            [&] { return registry.running.empty(); });
    lock.unlock();
    if (!allEnded)
    {
        LogPrintf("TSimpleHttp: %d request(s) still running at exit", GetRunningWorkers());
        return false;
    }
    platform::HttpGlobalCleanup();
    return true;
}

TString UrlEncode(const char* text)
{
    static const char kReserved[] = " \"#$%&+,/:;<=>?@[\\]^`{|}";
    static const char kHex[] = "0123456789ABCDEF";
    if (!text) return TString();
    std::string out;
    for (const char* p = text; *p; ++p)
    {
        auto byte = static_cast<unsigned char>(*p);
        if (byte >= 0x20 && byte < 0x7F && std::strchr(kReserved, *p) == nullptr)
        {
            out += *p;
            continue;
        }
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    }
    return TString(out.c_str());
}
