// The dispatcher's image-saving fallback on the desktop's Internet
// functions: local files named by each form of "file:" URL, and a real http
// server on the loopback interface.
#include "agent/dispatch/ImageSaving.h"

#include "agent/channel/RequestArgs.h"
#include "platform/win32/CrtFile.h"
#include "support/LoopbackServer.h"
#include "support/ScratchFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

// ---------------------------------------------------------------------------
// The fallback on the Internet functions

CWebInfo SaveRequest(std::optional<std::string> url, std::optional<std::string> fileName) {
    CWebInfo record;
    if (url) {
        AppendString(record, "url", *url);
    }
    if (fileName) {
        AppendString(record, "file_name", *fileName);
    }
    return record;
}

TEST(LocalFileNameForUrl, DrivesAndSharesAsOnTheDesktopRootedPathsKeepTheirRoot) {
    EXPECT_EQ(LocalFileNameForUrl("file:///c:/My%20Images/a.gif"), "c:\\My Images\\a.gif");
    EXPECT_EQ(LocalFileNameForUrl("file:///D|/x.gif"), "D|\\x.gif");
    EXPECT_EQ(LocalFileNameForUrl("file://server/share/pics/a.gif"),
              "\\\\server\\share\\pics\\a.gif");
    EXPECT_EQ(LocalFileNameForUrl("file:///tmp/x.gif"), "/tmp/x.gif");
    EXPECT_EQ(LocalFileNameForUrl("FILE:///tmp/a%20b/x.gif"), "/tmp/a b/x.gif");
    EXPECT_EQ(LocalFileNameForUrl("c:\\temp\\x%20y.gif"), "c:\\temp\\x y.gif");
}

TEST(SaveImageWithWinInet, MissingNamesAnswerEFailAndCreateNoFile) {
    ScratchFolder folder;
    std::string target = (folder / "never.gif").string();
    CWebInfo noUrl = SaveRequest(std::nullopt, target);
    EXPECT_EQ(SaveImageWithWinInet(noUrl), E_FAIL);
    EXPECT_EQ(noUrl.GetRetValue(), E_FAIL);
    CWebInfo noFile = SaveRequest("data:,x", std::nullopt);
    EXPECT_EQ(SaveImageWithWinInet(noFile), E_FAIL);
    CWebInfo wrongType;
    AppendInteger(wrongType, "url", 5);
    AppendString(wrongType, "file_name", target);
    EXPECT_EQ(SaveImageWithWinInet(wrongType), E_FAIL);
    EXPECT_FALSE(fs::exists(target));
}

TEST(SaveImageWithWinInet, LocalFilesOfEachUrlFormAreCopied) {
    ScratchFolder folder;
    std::string image = Pattern(5000);
    std::ofstream(folder / "with blank.gif", std::ios::binary) << image;
    std::string url = "file://" + (folder / "with%20blank.gif").string();
    CWebInfo rooted = SaveRequest(url, (folder / "out.gif").string());
    EXPECT_EQ(SaveImageWithWinInet(rooted), NS_OK);
    EXPECT_EQ(rooted.GetRetValue(), NS_OK);
    EXPECT_EQ(ReadHostFile(folder / "out.gif"), image);

    // A drive path and a network share, in the desktop's own file names.
    {
        auto source = CrtFile::Open("c:\\temp\\webagent image.gif", "wb");
        ASSERT_TRUE(source);
        source->Write(std::string_view(image));
    }
    CWebInfo drive =
        SaveRequest("file:///c:/temp/webagent%20image.gif", "c:\\temp\\webagent copy.gif");
    EXPECT_EQ(SaveImageWithWinInet(drive), NS_OK);
    EXPECT_EQ(ReadHostFile(MapFileName("c:\\temp\\webagent copy.gif")), image);
    {
        fs::create_directories(fs::path(MapFileName("\\\\imghost\\share\\x")).parent_path());
        auto source = CrtFile::Open("\\\\imghost\\share\\pic.gif", "wb");
        ASSERT_TRUE(source);
        source->Write(std::string_view("GIF89a"));
    }
    CWebInfo share = SaveRequest("file://imghost/share/pic.gif", (folder / "share.gif").string());
    EXPECT_EQ(SaveImageWithWinInet(share), NS_OK);
    EXPECT_EQ(ReadHostFile(folder / "share.gif"), "GIF89a");
    fs::remove(MapFileName("c:\\temp\\webagent image.gif"));
    fs::remove(MapFileName("c:\\temp\\webagent copy.gif"));
    fs::remove_all(MapFileName("\\\\imghost"));
}

TEST(SaveImageWithWinInet, HttpSavesTheBodyAndFailsOnErrorsNeverReportingASave) {
    ScratchFolder folder;
    std::string image = Pattern(9000);
    LoopbackServer server({
        LoopbackServer::Ok(image, "image/png"),
        LoopbackServer::Status(404, "<h1>Not Found</h1>"),
        "HTTP/1.0 200 OK\r\nContent-Length: 4000\r\n\r\n" + std::string(100, 'x'),
    });
    CWebInfo ok = SaveRequest(server.Url("/a.png"), (folder / "a.png").string());
    EXPECT_EQ(SaveImageWithWinInet(ok), NS_OK);
    EXPECT_EQ(ReadHostFile(folder / "a.png"), image);

    CWebInfo missing = SaveRequest(server.Url("/b.png"), (folder / "b.png").string());
    EXPECT_EQ(SaveImageWithWinInet(missing), E_FAIL);
    EXPECT_EQ(ReadHostFile(folder / "b.png"), "") << "an error page is not saved as the image";

    CWebInfo cut = SaveRequest(server.Url("/c.png"), (folder / "c.png").string());
    EXPECT_EQ(SaveImageWithWinInet(cut), E_FAIL);

    CWebInfo refused =
        SaveRequest(LoopbackServer::RefusingUrl("/d.png"), (folder / "d.png").string());
    EXPECT_EQ(SaveImageWithWinInet(refused), E_FAIL);

    CWebInfo unwritable =
        SaveRequest(server.Url("/e.png"), (folder / "no/such/dir/e.png").string());
    EXPECT_EQ(SaveImageWithWinInet(unwritable), E_FAIL);
    EXPECT_EQ(server.Requests(), 3) << "no request for a file that cannot be created";
}

} // namespace
