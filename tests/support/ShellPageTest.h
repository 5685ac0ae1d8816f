// A browser of the simulated shell under a trap state: pages written to a
// folder of the test's own, opened in a browser window, with the browser and
// page objects the agent makes for them.
//
//     class MyTest : public traptest::ShellPageTest {};
//     TEST_F(MyTest, Something) {
//         ASSERT_NO_FATAL_FAILURE(OpenUrl(Write("page.html", "<p>text</p>")));
//         Page().RefreshFrames();
//     }
#pragma once

#include "agent/common/WindowHelpers.h"
#include "agent/model/CNS6Browser.h"
#include "agent/model/CNS6Page.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/Network.h"
#include "support/TrapTestSupport.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace traptest {

class ShellPageTest : public TrapStateTest {
protected:
    // `folder` names the test's scratch folder, with the process and the
    // test's name appended.
    explicit ShellPageTest(std::string folder = "webagent_shell") : m_Folder(std::move(folder)) {}

    void SetUp() override {
        TrapStateTest::SetUp();
        m_Dir = std::filesystem::temp_directory_path() /
                (m_Folder + "_" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_Dir);
        ASSERT_EQ(m_App.Start(), NS_OK);
    }
    void TearDown() override {
        m_Page = {};
        m_Browser = {};
        TrapStateTest::TearDown();
        m_App.Shutdown();
        std::filesystem::remove_all(m_Dir);
    }

    // Writes a file into the test's folder and answers its address.
    std::string Write(const std::string& name, const std::string& markup) {
        std::ofstream(m_Dir / name) << markup;
        return browser::URIFromFilePath((m_Dir / name).string());
    }

    // Opens a browser window on `url`, waits for the load and makes the
    // browser and page objects. Without the trap following the loads, the
    // frames of the finished documents are found by looking.
    void OpenUrl(const std::string& url) {
        m_Window = m_App.OpenWindow(url);
        ASSERT_NE(m_Window, nullptr);
        ASSERT_TRUE(m_App.WaitUntilIdle());
        m_Browser =
            Trap().GetOrCreateBrowser(m_Window->Handle(), m_Window->ChromeShell()->DOMWindow());
        ASSERT_TRUE(m_Browser.IsValid());
        nsIDOMWindow* content = m_Window->ContentShell()->DOMWindow();
        m_Page = Trap().GetOrCreatePage(content, GetNativeWindow(content));
        ASSERT_TRUE(m_Page.IsValid());
        ASSERT_EQ(Page().RefreshFrames(), NS_OK);
    }

    CNS6Page& Page() { return *static_cast<CNS6Page*>(m_Page.Get()); }

    browser::Browser m_App;
    browser::BrowserWindow* m_Window = nullptr;
    CWebObjRef m_Browser;
    CWebObjRef m_Page;

private:
    std::string m_Folder;
    std::filesystem::path m_Dir;
};

} // namespace traptest
