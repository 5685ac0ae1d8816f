// The stream listener on its own, and saves through the browser's channels:
// file:, data: and a real http server on the loopback interface.
#include "agent/model/CNS6StreamListener.h"

#include "agent/channel/RequestArgs.h"
#include "platform/browser/shell/Browser.h"
#include "platform/win32/WinBase.h"
#include "platform/xpcom/nsXPCOM.h"
#include "support/LoopbackServer.h"
#include "support/ScratchFiles.h"
#include "support/TrapTestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using namespace testsupport;

// An input stream that announces more than it holds, or fails.
class ShortStream final : public nsSupportsImpl<ShortStream, nsIInputStream> {
public:
    ShortStream(std::string bytes, nsresult failure)
        : m_Bytes(std::move(bytes)), m_Failure(failure) {}
    nsresult Available(PRUint32* result) override {
        *result = static_cast<PRUint32>(m_Bytes.size() - m_Offset);
        return NS_OK;
    }
    nsresult Read(char* buffer, PRUint32 count, PRUint32* read) override {
        ++reads;
        *read = 0;
        if (m_Offset == m_Bytes.size() && NS_FAILED(m_Failure)) {
            return m_Failure;
        }
        size_t n = std::min<size_t>(count, m_Bytes.size() - m_Offset);
        std::memcpy(buffer, m_Bytes.data() + m_Offset, n);
        m_Offset += n;
        *read = static_cast<PRUint32>(n);
        return NS_OK;
    }
    nsresult Close() override { return NS_OK; }
    int reads = 0;

private:
    std::string m_Bytes;
    size_t m_Offset = 0;
    nsresult m_Failure;
};

// ---------------------------------------------------------------------------
// The listener on its own

TEST(StreamListener, WritesOneNotificationInPiecesOf256BytesAndLowersTheFlag) {
    ScratchFolder folder;
    std::string image = Pattern(3000);
    EXPECT_FALSE(IsImageTransferRunning());
    nsCOMPtr<CNS6StreamListener> listener(new CNS6StreamListener((folder / "a.gif").string()));
    EXPECT_TRUE(IsImageTransferRunning());
    nsCOMPtr<nsIInputStream> input(new ShortStream(image, NS_OK));
    listener->OnStartRequest(nullptr, nullptr);
    EXPECT_EQ(listener->OnDataAvailable(nullptr, nullptr, input, 0, 3000), NS_OK);
    EXPECT_EQ(listener->GetPieceCount(), 12);
    EXPECT_TRUE(IsImageTransferRunning());
    listener->OnStopRequest(nullptr, nullptr, NS_OK);
    EXPECT_FALSE(IsImageTransferRunning());
    EXPECT_TRUE(listener->IsDone());
    EXPECT_EQ(listener->GetResult(), NS_OK);
    EXPECT_EQ(ReadHostFile(folder / "a.gif"), image);
}

TEST(StreamListener, AStreamThatRunsDryOrFailsEndsTheTransferInsteadOfLooping) {
    ScratchFolder folder;
    nsCOMPtr<CNS6StreamListener> dry(new CNS6StreamListener((folder / "dry.gif").string()));
    nsCOMPtr<ShortStream> shortInput(new ShortStream(std::string(100, 'x'), NS_OK));
    dry->OnStartRequest(nullptr, nullptr);
    EXPECT_TRUE(NS_FAILED(dry->OnDataAvailable(nullptr, nullptr, shortInput, 0, 3000)));
    EXPECT_EQ(shortInput->reads, 2) << "one read of the 100 bytes, one that found nothing";
    EXPECT_TRUE(dry->IsDone());
    EXPECT_TRUE(NS_FAILED(dry->GetResult()));
    EXPECT_FALSE(IsImageTransferRunning());

    nsCOMPtr<CNS6StreamListener> broken(new CNS6StreamListener((folder / "broken.gif").string()));
    nsCOMPtr<nsIInputStream> failing(new ShortStream("abc", NS_ERROR_UNEXPECTED));
    broken->OnStartRequest(nullptr, nullptr);
    EXPECT_EQ(broken->OnDataAvailable(nullptr, nullptr, failing, 0, 10), NS_ERROR_UNEXPECTED);
    EXPECT_EQ(broken->GetResult(), NS_ERROR_UNEXPECTED);
    // The channel still stops it afterwards; the first failure stays.
    broken->OnStopRequest(nullptr, nullptr, NS_OK);
    EXPECT_EQ(broken->GetResult(), NS_ERROR_UNEXPECTED);
    EXPECT_EQ(ReadHostFile(folder / "broken.gif"), "abc");
}

