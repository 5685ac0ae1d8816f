// A small HTTP server on 127.0.0.1 for tests and benchmarks: it answers each
// connection with the next of its canned responses, on a thread of its own.
//
//     LoopbackServer server({LoopbackServer::Ok(bytes, "image/gif"),
//                            LoopbackServer::Status(404, "gone")});
//     SaveUrlToFile(server.Url("/logo.gif"), ...);   // gets `bytes`
#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testsupport {

class LoopbackServer {
public:
    // What happens once the responses are used up.
    enum class AfterLast { Close, Repeat };

    explicit LoopbackServer(std::vector<std::string> responses,
                            AfterLast afterLast = AfterLast::Close)
        : m_Responses(std::move(responses)), m_AfterLast(afterLast) {
        m_Socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        bind(m_Socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(m_Socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_Port = ntohs(address.sin_port);
        listen(m_Socket, 8);
        m_Thread = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        shutdown(m_Socket, SHUT_RDWR);
        close(m_Socket);
        m_Thread.join();
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_Port) + path;
    }
    int Requests() const { return m_Requests.load(); }

    static std::string Ok(const std::string& body, const std::string& type) {
        return "HTTP/1.0 200 OK\r\nContent-Type: " + type +
               "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }
    static std::string Status(int code, const std::string& body) {
        return "HTTP/1.0 " + std::to_string(code) +
               " Error\r\nContent-Type: text/html\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\n\r\n" + body;
    }
    // An address on the loopback interface where nothing listens: a port
    // that was bound a moment ago and never listened on.
    static std::string RefusingUrl(const std::string& path) {
        int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = Loopback(0);
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        close(probe);
        return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + path;
    }

private:
    static sockaddr_in Loopback(int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        return address;
    }

    void Serve() {
        for (size_t next = 0;; ++next) {
            int client = accept(m_Socket, nullptr, nullptr);
            if (client < 0) {
                return;
            }
            // The request ends with its blank line.
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                ssize_t n = recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    break;
                }
                request.append(buffer, static_cast<size_t>(n));
            }
            ++m_Requests;
            const std::string* response = nullptr;
            if (next < m_Responses.size()) {
                response = &m_Responses[next];
            } else if (m_AfterLast == AfterLast::Repeat && !m_Responses.empty()) {
                response = &m_Responses.back();
            }
            for (size_t sent = 0; response != nullptr && sent < response->size();) {
                ssize_t n =
                    send(client, response->data() + sent, response->size() - sent, MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<size_t>(n);
            }
            close(client);
        }
    }

    std::vector<std::string> m_Responses;
    AfterLast m_AfterLast;
    int m_Socket = -1;
    int m_Port = 0;
    std::atomic<int> m_Requests = 0;
    std::thread m_Thread;
};

} // namespace testsupport
