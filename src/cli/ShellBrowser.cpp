// The console's browser: the simulated browser on a user-interface thread of
// its own, with the agent component loaded from the components folder by the
// component framework and started by the application shell, as the real
// browser loads it.
#include "cli/BrowserStart.h"
#include "cli/Session.h"
#include "platform/browser/shell/Browser.h"
#include "platform/win32/WinNls.h"
#include "platform/xpcom/nsAppShell.h"
#include "platform/xpcom/nsXPCOM.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <future>
#include <thread>

namespace cli {

namespace {

constexpr uint32_t kLoadTimeoutMs = 20000;

std::string PageAddress(const std::string& page) {
    if (page.find("://") != std::string::npos) {
        return page;
    }
    std::error_code ec;
    auto absolute = std::filesystem::absolute(page, ec);
    return ec ? page : absolute.string();
}

std::u16string Wide(const std::string& text) {
    return WideFromAnsi(text);
}

// Trims blanks at both ends, as list items read on screen.
std::u16string Trimmed(std::u16string text) {
    auto isBlank = [](char16_t c) { return c == u' ' || c == u'\n' || c == u'\t' || c == u'\r'; };
    while (!text.empty() && isBlank(text.back())) {
        text.pop_back();
    }
    size_t start = 0;
    while (start < text.size() && isBlank(text[start])) {
        ++start;
    }
    return text.substr(start);
}

// The options of a selection list in document order (inside groups too).
void CollectOptions(dom::Node* node, std::vector<dom::Element*>& options) {
    for (dom::Node* child = node->FirstChild(); child; child = child->NextSibling()) {
        if (!child->IsElement()) {
            continue;
        }
        auto* element = static_cast<dom::Element*>(child);
        if (element->HasTag(u"option")) {
            options.push_back(element);
        } else {
            CollectOptions(element, options);
        }
    }
}

class ShellBrowser final : public SimulatedBrowser {
public:
    ShellBrowser() = default;
    ShellBrowser(const ShellBrowser&) = delete;
    ShellBrowser& operator=(const ShellBrowser&) = delete;
    ~ShellBrowser() override {
        if (m_thread.joinable()) {
            m_app->Post([this] { m_stop = true; });
            m_thread.join();
        }
    }

    bool Start(const BrowserStart& start, std::string& error) {
        std::promise<std::string> ready;
        auto started = ready.get_future();
        m_thread = std::thread([this, start, &ready] { Run(start, ready); });
        error = started.get();
        if (!error.empty()) {
            m_thread.join();
            return false;
        }
        return true;
    }

    HWND BrowserWindow() const override { return m_window; }

    bool Perform(const UserAction& action, std::string& error) override {
        std::promise<std::string> done;
        auto result = done.get_future();
        m_app->Post([&] {
            std::string result = PerformHere(action);
            // An action may have opened frames or windows: watch them too.
            WatchWindows();
            done.set_value(result);
        });
        error = result.get();
        return error.empty();
    }

    std::vector<HWND> BrowserWindows() const override {
        return OnBrowserThread([this] {
            std::vector<HWND> windows;
            for (const auto& window : m_app->Windows()) {
                if (window->IsOpen()) {
                    windows.push_back(window->Handle());
                }
            }
            return windows;
        });
    }

    std::vector<HWND> FrameWindows(HWND browserWindow) const override {
        return OnBrowserThread([this, browserWindow] {
            std::vector<HWND> frames;
            for (const auto& window : m_app->Windows()) {
                if (window->IsOpen() && window->Handle() == browserWindow &&
                    window->ContentShell() != nullptr) {
                    AppendFrameWindows(*window->ContentShell(), frames);
                }
            }
            return frames;
        });
    }

private:
    // Runs `work` on the browser's thread, which owns its windows and shells,
    // and waits for its answer.
    template <typename Work> auto OnBrowserThread(Work work) const -> decltype(work()) {
        std::promise<decltype(work())> done;
        auto result = done.get_future();
        m_app->Post([&] { done.set_value(work()); });
        return result.get();
    }

    static void AppendFrameWindows(const browser::DocShell& shell, std::vector<HWND>& out) {
        for (const auto& child : shell.Children()) {
            if (child) {
                out.push_back(child->NativeWindow());
                AppendFrameWindows(*child, out);
            }
        }
    }

    void Run(const BrowserStart& start, std::promise<std::string>& ready) {
        browser::Browser app;
        nsAppShell shell;
        m_app = &app;
        nsXPCOMOptions options;
        options.componentsDirectory = WEBAGENT_COMPONENTS_DIR;
        std::string error;
        if (NS_FAILED(NS_InitXPCOM(options))) {
            error = "the component framework did not start";
        } else if (NS_FAILED(app.Start())) {
            error = "the browser did not start";
        } else if (NS_FAILED(shell.Startup()) || shell.Components().empty()) {
            error = "the agent component did not start (is the component library built?)";
        }
        if (error.empty()) {
            std::vector<std::string> pages = start.pages;
            if (pages.empty()) {
                pages.push_back(DemoSiteFolder() + "/index.html");
            }
            for (const std::string& page : pages) {
                browser::BrowserWindow* window = app.OpenWindow(PageAddress(page));
                if (!window) {
                    error = "page \"" + page + "\" cannot be loaded: no window opened";
                    break;
                }
                if (!m_window) {
                    m_browserWindow = window;
                    m_window = window->Handle();
                }
            }
            if (error.empty() && !app.WaitUntilIdle(kLoadTimeoutMs)) {
                error = "the pages did not finish loading";
            }
            // A page that failed shows the browser's error page; the user
            // asked for that page, so it is an error naming it.
            for (size_t i = 0; error.empty() && i < pages.size() && i < app.Windows().size(); ++i) {
                browser::DocShell* content = app.Windows()[i]->ContentShell();
                if (content && NS_FAILED(content->LoadStatus())) {
                    char code[16];
                    std::snprintf(code, sizeof code, "0x%08X", content->LoadStatus());
                    error = "page \"" + pages[i] + "\" cannot be loaded (" + code + ")";
                }
            }
            WatchWindows();
        }
        ready.set_value(error);
        if (error.empty()) {
            while (!m_stop) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
                app.ProcessEvents();
            }
        }
        shell.Shutdown();
        app.Shutdown();
        if (NS_IsXPCOMRunning()) {
            NS_ShutdownXPCOM();
        }
        m_app = nullptr;
    }