TEST(StreamListener, AFileThatCannotBeCreatedRefusesDataAndFailsAlsoForAnEmptyBody) {
    ScratchFolder folder;
    std::string unwritable = (folder / "no/such/folder/a.gif").string();
    nsCOMPtr<CNS6StreamListener> listener(new CNS6StreamListener(unwritable));
    EXPECT_EQ(listener->OnStartRequest(nullptr, nullptr), NS_OK);
    nsCOMPtr<nsIInputStream> input(new ShortStream("GIF89a", NS_OK));
    EXPECT_EQ(listener->OnDataAvailable(nullptr, nullptr, input, 0, 6), E_FAIL);
    EXPECT_FALSE(IsImageTransferRunning());

    nsCOMPtr<CNS6StreamListener> empty(new CNS6StreamListener(unwritable));
    empty->OnStartRequest(nullptr, nullptr);
    empty->OnStopRequest(nullptr, nullptr, NS_OK);
    EXPECT_TRUE(NS_FAILED(empty->GetResult()));
    EXPECT_FALSE(fs::exists(unwritable));
}

TEST(StreamListener, ADroppedListenerLowersTheFlagAndAnswersItsInterfaces) {
    {
        nsCOMPtr<CNS6StreamListener> listener(new CNS6StreamListener("unused.gif"));
        nsCOMPtr<nsIRequestObserver> observer = do_QueryInterface(listener.get());
        nsCOMPtr<nsIStreamListener> stream = do_QueryInterface(listener.get());
        EXPECT_TRUE(observer);
        EXPECT_TRUE(stream);
        EXPECT_TRUE(IsImageTransferRunning());
    }
    EXPECT_FALSE(IsImageTransferRunning());
}

// ---------------------------------------------------------------------------
// Through the browser's channels

class SaveThroughBrowser : public ::testing::Test {
protected:
    // The browser registers its networking and event queue services with the
    // running component framework.
    void SetUp() override {
        ASSERT_EQ(NS_InitXPCOM({}), NS_OK);
        ASSERT_EQ(m_App.Start(), NS_OK);
    }
    void TearDown() override {
        m_App.Shutdown();
        NS_ShutdownXPCOM();
    }

    browser::Browser m_App;
    ScratchFolder m_Folder;
};

