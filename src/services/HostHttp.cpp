// The host's request interface over TSimpleHttp.
#include "services/HostHttp.h"

#include "core/host/HostServices.h"
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
        m_cancelled = false;
        m_http = std::make_unique<TSimpleHttp>();
        m_http->BeginRequest(url.CStr(), post, outputFile.CStr());
        return true;
    }
    void AddParameter(const TString& name, const TString& value) override
    {
        if (m_http) m_http->AddParameter(name.CStr(), value.CStr());
    }
    void Start() override
    {
        if (m_http) m_http->Start(1);
    }
    int GetStatus() override
    {
        if (m_cancelled || !m_http) return kFailed;
        return m_http->GetStatus();
    }
    // The worker is left to end on its own; the owner no longer waits.
    void Cancel() override
    {
        m_cancelled = true;
        m_http.reset();
    }

private:
    std::unique_ptr<TSimpleHttp> m_http;
    bool m_cancelled = false;
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