    // The agent signals recorded statements to the browser's native windows;
    // they are watched from their own thread.
    void WatchWindows() {
        for (const auto& window : m_app->Windows()) {
            if (window->IsOpen()) {
                Session::WatchRecordSignals(window->Handle());
            }
        }
    }

    // Runs on the browser's thread; answers "" when done, else the reason.
    std::string PerformHere(const UserAction& action) {
        browser::Browser& app = *m_app;
        using Kind = UserAction::Kind;
        auto nothing = [](const POINT& p) {
            return "nothing to act on at (" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
        };
        POINT point{};
        if (action.target) {
            point = *action.target;
        }
        switch (action.kind) {
        case Kind::Click:
            return app.Click(point) ? "" : nothing(point);
        case Kind::RightClick:
            return app.Click(point, browser::MouseButton::Right) ? "" : nothing(point);
        case Kind::DoubleClick:
            return app.DoubleClick(point) ? "" : nothing(point);
        case Kind::Move:
            return app.MoveTo(point) ? "" : nothing(point);
        case Kind::Type:
            return app.Type(Wide(action.text)) ? "" : "no field has the focus";
        case Kind::Key:
            if (action.text == "Tab") {
                return app.PressTab() ? "" : "nothing can take the focus";
            }
            return app.PressEnter() ? "" : "no field has the focus";
        case Kind::Choose:
            return Choose(point, action.items);
        case Kind::Toolbar: {
            std::u16string id = Wide(action.text);
            for (char16_t& c : id) {
                c = static_cast<char16_t>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
            }
            return m_browserWindow && app.PressToolbarButton(*m_browserWindow, id + u"-button")
                       ? ""
                       : "the toolbar button \"" + action.text + "\" did nothing";
        }
        case Kind::History:
            return ChooseHistory(action.text);
        case Kind::UrlBar:
        case Kind::Navigate:
            return m_browserWindow && app.EnterAddress(*m_browserWindow, Wide(action.text))
                       ? ""
                       : "the address field is missing";
        case Kind::Wait:
            return app.WaitUntilIdle(kLoadTimeoutMs) ? "" : "the windows did not finish loading";
        }
        return "unknown action";
    }

    std::string Choose(const POINT& point, const std::vector<std::string>& items) {
        browser::Browser::Hit hit = m_app->HitTest(point);
        dom::Element* select = hit.element ? hit.element->ClosestWithTag(u"select") : nullptr;
        if (!select) {
            return "no selection list at (" + std::to_string(point.x) + "," +
                   std::to_string(point.y) + ")";
        }
        dom::NodeRef keep(select);
        std::vector<dom::Element*> options;
        CollectOptions(select, options);
        for (const std::string& item : items) {
            std::u16string wanted = Wide(item);
            int index = -1;
            for (size_t i = 0; i < options.size() && index < 0; ++i) {
                if (Trimmed(options[i]->TextContent()) == wanted) {
                    index = static_cast<int>(i);
                }
            }
            if (index < 0 || !m_app->ChooseListItem(*select, index)) {
                return "the list has no item \"" + item + "\"";
            }
        }
        return "";
    }

    std::string ChooseHistory(const std::string& label) {
        if (!m_browserWindow) {
            return "no browser window";
        }
        dom::Element* popup = m_browserWindow->ChromeElement(u"ubhist-popup");
        int index = 0;
        std::u16string wanted = Wide(label);
        for (dom::Node* node = popup ? popup->FirstChild() : nullptr; node;
             node = node->NextSibling()) {
            if (!node->IsElement() || !static_cast<dom::Element*>(node)->HasTag(u"menuitem")) {
                continue;
            }
            if (static_cast<dom::Element*>(node)->Attribute(u"label") == wanted) {
                return m_app->ChooseHistoryEntry(*m_browserWindow, index)
                           ? ""
                           : "the history entry \"" + label + "\" did nothing";
            }
            ++index;
        }
        return "the address history has no entry \"" + label + "\"";
    }

    std::thread m_thread;
    browser::Browser* m_app = nullptr; // observes: lives on the browser thread while it runs
    browser::BrowserWindow* m_browserWindow = nullptr; // observes: owned by the browser
    HWND m_window = nullptr;
    std::atomic<bool> m_stop{false};
};

} // namespace

std::unique_ptr<SimulatedBrowser> StartSimulatedBrowser(const BrowserStart& start,
                                                        std::string& error) {
    auto browser = std::make_unique<ShellBrowser>();
    if (!browser->Start(start, error)) {
        return nullptr;
    }
    return browser;
}

} // namespace cli
