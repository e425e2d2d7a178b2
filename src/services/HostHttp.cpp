// The host's request interface over TSimpleHttp.
#include "services/HostHttp.h"

#include "host/HostServices.h"
#include "services/SimpleHttp.h"

namespace
{

// Long enough for a worker to notice its cancel flag and close its socket.
const uint32_t kShutdownWaitMs = 2000;

class THostHttpLink final : public THostHttp
{
public:
    bool BeginRequest(const TString& url, const TString& outputFile, bool post) override
    {
        cancelled_ = false;
        http_ = std::make_unique<TSimpleHttp>();
        http_->BeginRequest(url.CStr(), post, outputFile.CStr());
        return true;
    }
    void AddParameter(const TString& name, const TString& value) override
    {
        if (http_) http_->AddParameter(name.CStr(), value.CStr());
    }
    void Start() override
    {
        if (http_) http_->Start(1);
    }
    int GetStatus() override
    {
        if (cancelled_ || !http_) return kFailed;
        return http_->GetStatus();
    }
    // The worker is left to end on its own; the owner no longer waits.
    void Cancel() override
    {
        cancelled_ = true;
        http_.reset();
    }

private:
    std::unique_ptr<TSimpleHttp> http_;
    bool cancelled_ = false;
};

}  // namespace

std::unique_ptr<THostHttp> MakeHostHttp()
{
    return std::make_unique<THostHttpLink>();
}

void ShutdownHostHttp()
{
    TSimpleHttp::ShutdownWorkers(kShutdownWaitMs);
}
