// Module loading: the search of bare names through "path", entry points,
// handles and file names.
#include "platform/win32/Windows.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using RgMatch = int (*)(const char*, const char*);
using Count = int (*)();

class ModulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder =
            std::filesystem::temp_directory_path() / ("Win32-Modules-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_folder);
        std::filesystem::copy_file(WIN32_TEST_MODULE, m_folder / "rexp.dll",
                                   std::filesystem::copy_options::overwrite_existing);
        char saved[8192];
        DWORD length = GetEnvironmentVariable("path", saved, sizeof saved);
        m_savedPath.assign(saved, length < sizeof saved ? length : 0);
    }
    void TearDown() override {
        SetEnvironmentVariable("path", m_savedPath.c_str());
        std::filesystem::remove_all(m_folder);
    }
    std::filesystem::path m_folder;
    std::string m_savedPath;
};

TEST_F(ModulesTest, BareNameFoundThroughPathVariable) {
    EXPECT_EQ(LoadLibrary("rexp.dll"), nullptr) << "not on the search path yet";
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    std::string path = "c:\\no\\such\\folder;" + m_savedPath + ";" + m_folder.string();
    ASSERT_TRUE(SetEnvironmentVariable("path", path.c_str()));
    HMODULE module = LoadLibrary("rexp.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(LoadLibrary("REXP"), module) << "\".dll\" is added; loading again answers the same";
    EXPECT_EQ(GetModuleHandle("Rexp.dll"), module);

    auto match = reinterpret_cast<RgMatch>(GetProcAddress(module, "rg_match"));
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match("ell", "hello"), 0);
    EXPECT_EQ(match("xyz", "hello"), 1);
    auto attached = reinterpret_cast<Count>(GetProcAddress(module, "TestModuleAttachCount"));
    ASSERT_NE(attached, nullptr);
    EXPECT_EQ(attached(), 1) << "DllMain is told once per loading";
    EXPECT_EQ(GetProcAddress(module, "double_rg_match"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

    char name[1024];
    DWORD length = GetModuleFileName(module, name, sizeof name);
    EXPECT_EQ(std::string(name, length),
              std::filesystem::canonical(m_folder / "rexp.dll").string());
    char shortName[4];
    EXPECT_EQ(GetModuleFileName(module, shortName, sizeof shortName), 4u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(shortName[3], '\0');

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_NE(GetProcAddress(module, "rg_match"), nullptr) << "still loaded once";
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetProcAddress(module, "rg_match"), nullptr) << "a freed module's handle is dead";
    EXPECT_FALSE(FreeLibrary(module));
    HMODULE again = LoadLibrary((m_folder / "rexp.dll").string().c_str());
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, module) << "handles are never reused";
    FreeLibrary(again);
}

TEST_F(ModulesTest, LowerCasedPathStillFindsTheFolder) {
    // The agent lower-cases "path" when it adds its own folder.
    std::string lower = m_folder.string();
    for (char& c : lower) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    ASSERT_NE(lower, m_folder.string());
    SetEnvironmentVariable("path", (m_savedPath + ";" + lower).c_str());
    HMODULE module = LoadLibrary("rexp.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(LoadLibrary((lower + "/REXP.DLL").c_str()), module);
    FreeLibrary(module);
    FreeLibrary(module);
}

void FunctionInTheProgram() {}

TEST_F(ModulesTest, ModuleOfAFunctionIsTheProgram) {
    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                      GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                  reinterpret_cast<LPCSTR>(&FunctionInTheProgram), &module));
    EXPECT_EQ(module, GetModuleHandle(nullptr));
    char name[1024];
    DWORD length = GetModuleFileName(nullptr, name, sizeof name);
    EXPECT_EQ(std::filesystem::path(std::string(name, length)).filename(), "win32_test");
}

} // namespace
