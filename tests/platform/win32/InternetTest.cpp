// Internet services against a one-shot HTTP server on loopback.
#include "platform/win32/Windows.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Answers one request with a fixed response, then closes.
class OneShotServer {
public:
    explicit OneShotServer(std::string response) : m_response(std::move(response)) {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listener, 1);
        socklen_t length = sizeof address;
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            int client = accept(m_listener, nullptr, nullptr);
            if (client < 0) {
                return;
            }
            char request[4096];
            std::string received;
            while (received.find("\r\n\r\n") == std::string::npos) {
                ssize_t count = recv(client, request, sizeof request, 0);
                if (count <= 0) {
                    break;
                }
                received.append(request, static_cast<size_t>(count));
            }
            m_request = received;
            send(client, m_response.data(), m_response.size(), MSG_NOSIGNAL);
            close(client);
        });
    }
    ~OneShotServer() {
        shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        close(m_listener);
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    const std::string& Request() const { return m_request; }

private:
    std::string m_response;
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
    std::string m_request;
};

TEST(InternetTest, ReadsTheBodyInPieces) {
    std::string image(3000, '\0');
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<char>(i * 7);
    }
    OneShotServer server(
        "HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 3000\r\n\r\n" + image);
    HINTERNET session =
        InternetOpen("Save Image To File", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    HINTERNET url = InternetOpenUrl(session, server.Url("/a.gif").c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(url, nullptr);
    std::string copied;
    char buffer[1024];
    DWORD read = 0;
    int pieces = 0;
    while (InternetReadFile(url, buffer, sizeof buffer, &read) && read > 0) {
        copied.append(buffer, read);
        ++pieces;
    }
    EXPECT_EQ(copied, image);
    EXPECT_EQ(pieces, 3);
    EXPECT_NE(server.Request().find("User-Agent: Save Image To File"), std::string::npos);
    EXPECT_TRUE(InternetCloseHandle(url));
    EXPECT_FALSE(InternetCloseHandle(url));
    EXPECT_FALSE(InternetReadFile(url, buffer, sizeof buffer, &read));
    InternetCloseHandle(session);
}

TEST(InternetTest, FileUrlsAndRefusedConnectionsFail) {
    HINTERNET session = InternetOpen("test", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    EXPECT_EQ(InternetOpenUrl(session, "file:///c:/temp/a%20b.gif", nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_UNRECOGNIZED_SCHEME);
    // A port that was just free: nothing listens there.
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x";
    EXPECT_EQ(InternetOpenUrl(session, url.c_str(), nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
    InternetCloseHandle(session);
}

TEST(InternetTest, StatusCodeOfAnErrorPageAsNumberAndText) {
    OneShotServer server("HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\ngone");
    HINTERNET session = InternetOpen("test", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET url = InternetOpenUrl(session, server.Url("/x").c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(url, nullptr) << "an error page opens like any body";
    DWORD status = 0;
    DWORD length = sizeof status;
    ASSERT_TRUE(HttpQueryInfo(url, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                              &length, nullptr));
    EXPECT_EQ(status, 404u);
    char text[8] = {};
    length = 3;
    EXPECT_FALSE(HttpQueryInfo(url, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, 4u);
    ASSERT_TRUE(HttpQueryInfo(url, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
    EXPECT_EQ(std::string(text), "404");
    EXPECT_EQ(length, 3u);
    EXPECT_FALSE(HttpQueryInfo(session, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    InternetCloseHandle(url);
    InternetCloseHandle(session);
}

} // namespace
