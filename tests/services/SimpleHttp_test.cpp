// The HTTP client against a server on 127.0.0.1 that the test starts: what
// is sent, the statuses of every ending, downloads that keep the old file
// on failure, time-outs, refused and untrusted connections, and requests
// dropped while they run.
#include "services/SimpleHttp.h"

#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/LocalHttpServer.h"
#include "core/FileTestSupport.h"
#include "core/Folders.h"

using testhttp::LocalHttpServer;
using testhttp::Request;
using testhttp::Response;

namespace
{

// Polls the request until it ends (bounded: the client's own time-outs end
// every request well within it).
int WaitForStatus(const TSimpleHttp& http)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (http.GetStatus() == TSimpleHttp::kRunning && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return http.GetStatus();
}

bool WaitForNoWorkers()
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (TSimpleHttp::GetRunningWorkers() != 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return TSimpleHttp::GetRunningWorkers() == 0;
}

// A port on 127.0.0.1 with nothing listening.
int ClosedPort()
{
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(probe);
    return ntohs(address.sin_port);
}

Response AnswerByPath(const Request& request)
{
    Response response;
    const std::string& target = request.target;
    if (target.rfind("/file", 0) == 0)
        response.body = "new contents of the file";
    else if (target.rfind("/cut", 0) == 0)
    {
        response.body = std::string(200000, 'c');
        response.mode = Response::Mode::kCut;
    }
    else if (target.rfind("/missing", 0) == 0)
        response.status = 404;
    else if (target.rfind("/broken", 0) == 0)
        response.status = 500;
    else if (target.rfind("/silent", 0) == 0)
        response.mode = Response::Mode::kSilent;
    else if (target.rfind("/moved", 0) == 0)
    {
        response.status = 302;
        response.headers = "Location: /file\r\n";
    }
    else
        response.body = "ok";
    return response;
}

class SimpleHttpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(tree_ / "user");
        SetUserDataFolder((tree_ / "user").c_str());
    }
    void TearDown() override
    {
        TSimpleHttp::SetTimeouts(10000, 30000);
        SetUserDataFolder("");
    }
    std::string UserFile(const std::string& name) const { return (tree_ / "user" / name).string(); }

    filetest::TempTree tree_;
};

}  // namespace

TEST(UrlEncodeTest, EncodesReservedControlAndHighBytes)
{
    EXPECT_EQ("", std::string(UrlEncode(nullptr).CStr()));
    EXPECT_EQ("", std::string(UrlEncode("").CStr()));
    EXPECT_EQ("%20%22%23%24%25%26%2B%2C%2F%3A%3B%3C%3D%3E%3F%40%5B%5C%5D%5E%60%7B%7C%7D",
              std::string(UrlEncode(" \"#$%&+,/:;<=>?@[\\]^`{|}").CStr()));
    EXPECT_EQ("azAZ09-_.!~*'()", std::string(UrlEncode("azAZ09-_.!~*'()").CStr()));
    // A line break in a GET value would otherwise split the request line.
    EXPECT_EQ("a%0D%0Ab%09%01%7F%80%C3%A9%FF",
              std::string(UrlEncode("a\r\nb\t\x01\x7F\x80\xC3\xA9\xFF").CStr()));
}

TEST(SimpleHttpParametersTest, GetAndPostJoinPairsAndNeverEncodeNames)
{
    TSimpleHttp http;
    EXPECT_EQ(TSimpleHttp::kFailed, http.GetStatus());  // nothing started

    http.BeginRequest("http://127.0.0.1/q", false, nullptr);
    http.AddParameter("first", "a b");
    http.AddParameter("n&m", "x&y");
    EXPECT_STREQ("http://127.0.0.1/q?first=a%20b&n&m=x%26y", http.GetUrl().CStr());
    EXPECT_STREQ("", http.GetBody().CStr());

    http.BeginRequest("http://127.0.0.1/p", true, nullptr);
    http.AddParameter("first", "a b");
    http.AddParameter("second", "x&y");
    EXPECT_STREQ("http://127.0.0.1/p", http.GetUrl().CStr());
    EXPECT_STREQ("first=a%20b&second=x%26y", http.GetBody().CStr());
}

