// Test objects for the dispatcher: owned objects with a fixed property table
// and scripted methods, built into a browser tree in a line each, and a
// browser dispatcher whose registry lists them.
//
//     TestTree tree(browserWindow);
//     TestObj& page = tree.Add(tree.Browser(), {hwnd, pageHwnd, -1, -1});
//     page.SetText("handle", ...);
//     page.OnMethod("MakeVisible", [](CWebInfo& r) { return true; });
#pragma once

#include "agent/dispatch/CNS6Interface.h"
#include "agent/model/CWebObj.h"
#include "agent/model/CWebObjUtil.h"
#include "platform/win32/Windows.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace dispatch_test {

inline int32_t Value(HWND window) {
    return static_cast<int32_t>(HandleToULong(window));
}

inline LRESULT PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, m, wp, lp);
}

// A plain top-level window, or a child window of parent.
inline HWND MakeTestWindow(HWND parent = nullptr) {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &PlainWindowProc;
        wc.lpszClassName = "DispatchTestWindow";
        return RegisterClass(&wc) != 0;
    }();
    if (!registered)
        return nullptr;
    return CreateWindowEx(0, "DispatchTestWindow", "", parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0,
                          0, 100, 100, parent, nullptr, nullptr, nullptr);
}

class TestObj : public CWebObj {
public:
    using Method = std::function<bool(CWebInfo&)>;

    explicit TestObj(const CWebRunTimeID& id) { SetId(id); }

    void Set(std::string name, CWebVariantList value) {
        for (auto& [known, held] : m_Properties) {
            if (known == name) {
                held = std::move(value);
                return;
            }
        }
        m_Properties.emplace_back(std::move(name), std::move(value));
    }
    void SetText(std::string name, std::string_view text) {
        Set(std::move(name), CWebVariantList(CWebVariant(text)));
    }
    void SetInteger(std::string name, int32_t value) {
        Set(std::move(name), CWebVariantList(CWebVariant(value)));
    }
    void OnMethod(std::string name, Method method) {
        m_Methods[std::move(name)] = std::move(method);
    }
    void UseUtil(const CWebObjUtil* util) { SetUtil(util); }

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override {
        value.Clear();
        if (position >= 0) {
            if (static_cast<size_t>(position) >= m_Properties.size())
                return false;
            name = m_Properties[static_cast<size_t>(position)].first;
            value = m_Properties[static_cast<size_t>(position)].second;
            return true;
        }
        for (const auto& [known, held] : m_Properties) {
            if (known == name) {
                value = held;
                return true;
            }
        }
        return false;
    }

    bool CallMethod(std::string_view method, CWebInfo& record) override {
        calls.emplace_back(method, record);
        auto it = m_Methods.find(std::string(method));
        return it != m_Methods.end() && it->second(record);
    }

    // Every method call with the record as the method saw it on entry.
    std::vector<std::pair<std::string, CWebInfo>> calls;

private:
    std::vector<std::pair<std::string, CWebVariantList>> m_Properties;
    std::map<std::string, Method> m_Methods;
};

// A browser object for a window, owned by the tree, with children added in
// order under any object of the tree.
class TestTree {
public:
    explicit TestTree(HWND browserWindow)
        : m_Browser(std::make_unique<TestObj>(CWebRunTimeID(Value(browserWindow), -1, -1, -1))) {
        m_Browser->SetText("class", "html_browser");
        m_Browser->SetInteger("handle", Value(browserWindow));
    }
    TestObj& Browser() { return *m_Browser; }
    TestObj& Add(TestObj& parent, const CWebRunTimeID& id) {
        auto* child = new TestObj(id); // owned by the parent's child list
        parent.AddChild(CWebObjRef(child));
        return *child;
    }
    // Deletes the browser and everything under it.
    void Reset() { m_Browser.reset(); }

private:
    std::unique_ptr<TestObj> m_Browser;
};

// The browser dispatcher with its browser registry replaced by a list the
// test fills; null entries stand for a registry without trap state.
class TestDispatcher : public CNS6Interface {
public:
    bool GetBrowsers(std::vector<CWebObjRef>& out) override {
        if (!hasRegistry)
            return false;
        for (TestObj* browser : browsers)
            out.emplace_back(browser);
        return true;
    }

    std::vector<TestObj*> browsers;
    bool hasRegistry = true;
};

} // namespace dispatch_test
