// Starting the simulated browser for the console: the components folder with
// the agent component, its registration, the application shell's start-up
// and one browser window on the first page; and the simulated user's actions
// in that browser.
//
//     std::string error;
//     auto browser = StartSimulatedBrowser({.pages = {"demo/index.html"}}, error);
//     if (!browser) ...   // error says why; the console then runs without pages
#pragma once

#include "agent/channel/CWebRunTimeID.h"
#include "platform/win32/Windows.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct BrowserStart {
    std::vector<std::string> pages; // files or URLs; the demo site when empty
    // Serve requests through an agent window of a stand-in browser window
    // instead of starting the simulated browser (for wire-level work).
    bool standIn = false;
};

// A simulated user's action, as a script line gives it.
struct UserAction {
    enum class Kind {
        Click,
        DoubleClick,
        RightClick,
        Move,
        Type,
        Key,
        Choose,
        Toolbar,
        History,
        UrlBar,
        Navigate,
        Wait
    };
    Kind kind = Kind::Wait;
    // Pointer actions: a screen point, or an object whose rectangle is used
    // (at its top-left plus 2,2, or plus `at` when both are given).
    std::optional<POINT> at;
    std::optional<CWebRunTimeID> on;
    // The "on" object was named by address: it is brought into view first
    // ("MakeVisible") and the action aims at the screen point that reports.
    bool makeVisible = false;
    // The screen point the pointer actions use, worked out from at and on.
    std::optional<POINT> target;
    // The typed text, the key ("Tab", "Enter"), the toolbar button, the
    // history label, the address bar text or the URL to navigate to.
    std::string text;
    std::vector<std::string> items; // "choose": the list items to select
};

// The running browser as the console sees it.
class SimulatedBrowser {
public:
    virtual ~SimulatedBrowser() = default;
    virtual HWND BrowserWindow() const = 0;
    virtual bool Perform(const UserAction& action, std::string& error) = 0;
    // The open top-level browser windows, in the order they were opened.
    virtual std::vector<HWND> BrowserWindows() const = 0;
    // The native windows of every frame below the content area of
    // `browserWindow`, at any depth, in document order.
    virtual std::vector<HWND> FrameWindows(HWND browserWindow) const = 0;
};

// The error every browser-bound request answers while the simulated browser
// cannot be started.
inline constexpr const char* kBrowserUnavailable = "the simulated browser is not available";

// Starts the browser with the agent loaded; nothing, with the reason, when it
// cannot.
std::unique_ptr<SimulatedBrowser> StartSimulatedBrowser(const BrowserStart& start,
                                                        std::string& error);

// The folder of the built-in demo site.
std::string DemoSiteFolder();

} // namespace cli
