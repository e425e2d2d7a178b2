// A burst of HTTP requests abandoned at every stage (before the answer,
// while it streams, after it ended) against a server on 127.0.0.1, then
// program-end shutdown: meant for the ThreadSanitizer build.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "common/LocalHttpServer.h"
#include "services/SimpleHttp.h"

using testhttp::LocalHttpServer;
using testhttp::Request;
using testhttp::Response;

namespace
{

const int kRequests = 60;

Response Answer(const Request& request)
{
    Response response;
    if (request.target.find("slow") != std::string::npos)
        response.mode = Response::Mode::kSilent;
    else if (request.target.find("cut") != std::string::npos)
    {
        response.mode = Response::Mode::kCut;
        response.body = std::string(300000, 'x');
    }
    else
        response.body = std::string(100000, 'y');
    return response;
}

}  // namespace

TEST(HttpStressTest, AbandonedBurstThenShutdown)
{
    TSimpleHttp::SetTimeouts(2000, 5000);
    LocalHttpServer server(&Answer, kRequests + 8, std::chrono::seconds(30));
    const char* kinds[] = {"/slow", "/cut", "/whole"};
    std::vector<std::unique_ptr<TSimpleHttp>> kept;
    for (int i = 0; i < kRequests; ++i)
    {
        auto http = std::make_unique<TSimpleHttp>();
        std::string url = server.Url(std::string(kinds[i % 3]) + "?n=" + std::to_string(i));
        http->BeginRequest(url.c_str(), i % 2 == 0, nullptr);
        http->AddParameter("n", std::to_string(i).c_str());
        http->Start(0);
        (void)http->GetStatus();
        if (i % 4 == 0) kept.push_back(std::move(http));  // polled and dropped later
        // else dropped at once, while its worker runs
    }
    for (auto& http : kept) (void)http->GetStatus();
    kept.clear();

    // Program end: every worker is cancelled and ends within the bound,
    // the silent ones included.
    EXPECT_TRUE(TSimpleHttp::ShutdownWorkers(10000));
    EXPECT_EQ(0, TSimpleHttp::GetRunningWorkers());
    TSimpleHttp::SetTimeouts(10000, 30000);
}