TEST_F(SaveThroughBrowser, FileAndDataAddressesSaveEveryByte) {
    std::string image = Pattern(100'000);
    std::ofstream(m_Folder / "big source.gif", std::ios::binary) << image;
    EXPECT_EQ(SaveUrlToFile(m_Folder.Url("big source.gif"), (m_Folder / "copy.gif").string()),
              NS_OK);
    EXPECT_EQ(ReadHostFile(m_Folder / "copy.gif"), image);
    EXPECT_FALSE(IsImageTransferRunning());

    EXPECT_EQ(SaveUrlToFile("data:image/gif;base64,R0lGODlh", (m_Folder / "d.gif").string()),
              NS_OK);
    EXPECT_EQ(ReadHostFile(m_Folder / "d.gif"), "GIF89a");

    // An empty image is saved as an empty file.
    EXPECT_EQ(SaveUrlToFile("data:image/gif,", (m_Folder / "empty.gif").string()), NS_OK);
    EXPECT_TRUE(fs::exists(m_Folder / "empty.gif"));
}

TEST_F(SaveThroughBrowser, HttpOnLoopbackSavesTheBody) {
    std::string image = Pattern(70'000);
    LoopbackServer server({LoopbackServer::Ok(image, "image/gif")});
    EXPECT_EQ(SaveUrlToFile(server.Url("/logo.gif"), (m_Folder / "logo.gif").string()), NS_OK);
    EXPECT_EQ(ReadHostFile(m_Folder / "logo.gif"), image);
}

TEST_F(SaveThroughBrowser, ErrorStatusCutTransferAndRefusedConnectionFail) {
    LoopbackServer server({
        LoopbackServer::Status(404, "<h1>Not Found</h1>"),
        "HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(500, 'x'),
    });
    EXPECT_TRUE(NS_FAILED(SaveUrlToFile(server.Url("/gone.gif"), (m_Folder / "a.gif").string())));
    EXPECT_TRUE(NS_FAILED(SaveUrlToFile(server.Url("/cut.gif"), (m_Folder / "b.gif").string())));
    EXPECT_EQ(SaveUrlToFile(LoopbackServer::RefusingUrl("/x.gif"), (m_Folder / "c.gif").string()),
              NS_ERROR_CONNECTION_REFUSED);
    EXPECT_FALSE(IsImageTransferRunning());
}

TEST_F(SaveThroughBrowser, BadAddressesAndUnwritableTargetsFailPromptly) {
    EXPECT_EQ(SaveUrlToFile("file:///nonexistent/webagent/x.gif", (m_Folder / "a.gif").string()),
              NS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SaveUrlToFile("gopher://h/x.gif", (m_Folder / "b.gif").string()),
              NS_ERROR_UNKNOWN_PROTOCOL);
    EXPECT_TRUE(NS_FAILED(SaveUrlToFile("not an address", (m_Folder / "c.gif").string())));

    std::ofstream(m_Folder / "src.gif", std::ios::binary) << Pattern(40'000);
    DWORD start = GetTickCount();
    EXPECT_TRUE(NS_FAILED(
        SaveUrlToFile(m_Folder.Url("src.gif"), (m_Folder / "missing/dir/x.gif").string())));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(IsImageTransferRunning());
}

// The browser object's "SaveImgContentToFile" on a real browser window.
class BrowserSavesImages : public traptest::TrapStateTest {
protected:
    void SetUp() override {
        TrapStateTest::SetUp();
        ASSERT_EQ(NS_InitXPCOM({}), NS_OK);
        ASSERT_EQ(m_App.Start(), NS_OK);
        browser::BrowserWindow* window = m_App.OpenWindow("data:text/html,<p>Hello</p>");
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(m_App.WaitUntilIdle());
        m_Browser = Trap().GetOrCreateBrowser(window->Handle(), window->ChromeShell()->DOMWindow());
        ASSERT_TRUE(m_Browser.IsValid());
    }
    void TearDown() override {
        m_Browser = {};
        TrapStateTest::TearDown();
        m_App.Shutdown();
        NS_ShutdownXPCOM();
    }

    nsresult Save(const std::string& url, const std::string& fileName) {
        CWebInfo record;
        AppendString(record, "url", url);
        AppendString(record, "file_name", fileName);
        EXPECT_TRUE(m_Browser->CallMethod("SaveImgContentToFile", record));
        return record.GetRetValue();
    }

    browser::Browser m_App;
    CWebObjRef m_Browser;
    ScratchFolder m_Folder;
};

TEST_F(BrowserSavesImages, AnswersSuccessOnlyForAnImageThatReachedItsFile) {
    std::string image = Pattern(20'000);
    LoopbackServer server({LoopbackServer::Ok(image, "image/gif"),
                           LoopbackServer::Status(404, "<h1>Not Found</h1>")});
    EXPECT_EQ(Save(server.Url("/logo.gif"), (m_Folder / "logo.gif").string()), NS_OK);
    EXPECT_EQ(ReadHostFile(m_Folder / "logo.gif"), image);
    EXPECT_EQ(Save(server.Url("/gone.gif"), (m_Folder / "gone.gif").string()), E_FAIL);
    EXPECT_EQ(Save(LoopbackServer::RefusingUrl("/x.gif"), (m_Folder / "x.gif").string()), E_FAIL);
}

} // namespace
