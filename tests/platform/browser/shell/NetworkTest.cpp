#include "platform/browser/shell/Network.h"

#include "platform/browser/shell/ChromeDocuments.h"
#include "platform/browser/shell/EventQueue.h"
#include "platform/win32/Windows.h"

#include <arpa/inet.h>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using browser::NewURI;

std::string SpecOf(nsIURI* uri) {
    std::string spec;
    if (uri)
        uri->GetSpec(spec);
    return spec;
}

TEST(URI, ResolvesRelativeReferencesAgainstABase) {
    nsCOMPtr<nsIURI> base = NewURI("http://Host.Example:8080/a/b/c.html?q=1#top");
    ASSERT_TRUE(base);
    struct Case {
        const char* relative;
        const char* expected;
    } cases[] = {
        {"d.html", "http://host.example:8080/a/b/d.html"},
        {"../d.html", "http://host.example:8080/a/d.html"},
        {"../../../d.html", "http://host.example:8080/d.html"},
        {"./", "http://host.example:8080/a/b/"},
        {"/x/./y/../z", "http://host.example:8080/x/z"},
        {"?r=2", "http://host.example:8080/a/b/c.html?r=2"},
        {"#sec", "http://host.example:8080/a/b/c.html?q=1#sec"},
        {"//other/p", "http://other/p"},
        {"ftp://f/x", "ftp://f/x"},
        {"", "http://host.example:8080/a/b/c.html?q=1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpecOf(NewURI(c.relative, base)), c.expected) << "relative " << c.relative;
}

TEST(URI, PartsAndMalformedAddresses) {
    nsCOMPtr<nsIURI> uri = NewURI("HTTP://h:81/p?x#r");
    ASSERT_TRUE(uri);
    std::string value;
    uri->GetScheme(value);
    EXPECT_EQ(value, "http");
    uri->GetHost(value);
    EXPECT_EQ(value, "h");
    PRInt32 port = 0;
    uri->GetPort(&port);
    EXPECT_EQ(port, 81);
    uri->GetPath(value);
    EXPECT_EQ(value, "/p?x#r");
    uri->GetRef(value);
    EXPECT_EQ(value, "r");
    PRBool is = PR_FALSE;
    uri->SchemeIs("HTTP", &is);
    EXPECT_TRUE(is);

    EXPECT_FALSE(NewURI("no-scheme.html"));                      // relative without a base
    EXPECT_FALSE(NewURI("http:///nohost"));                      // http needs a host
    EXPECT_FALSE(NewURI("http://h:99999/"));                     // port out of range
    EXPECT_FALSE(NewURI("x.html", NewURI("data:text/plain,a"))); // opaque base
    EXPECT_EQ(SpecOf(NewURI("file:/tmp/a.html")), "file:///tmp/a.html");
    EXPECT_EQ(SpecOf(NewURI("http://h")), "http://h/");
    EXPECT_EQ(browser::FilePathFromURI("file:///tmp/a%20b.html").value_or(""), "/tmp/a b.html");
    EXPECT_EQ(browser::URIFromFilePath("/tmp/a b.html"), "file:///tmp/a%20b.html");
}

// Collects what a channel tells its listener.
class Recorder final : public nsSupportsImpl<Recorder, nsIStreamListener> {
public:
    nsresult OnStartRequest(nsIRequest*, nsISupports*) override {
        log += "start;";
        return NS_OK;
    }
    nsresult OnDataAvailable(nsIRequest*, nsISupports*, nsIInputStream* input, PRUint32 offset,
                             PRUint32 count) override {
        EXPECT_EQ(offset, body.size());
        std::string piece(count, '\0');
        PRUint32 read = 0;
        input->Read(piece.data(), count, &read);
        piece.resize(read);
        body += piece;
        ++pieces;
        return refuse ? NS_ERROR_FAILURE : NS_OK;
    }
    nsresult OnStopRequest(nsIRequest*, nsISupports*, nsresult status) override {
        log += "stop;";
        stopStatus = status;
        stopped = true;
        return NS_OK;
    }
    std::string log;
    std::string body;
    int pieces = 0;
    bool refuse = false;
    bool stopped = false;
    nsresult stopStatus = NS_OK;
};

// Opens `spec` asynchronously and runs the queue until the channel stops.
nsCOMPtr<Recorder> Fetch(const std::string& spec, std::string* contentType = nullptr,
                         bool refuse = false) {
    nsCOMPtr<browser::EventQueue> queue = browser::EventQueue::ForCurrentThread();
    nsCOMPtr<Recorder> recorder(new Recorder);
    recorder->refuse = refuse;
    nsCOMPtr<nsIURI> uri = NewURI(spec);
    EXPECT_TRUE(uri) << spec;
    nsCOMPtr<nsIChannel> channel;
    EXPECT_EQ(browser::NewChannel(uri, getter_AddRefs(channel)), NS_OK);
    if (!channel)
        return recorder;
    EXPECT_EQ(channel->AsyncOpen(recorder, nullptr), NS_OK);
    EXPECT_EQ(recorder->log, "") << "notifications must wait for the event queue";
    DWORD start = GetTickCount();
    while (!recorder->stopped && GetTickCount() - start < 20000)
        queue->WaitAndProcess(100);
    if (contentType)
        channel->GetContentType(*contentType);
    return recorder;
}

TEST(Channel, FileBodyArrivesInPiecesThroughTheQueue) {
    auto path = std::filesystem::temp_directory_path() / "webagent_shell_big.html";
    std::string body(40000, 'x');
    std::ofstream(path, std::ios::binary) << body;
    std::string type;
    auto recorder = Fetch(browser::URIFromFilePath(path.string()), &type);
    EXPECT_EQ(recorder->log, "start;stop;");
    EXPECT_EQ(recorder->stopStatus, NS_OK);
    EXPECT_EQ(recorder->body, body);
    EXPECT_GT(recorder->pieces, 1);
    EXPECT_EQ(type, "text/html");
    std::filesystem::remove(path);
}

TEST(Channel, ListenerRefusingDataCancelsTheTransfer) {
    auto path = std::filesystem::temp_directory_path() / "webagent_shell_refuse.txt";
    std::ofstream(path, std::ios::binary) << std::string(40000, 'y');
    auto recorder = Fetch(browser::URIFromFilePath(path.string()), nullptr, true);
    EXPECT_EQ(recorder->pieces, 1);
    EXPECT_EQ(recorder->stopStatus, NS_ERROR_FAILURE);
    std::filesystem::remove(path);
}

TEST(Channel, FailuresStillEndWithStopAndTheReason) {
    auto missing = Fetch("file:///nonexistent/webagent/none.html");
    EXPECT_EQ(missing->log, "start;stop;");
    EXPECT_EQ(missing->stopStatus, NS_ERROR_FILE_NOT_FOUND);

    auto chrome = Fetch("chrome://nowhere/content/none.xul");
    EXPECT_EQ(chrome->stopStatus, NS_ERROR_FILE_NOT_FOUND);

    auto badData = Fetch("data:text/plain;base64,@@@");
    EXPECT_EQ(badData->stopStatus, NS_ERROR_MALFORMED_URI);

    nsCOMPtr<nsIChannel> channel;
    EXPECT_EQ(browser::NewChannel(NewURI("gopher://h/x"), getter_AddRefs(channel)),
              NS_ERROR_UNKNOWN_PROTOCOL);
}

TEST(Channel, DataAndChromeBodies) {
    std::string type;
    EXPECT_EQ(Fetch("data:text/html,%3Cb%3Ehi%3C/b%3E", &type)->body, "<b>hi</b>");
    EXPECT_EQ(type, "text/html");
    EXPECT_EQ(Fetch("data:;base64,aGVsbG8=", &type)->body, "hello");
    EXPECT_EQ(type, "text/plain");
    auto navigator = Fetch(std::string(browser::kNavigatorURL), &type);
    EXPECT_NE(navigator->body.find("id=\"back-button\""), std::string::npos);
    EXPECT_EQ(type, browser::kXULContentType);
}

// A one-shot HTTP server on the loopback interface.
class LoopbackServer {
public:
    explicit LoopbackServer(std::string response) {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        listen(m_socket, 1);
        m_thread = std::thread([this, response] {
            int client = accept(m_socket, nullptr, nullptr);
            if (client < 0)
                return;
            char buffer[4096];
            (void)!recv(client, buffer, sizeof buffer, 0);
            (void)!send(client, response.data(), response.size(), 0);
            close(client);
        });
    }
    ~LoopbackServer() {
        shutdown(m_socket, SHUT_RDWR);
        close(m_socket);
        m_thread.join();
    }
    int Port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
    std::thread m_thread;
};

TEST(Channel, HttpOnLoopback) {
    LoopbackServer server("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                          "Content-Length: 11\r\n\r\n<p>page</p>");
    std::string type;
    auto recorder = Fetch("http://127.0.0.1:" + std::to_string(server.Port()) + "/x", &type);
    EXPECT_EQ(recorder->log, "start;stop;");
    EXPECT_EQ(recorder->stopStatus, NS_OK);
    EXPECT_EQ(recorder->body, "<p>page</p>");
    EXPECT_EQ(type, "text/html");
}

TEST(Channel, UnreachableAddressEndsWithConnectionRefused) {
    int port;
    {
        // A port that was free a moment ago and has no listener now.
        LoopbackServer server("");
        port = server.Port();
        int poke = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        connect(poke, reinterpret_cast<sockaddr*>(&address), sizeof address);
        close(poke);
    }
    auto recorder = Fetch("http://127.0.0.1:" + std::to_string(port) + "/");
    EXPECT_EQ(recorder->log, "start;stop;");
    EXPECT_EQ(recorder->stopStatus, NS_ERROR_CONNECTION_REFUSED);
}

TEST(Channel, OpenReadsTheWholeBody) {
    nsCOMPtr<nsIChannel> channel;
    ASSERT_EQ(browser::NewChannel(NewURI("data:,abc"), getter_AddRefs(channel)), NS_OK);
    nsCOMPtr<nsIInputStream> input;
    ASSERT_EQ(channel->Open(getter_AddRefs(input)), NS_OK);
    char buffer[8] = {};
    PRUint32 read = 0;
    input->Read(buffer, sizeof buffer, &read);
    EXPECT_EQ(std::string(buffer, read), "abc");
    input->Read(buffer, sizeof buffer, &read);
    EXPECT_EQ(read, 0u);
}

TEST(Channel, HttpChannelsTellTheServersStatusOthersHaveNone) {
    LoopbackServer server("HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\ngone");
    nsCOMPtr<nsIChannel> channel;
    ASSERT_EQ(browser::NewChannel(NewURI("http://127.0.0.1:" + std::to_string(server.Port()) + "/"),
                                  getter_AddRefs(channel)),
              NS_OK);
    nsCOMPtr<nsIHttpChannel> http = do_QueryInterface(channel);
    ASSERT_TRUE(http);
    PRUint32 status = 0;
    EXPECT_EQ(http->GetResponseStatus(&status), NS_ERROR_NOT_AVAILABLE) << "no answer yet";
    nsCOMPtr<nsIInputStream> input;
    ASSERT_EQ(channel->Open(getter_AddRefs(input)), NS_OK) << "an error page is still a body";
    EXPECT_EQ(http->GetResponseStatus(&status), NS_OK);
    EXPECT_EQ(status, 404u);

    nsCOMPtr<nsIChannel> data;
    ASSERT_EQ(browser::NewChannel(NewURI("data:,abc"), getter_AddRefs(data)), NS_OK);
    ASSERT_EQ(data->Open(getter_AddRefs(input)), NS_OK);
    nsCOMPtr<nsIHttpChannel> notHttp = do_QueryInterface(data);
    ASSERT_TRUE(notHttp);
    EXPECT_EQ(notHttp->GetResponseStatus(&status), NS_ERROR_NOT_AVAILABLE);
}

} // namespace