TEST_F(SimpleHttpTest, GetSendsItsQueryAndPostItsFormBody)
{
    LocalHttpServer server(&AnswerByPath);
    TSimpleHttp http;
    http.BeginRequest(server.Url("/ask").c_str(), false, nullptr);
    http.AddParameter("level", "3 4");
    http.Start(1);
    EXPECT_EQ(TSimpleHttp::kDone, WaitForStatus(http));

    http.BeginRequest(server.Url("/send").c_str(), true, nullptr);
    http.AddParameter("game", "orv");
    http.AddParameter("data", "a=1&b=2\n");
    http.Start(0);
    EXPECT_EQ(TSimpleHttp::kDone, WaitForStatus(http));

    std::vector<Request> seen = server.Requests();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("GET", seen[0].method);
    EXPECT_EQ("/ask?level=3%204", seen[0].target);
    EXPECT_EQ("qvlib", seen[0].headers["user-agent"]);
    EXPECT_EQ("POST", seen[1].method);
    EXPECT_EQ("/send", seen[1].target);
    EXPECT_EQ("game=orv&data=a%3D1%26b%3D2%0A", seen[1].body);
    EXPECT_EQ("application/x-www-form-urlencoded", seen[1].headers["content-type"]);
    EXPECT_EQ("qvlib", seen[1].headers["user-agent"]);
}

TEST_F(SimpleHttpTest, DownloadReplacesTheFileOnlyWhenWhole)
{
    LocalHttpServer server(&AnswerByPath);
    filetest::WriteAll(UserFile("got.bin"), "old contents");
    TSimpleHttp http;

    // A transfer cut midway leaves the old file and no partial one.
    http.BeginRequest(server.Url("/cut").c_str(), false, "user:got.bin");
    http.Start(0);
    EXPECT_EQ(TSimpleHttp::kFailed, WaitForStatus(http));
    EXPECT_EQ("old contents", filetest::ReadAll(UserFile("got.bin")));
    EXPECT_FALSE(std::filesystem::exists(UserFile("got.bin.part")));

    // A redirect is followed to the file.
    http.BeginRequest(server.Url("/moved").c_str(), false, "user:got.bin");
    http.Start(0);
    EXPECT_EQ(TSimpleHttp::kDone, WaitForStatus(http));
    EXPECT_EQ("new contents of the file", filetest::ReadAll(UserFile("got.bin")));
    EXPECT_FALSE(std::filesystem::exists(UserFile("got.bin.part")));

    // A folder that does not exist cannot take the file.
    http.BeginRequest(server.Url("/file").c_str(), false, "user:no/such/folder/got.bin");
    http.Start(0);
    EXPECT_EQ(TSimpleHttp::kOutputError, WaitForStatus(http));
}

TEST_F(SimpleHttpTest, RefusedAnswersFail)
{
    LocalHttpServer server(&AnswerByPath);
    filetest::WriteAll(UserFile("page.html"), "kept");
    struct Case
    {
        const char* path;
        bool post;
        const char* output;
    };
    for (const Case& c :
         {Case{"/missing", true, nullptr}, Case{"/broken", true, nullptr},
          Case{"/missing", false, "user:page.html"}, Case{"/broken", false, "user:page.html"}})
    {
        TSimpleHttp http;
        http.BeginRequest(server.Url(c.path).c_str(), c.post, c.output);
        http.Start(0);
        EXPECT_EQ(TSimpleHttp::kFailed, WaitForStatus(http)) << c.path << " post " << c.post;
    }
    EXPECT_EQ("kept", filetest::ReadAll(UserFile("page.html")));
    EXPECT_NE(std::string::npos, tree_.Log().find("answered HTTP 404"));
    EXPECT_NE(std::string::npos, tree_.Log().find("answered HTTP 500"));
}

TEST_F(SimpleHttpTest, SilentServerEndsAfterTheIdleTimeOut)
{
    LocalHttpServer server(&AnswerByPath);
    TSimpleHttp::SetTimeouts(2000, 300);
    TSimpleHttp http;
    http.BeginRequest(server.Url("/silent").c_str(), true, nullptr);
    http.AddParameter("a", "b");
    http.Start(0);
    EXPECT_EQ(TSimpleHttp::kFailed, WaitForStatus(http));
    EXPECT_NE(std::string::npos, tree_.Log().find("no data from"));
}

TEST_F(SimpleHttpTest, RefusedConnectionIsLoggedPerPath)
{
    const std::string base = "127.0.0.1:" + std::to_string(ClosedPort()) + "/x";
    struct Case
    {
        std::string url;
        bool post;
        const char* line;
    };
    for (const Case& c :
         {Case{"http://" + base, true, "Error creating connection (POST) 7"},
          Case{"http://" + base, false, "Error creating connection (InternetOpenUrl) 7"},
          Case{"https://" + base, false, "Error creating connection (HTTPS) 7"}})
    {
        TSimpleHttp http;
        http.BeginRequest(c.url.c_str(), c.post, nullptr);
        http.Start(0);
        EXPECT_EQ(TSimpleHttp::kFailed, WaitForStatus(http)) << c.url;
        EXPECT_NE(std::string::npos, tree_.Log().find(c.line)) << c.line;
    }
}

