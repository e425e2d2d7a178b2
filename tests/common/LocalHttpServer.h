// A small HTTP/1.1 server for tests of the HTTP client: it listens on
// 127.0.0.1 at a port the system picks, records every request and answers
// by path through a handler. It serves a bounded number of connections,
// stops by itself after a time limit, and is stopped by its destructor.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testhttp
{

struct Request
{
    std::string method;
    std::string target;                          // path and query
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
};

struct Response
{
    enum class Mode
    {
        kWhole,   // status line, headers and the whole body
        kCut,     // announces the body's length, sends half of it, closes
        kSilent,  // reads the request and never answers
    };
    int status = 200;
    std::string body;
    std::string headers;  // extra header lines, each ending in "\r\n"
    Mode mode = Mode::kWhole;
};

class LocalHttpServer
{
public:
    using Handler = std::function<Response(const Request&)>;

    explicit LocalHttpServer(Handler handler, int maxConnections = 64,
                             std::chrono::seconds lifetime = std::chrono::seconds(60))
        : handler_(std::move(handler)),
          maxConnections_(maxConnections),
          deadline_(std::chrono::steady_clock::now() + lifetime)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 64) != 0)
        {
            ::close(listener_);
            listener_ = -1;
            return;
        }
        socklen_t size = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }

    ~LocalHttpServer() { Stop(); }

    void Stop()
    {
        stop_ = true;
        if (acceptor_.joinable()) acceptor_.join();
        std::vector<std::thread> workers;
        {
            std::lock_guard<std::mutex> lock(lock_);
            workers.swap(workers_);
        }
        for (auto& worker : workers) worker.join();
        if (listener_ >= 0) ::close(listener_);
        listener_ = -1;
    }

    int Port() const { return port_; }
    std::string Url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

    std::vector<Request> Requests() const
    {
        std::lock_guard<std::mutex> lock(lock_);
        return requests_;
    }
    // Waits (bounded) until count requests were read.
    bool WaitForRequests(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until)
        {
            if (Requests().size() >= count) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

private:
    bool Expired() const { return stop_ || std::chrono::steady_clock::now() >= deadline_; }

    void AcceptLoop()
    {
        int served = 0;
        while (!Expired() && served < maxConnections_)
        {
            pollfd wait{listener_, POLLIN, 0};
            if (::poll(&wait, 1, 20) <= 0) continue;
            int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) continue;
            ++served;
            std::lock_guard<std::mutex> lock(lock_);
            workers_.emplace_back([this, client] { Serve(client); });
        }
    }

    // Reads until the predicate holds; false on close, error or expiry.
    bool ReadMore(int client, std::string& data)
    {
        while (!Expired())
        {
            pollfd wait{client, POLLIN, 0};
            int ready = ::poll(&wait, 1, 20);
            if (ready < 0) return false;
            if (ready == 0) continue;
            char chunk[16384];
            ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
            if (got <= 0) return false;
            data.append(chunk, static_cast<size_t>(got));
            return true;
        }
        return false;
    }

    bool ReadRequest(int client, std::string& pending, Request& request)
    {
        size_t headEnd;
        while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos)
            if (!ReadMore(client, pending)) return false;
        std::string head = pending.substr(0, headEnd);
        pending.erase(0, headEnd + 4);
        size_t lineEnd = head.find("\r\n");
        std::string first = head.substr(0, lineEnd);
        size_t space1 = first.find(' ');
        size_t space2 = first.find(' ', space1 + 1);
        request.method = first.substr(0, space1);
        request.target = first.substr(space1 + 1, space2 - space1 - 1);
        size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
        while (pos < head.size())
        {
            size_t end = head.find("\r\n", pos);
            if (end == std::string::npos) end = head.size();
            std::string line = head.substr(pos, end - pos);
            size_t colon = line.find(':');
            if (colon != std::string::npos)
            {
                std::string name = line.substr(0, colon);
                for (char& c : name)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                size_t valueStart = line.find_first_not_of(' ', colon + 1);
                request.headers[name] =
                    valueStart == std::string::npos ? "" : line.substr(valueStart);
            }
            pos = end + 2;
        }
        size_t length = 0;
        auto found = request.headers.find("content-length");
        if (found != request.headers.end()) length = std::stoul(found->second);
        while (pending.size() < length)
            if (!ReadMore(client, pending)) return false;
        request.body = pending.substr(0, length);
        pending.erase(0, length);
        return true;
    }

    void SendAll(int client, const std::string& data)
    {
        size_t sent = 0;
        while (sent < data.size())
        {
            ssize_t n = ::send(client, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
    }

    void Serve(int client)
    {
        std::string pending;
        Request request;
        if (ReadRequest(client, pending, request))
        {
            {
                std::lock_guard<std::mutex> lock(lock_);
                requests_.push_back(request);
            }
            Response response = handler_(request);
            if (response.mode == Response::Mode::kSilent)
            {
                while (!Expired()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            else
            {
                std::string text = "HTTP/1.1 " + std::to_string(response.status) + " Answer\r\n" +
                                   "Content-Length: " + std::to_string(response.body.size()) +
                                   "\r\nConnection: close\r\n" + response.headers + "\r\n";
                if (response.mode == Response::Mode::kCut)
                    text += response.body.substr(0, response.body.size() / 2);
                else
                    text += response.body;
                SendAll(client, text);
            }
        }
        ::shutdown(client, SHUT_RDWR);
        ::close(client);
    }

    Handler handler_;
    int maxConnections_;
    std::chrono::steady_clock::time_point deadline_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptor_;
    mutable std::mutex lock_;
    std::vector<std::thread> workers_;
    std::vector<Request> requests_;
};

}  // namespace testhttp
