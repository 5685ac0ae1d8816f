// Runtime files: text-mode line ends, the modes, and Windows file names
// mapped under the root folder.
#include "platform/win32/Testing.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

std::string HostBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class CrtFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root =
            std::filesystem::temp_directory_path() / ("win32-files-" + std::to_string(getpid()));
        std::filesystem::remove_all(m_root);
        win32::testing::SetFileRoot(m_root.string());
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }
    std::filesystem::path m_root;
};

TEST_F(CrtFileTest, TextModeWritesCrLfForEveryLf) {
    {
        auto file = CrtFile::Open("c:\\temp\\TraceInformation.txt", "a+");
        ASSERT_TRUE(file.has_value());
        EXPECT_TRUE(file->Printf("%s\n", "first line"));
        EXPECT_TRUE(file->Write("two\n\nends\r\n"));
    }
    std::string host = (m_root / "c" / "temp" / "TraceInformation.txt").string();
    EXPECT_EQ(HostBytes(host), "first line\r\ntwo\r\n\r\nends\r\r\n");
    {
        auto again = CrtFile::Open("C:\\TEMP\\traceinformation.TXT", "a+t");
        ASSERT_TRUE(again.has_value()) << "names match existing entries without regard to case";
        again->Write("more\n");
    }
    EXPECT_EQ(HostBytes(host), "first line\r\ntwo\r\n\r\nends\r\r\nmore\r\n");

    auto reader = CrtFile::Open("c:/temp/TraceInformation.txt", "rt");
    ASSERT_TRUE(reader.has_value());
    EXPECT_EQ(reader->ReadLine(), "first line\n");
    EXPECT_EQ(reader->ReadLine(), "two\n");
}

TEST_F(CrtFileTest, BinaryModeKeepsBytesAndWTruncates) {
    auto file = CrtFile::Open("c:\\temp\\image.gif", "w+b");
    ASSERT_TRUE(file.has_value());
    const char bytes[] = "G\nI\r\nF";
    file->Write(std::as_bytes(std::span(bytes, 6)));
    file->Close();
    std::string host = (m_root / "c" / "temp" / "image.gif").string();
    EXPECT_EQ(HostBytes(host), std::string(bytes, 6));
    ASSERT_TRUE(CrtFile::Open("c:\\temp\\image.gif", "w").has_value());
    EXPECT_EQ(HostBytes(host), "") << "\"w\" empties the file";
    auto read = CrtFile::Open("c:\\temp\\image.gif", "rb");
    ASSERT_TRUE(read.has_value());
    char buffer[8];
    EXPECT_EQ(read->Read(buffer), 0u);
}

TEST_F(CrtFileTest, MissingFolderOrBadModeFails) {
    EXPECT_FALSE(CrtFile::Open("c:\\no such folder\\x.txt", "w").has_value())
        << "folders are not created on the fly";
    EXPECT_FALSE(CrtFile::Open("c:\\temp\\x.txt", "q").has_value());
    EXPECT_FALSE(CrtFile::Open("c:\\temp\\missing.txt", "rb").has_value());
    EXPECT_FALSE(CrtFile::Open("c:\\temp", "rb").has_value()) << "a folder is not a file";
}

TEST_F(CrtFileTest, NameMapping) {
    std::string root = m_root.string();
    EXPECT_EQ(MapFileName("D:\\Data\\a.txt"), root + "/d/Data/a.txt");
    EXPECT_EQ(MapFileName("\\temp\\b.txt"), root + "/c/temp/b.txt");
    EXPECT_EQ(MapFileName("\\\\server\\share\\c.txt"), root + "/unc/server/share/c.txt");
    EXPECT_EQ(MapFileName("/tmp/plain/d.txt"), "/tmp/plain/d.txt");
    EXPECT_EQ(MapFileName("/tmp/x\\hgeczfth.tmp"), "/tmp/x/hgeczfth.tmp")
        << "a POSIX folder joined with a backslash";
    EXPECT_EQ(MapFileName("c:\\temp\\..\\e.txt"), root + "/c/e.txt");
    EXPECT_EQ(MapFileName("c:\\..\\..\\etc\\passwd"), root + "/c/etc/passwd")
        << "a Windows name never leaves the root";
}

TEST_F(CrtFileTest, FileFunctionsUseTheSameNames) {
    ASSERT_TRUE(CrtFile::Open("c:\\temp\\gone.txt", "w").has_value());
    EXPECT_EQ(GetFileAttributes("c:\\temp\\gone.txt"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributes("c:\\temp"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(DeleteFile("c:\\temp\\gone.txt"));
    EXPECT_EQ(GetFileAttributes("c:\\temp\\gone.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(CreateDirectory("c:\\temp\\made", nullptr));
    EXPECT_FALSE(CreateDirectory("c:\\temp\\made", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST_F(CrtFileTest, FileHandlesReadWhatWasWritten) {
    HANDLE file =
        CreateFile("c:\\temp\\a b.gif", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    EXPECT_TRUE(WriteFile(file, "GIF89a", 6, &count, nullptr));
    EXPECT_EQ(count, 6u);
    char buffer[16];
    EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &count, nullptr)) << "opened for writing";
    CloseHandle(file);

    file = CreateFile("C:\\Temp\\A B.GIF", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                      nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 6u);
    EXPECT_TRUE(ReadFile(file, buffer, 4, &count, nullptr));
    EXPECT_EQ(std::string(buffer, count), "GIF8");
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(count, 2u);
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(count, 0u) << "the end reads as success with nothing";
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &count, nullptr));

    EXPECT_EQ(
        CreateFile("c:\\temp\\missing.gif", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
        INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(CreateFile("c:\\temp\\a b.gif", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
}

} // namespace