TEST_F(SimpleHttpTest, OnlyHttpAndHttpsAreSpoken)
{
    for (const char* url : {"ftp://127.0.0.1/x", "file:///etc/hostname", "no url at all"})
    {
        TSimpleHttp http;
        http.BeginRequest(url, false, nullptr);
        http.Start(0);
        EXPECT_EQ(TSimpleHttp::kFailed, WaitForStatus(http)) << url;
    }
}

namespace
{

// A TLS server on 127.0.0.1 with a certificate made here and signed by
// itself: it takes one connection and attempts the handshake.
class SelfSignedServer
{
public:
    SelfSignedServer()
    {
        key_ = EVP_RSA_gen(2048);
        cert_ = X509_new();
        ASN1_INTEGER_set(X509_get_serialNumber(cert_), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert_), 0);
        X509_gmtime_adj(X509_getm_notAfter(cert_), 3600);
        X509_set_pubkey(cert_, key_);
        X509_NAME* name = X509_get_subject_name(cert_);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(cert_, name);
        X509_sign(cert_, key_, EVP_sha256());
        context_ = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate(context_, cert_);
        SSL_CTX_use_PrivateKey(context_, key_);

        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        socklen_t size = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { ServeOne(); });
    }
    ~SelfSignedServer()
    {
        thread_.join();
        ::close(listener_);
        SSL_CTX_free(context_);
        X509_free(cert_);
        EVP_PKEY_free(key_);
    }
    int Port() const { return port_; }
    bool Handshaken() const { return handshaken_; }

private:
    void ServeOne()
    {
        pollfd wait{listener_, POLLIN, 0};
        if (::poll(&wait, 1, 10000) <= 0) return;  // bounded: no client came
        int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) return;
        timeval limit{5, 0};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        SSL* ssl = SSL_new(context_);
        SSL_set_fd(ssl, client);
        handshaken_ = SSL_accept(ssl) == 1;
        if (handshaken_)
        {
            const char answer[] =
                "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
            SSL_write(ssl, answer, sizeof answer - 1);
        }
        SSL_free(ssl);
        ::close(client);
    }

    EVP_PKEY* key_ = nullptr;
    X509* cert_ = nullptr;
    SSL_CTX* context_ = nullptr;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> handshaken_{false};
    std::thread thread_;
};

}  // namespace

TEST_F(SimpleHttpTest, SelfSignedCertificateIsRefused)
{
    SelfSignedServer server;
    TSimpleHttp http;
    http.BeginRequest(("https://127.0.0.1:" + std::to_string(server.Port()) + "/").c_str(), true,
                      nullptr);
    http.AddParameter("a", "b");
    http.Start(2);  // the bit that once let a wrong host name pass changes nothing
    EXPECT_EQ(TSimpleHttp::kFailed, WaitForStatus(http));
    EXPECT_NE(std::string::npos, tree_.Log().find("Error creating connection (HTTPS) 60"));
}

TEST_F(SimpleHttpTest, DroppedRequestNeitherBlocksNorLeaks)
{
    TSimpleHttp::SetTimeouts(2000, 30000);
    {
        LocalHttpServer server(&AnswerByPath, 8, std::chrono::seconds(20));
        {
            TSimpleHttp http;
            http.BeginRequest(server.Url("/silent").c_str(), false, "user:never.bin");
            http.Start(0);
            ASSERT_TRUE(server.WaitForRequests(1));
            // Start abandons the first request for a second one.
            http.BeginRequest(server.Url("/silent").c_str(), true, nullptr);
            http.Start(0);
            ASSERT_TRUE(server.WaitForRequests(2));
            EXPECT_EQ(2, TSimpleHttp::GetRunningWorkers());
        }  // dropped while both wait for an answer
        EXPECT_EQ(2, TSimpleHttp::GetRunningWorkers());
    }  // the server goes: the workers see the close and end on their own
    EXPECT_TRUE(WaitForNoWorkers());
    EXPECT_FALSE(std::filesystem::exists(UserFile("never.bin")));
    EXPECT_FALSE(std::filesystem::exists(UserFile("never.bin.part")));
}
