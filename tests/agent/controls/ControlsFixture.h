// Form controls on real pages of the simulated browser, on the element
// tests' browser window and page objects: pages in another chrome, controls
// made for an element by id, and short readers of properties and method
// replies.
#pragma once

#include "agent/channel/RequestArgs.h"
#include "agent/controls/CNS6Edit.h"
#include "agent/controls/CNS6List.h"
#include "agent/controls/CNS6StdObj.h"
#include "agent/elements/ElementTestSupport.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/shell/Browser.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

#include <gtest/gtest.h>
#include <type_traits>

namespace controlstest {

#define OPEN_PAGE(...) ASSERT_NO_FATAL_FAILURE(OpenPage(__VA_ARGS__))

class ControlsOnShell : public elementtest::ElementsOnShell {
protected:
    // Opens a browser window on a page made of `markup`, in the main chrome
    // or in the chrome document `chromeURL`.
    void OpenPage(const std::string& markup,
                  const std::string& chromeURL = std::string(browser::kNavigatorURL)) {
        if (chromeURL == browser::kNavigatorURL) {
            LoadPage(markup);
            return;
        }
        m_Window = m_App.OpenWindow(Write("page.html", markup), chromeURL);
        ASSERT_NE(m_Window, nullptr);
        ASSERT_TRUE(m_App.WaitUntilIdle());
        m_Browser =
            Trap().GetOrCreateBrowser(m_Window->Handle(), m_Window->ChromeShell()->DOMWindow());
        nsIDOMWindow* content = m_Window->ContentShell()->DOMWindow();
        m_Page = Trap().GetOrCreatePage(content, GetNativeWindow(content));
        ASSERT_TRUE(m_Page.IsValid());
    }

    CNS6Frame& Frame() { return Page(); }

    static dom::Element* ElementIn(browser::DocShell* shell, std::u16string_view id) {
        dom::Document* document = dom::Document::FromDOM(shell->CurrentDocument());
        return document != nullptr ? document->ElementById(id) : nullptr;
    }

    // The control of class T for the page's element `id`.
    template <class T> CWebObjRef Make(const std::string& id) {
        nsCOMPtr<nsIDOMNode> node = Node(id);
        EXPECT_TRUE(node) << "no element with id " << id;
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
};

} // namespace controlstest
