// Form controls on real pages of the simulated browser: a browser window on
// a page written for the test, the browser and page objects the agent makes
// for it, and short readers of properties and method replies.
#pragma once

#include "agent/controls/CNS6Edit.h"
#include "agent/controls/CNS6List.h"
#include "agent/controls/CNS6StdObj.h"
#include "agent/dispatch/RequestArgs.h"
#include "agent/host/DomHelpers.h"
#include "agent/host/TrapTestSupport.h"
#include "agent/host/WindowHelpers.h"
#include "agent/model/CNS6Browser.h"
#include "agent/model/CNS6Page.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/Network.h"
#include "platform/win32/WinBase.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace controlstest {

#define OPEN_PAGE(...) ASSERT_NO_FATAL_FAILURE(OpenPage(__VA_ARGS__))

class ControlsOnShell : public traptest::TrapStateTest {
protected:
    // Class matching (the enclosing frame of a list) uses the tool's
    // expression library.
    static void SetUpTestSuite() { SetEnvironmentVariableA("path", WEBAGENT_MODULE_DIR); }
    void SetUp() override {
        TrapStateTest::SetUp();
        m_Dir = std::filesystem::temp_directory_path() /
                ("webagent_controls_" + std::to_string(getpid()) + "_" +
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

    std::string Write(const std::string& name, const std::string& markup) {
        std::ofstream(m_Dir / name) << markup;
        return browser::URIFromFilePath((m_Dir / name).string());
    }

    // Opens a browser window on a page made of `markup` and makes the
    // browser and page objects.
    void OpenPage(const std::string& markup,
                  std::string chromeURL = std::string(browser::kNavigatorURL)) {
        m_Window = m_App.OpenWindow(Write("page.html", markup), std::move(chromeURL));
        ASSERT_NE(m_Window, nullptr);
        ASSERT_TRUE(m_App.WaitUntilIdle());
        m_Browser =
            Trap().GetOrCreateBrowser(m_Window->Handle(), m_Window->ChromeShell()->DOMWindow());
        ASSERT_TRUE(m_Browser.IsValid());
        nsIDOMWindow* content = m_Window->ContentShell()->DOMWindow();
        m_Page = Trap().GetOrCreatePage(content, GetNativeWindow(content));
        ASSERT_TRUE(m_Page.IsValid());
    }

    CNS6Frame& Frame() { return *static_cast<CNS6Frame*>(m_Page.Get()); }

    static dom::Element* ElementIn(browser::DocShell* shell, std::u16string_view id) {
        dom::Document* document = dom::Document::FromDOM(shell->CurrentDocument());
        return document != nullptr ? document->ElementById(id) : nullptr;
    }
    dom::Element* Element(std::u16string_view id) {
        return ElementIn(m_Window->ContentShell(), id);
    }
    nsCOMPtr<nsIDOMNode> Node(std::u16string_view id) {
        dom::Element* element = Element(id);
        EXPECT_NE(element, nullptr) << "no element with that id";
        return element != nullptr ? nsCOMPtr<nsIDOMNode>(element->AsDOMNode()) : nullptr;
    }

    // The control of class T for the page's element `id`.
    template <class T> CWebObjRef Make(std::u16string_view id) {
        nsCOMPtr<nsIDOMNode> node = Node(id);
        if constexpr (std::is_same_v<T, CNS6File>) {
            return CNS6File::Create(node.get(), m_Page);
        } else {
            return CWebObjRef(new T(node.get(), m_Page));
        }
    }

    static std::string StringOf(const CWebObjRef& object, std::string_view name) {
        CWebVariantList value;
        EXPECT_TRUE(object->GetProperty(name, value)) << name;
        if (value.GetType() != WebVariantType::String || value.IsEmpty()) {
            return "<not a string>";
        }
        return value.GetAt(0)->GetString();
    }
    static int32_t IntegerOf(const CWebObjRef& object, std::string_view name) {
        CWebVariantList value;
        EXPECT_TRUE(object->GetProperty(name, value)) << name;
        if (value.GetType() != WebVariantType::Integer || value.IsEmpty()) {
            return -99;
        }
        return value.GetAt(0)->GetInteger();
    }
    static bool IsNotApplicable(const CWebObjRef& object, std::string_view name) {
        CWebVariantList value;
        EXPECT_TRUE(object->GetProperty(name, value)) << name;
        return value.IsStatus() && value.GetStatus() == kWebStatusNotApplicable;
    }
    static std::optional<RECT> RectOf(const CWebObjRef& object, std::string_view name) {
        CWebVariantList value;
        EXPECT_TRUE(object->GetProperty(name, value)) << name;
        if (value.GetType() != WebVariantType::Rect || value.IsEmpty()) {
            return std::nullopt;
        }
        return value.GetAt(0)->GetRect();
    }
    // The reply's result code of a method the object must handle.
    static nsresult Call(const CWebObjRef& object, std::string_view method, CWebInfo& request) {
        EXPECT_TRUE(object->CallMethod(method, request)) << method;
        return request.GetRetValue();
    }
    static nsresult Call(const CWebObjRef& object, std::string_view method) {
        CWebInfo request;
        return Call(object, method, request);
    }
    // The names of a full property listing, in order.
    static std::vector<std::string> PropertyNames(const CWebObjRef& object, size_t count) {
        std::vector<std::string> names;
        for (int k = 0; names.size() < count; ++k) {
            std::string name;
            CWebVariantList value;
            if (!object->GetPropertyAt(name, value, k)) {
                break;
            }
            names.push_back(name);
        }
        return names;
    }

    browser::Browser m_App;
    browser::BrowserWindow* m_Window = nullptr;
    CWebObjRef m_Browser;
    CWebObjRef m_Page;

private:
    std::filesystem::path m_Dir;
};

} // namespace controlstest
