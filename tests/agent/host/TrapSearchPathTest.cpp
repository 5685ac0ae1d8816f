#include "agent/host/LibraryEntry.h"
#include "platform/win32/WinBase.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string ReadPathVariable() {
    char buffer[8192] = {};
    DWORD length = GetEnvironmentVariable("path", buffer, sizeof(buffer));
    return std::string(buffer, length);
}

// Each case starts from its own "path" and puts the process's one back.
class SearchPath : public ::testing::Test {
protected:
    void SetUp() override { m_Saved = ReadPathVariable(); }
    void TearDown() override { SetEnvironmentVariable("path", m_Saved.c_str()); }

    static std::string After(const char* path, const char* library) {
        SetEnvironmentVariable("path", path);
        AdjustSearchPath(library);
        return ReadPathVariable();
    }

private:
    std::string m_Saved;
};

TEST_F(SearchPath, LibraryFolderAtTheFrontMovesToTheEnd) {
    EXPECT_EQ(After("/opt/Agent;/usr/bin;/bin", "/opt/Agent/webagent.dll"),
              "/usr/bin;/bin;/opt/agent");
}

TEST_F(SearchPath, AbsentFolderIsAppendedInLowerCase) {
    EXPECT_EQ(After("/usr/bin;/BIN", "/opt/Agent/webagent.dll"), "/usr/bin;/bin;/opt/agent");
}

TEST_F(SearchPath, FolderInTheMiddleLeavesThePathUntouched) {
    EXPECT_EQ(After("/usr/bin;/OPT/agent;/bin", "/opt/agent/webagent.dll"),
              "/usr/bin;/OPT/agent;/bin");
}

TEST_F(SearchPath, WindowsStyleNamesAreCutAtTheLastBackslash) {
    EXPECT_EQ(After("c:\\tools\\agent;c:\\windows", "C:\\Tools\\Agent\\webagent.dll"),
              "c:\\windows;c:\\tools\\agent");
}

// A folder that only starts another entry is neither at the front nor listed:
// cutting it off the front would mangle that entry, and not appending it would
// keep the library's folder out of the search.
TEST_F(SearchPath, FolderThatIsOnlyAPrefixOfAnEntryIsAppended) {
    EXPECT_EQ(After("/opt/agentx;/bin", "/opt/agent/webagent.dll"), "/opt/agentx;/bin;/opt/agent");
    EXPECT_EQ(After("/bin;/opt/agent/sub", "/opt/agent/webagent.dll"),
              "/bin;/opt/agent/sub;/opt/agent");
}

TEST_F(SearchPath, UnsetOrEmptyPathGetsTheFolderAlone) {
    SetEnvironmentVariable("path", nullptr);
    AdjustSearchPath("/opt/agent/webagent.dll");
    EXPECT_EQ(ReadPathVariable(), "/opt/agent");
    EXPECT_EQ(After("/opt/agent", "/opt/agent/webagent.dll"), "/opt/agent");
}

TEST_F(SearchPath, PathLongerThanAnyFixedBufferKeepsEveryEntry) {
    std::string longPath;
    for (int i = 0; i < 600; ++i) {
        longPath += "/usr/folder" + std::to_string(i) + ";";
    }
    longPath += "/last";
    SetEnvironmentVariable("path", longPath.c_str());
    AdjustSearchPath("/opt/agent/webagent.dll");
    char probe[1];
    DWORD needed = GetEnvironmentVariable("path", probe, sizeof(probe));
    std::string value(needed, '\0');
    value.resize(GetEnvironmentVariable("path", value.data(), needed));
    EXPECT_EQ(value, longPath + ";/opt/agent");
}

TEST_F(SearchPath, ModuleInstanceGivesItsOwnFolder) {
    char name[1024] = {};
    DWORD length = GetModuleFileName(nullptr, name, sizeof(name));
    ASSERT_GT(length, 0u);
    std::string file(name, length);
    std::string folder = file.substr(0, file.find_last_of('/'));
    for (char& c : folder) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    SetEnvironmentVariable("path", "/bin");
    SetUpSearchPath(nullptr);
    EXPECT_EQ(ReadPathVariable(), "/bin;" + folder);
}

} // namespace
