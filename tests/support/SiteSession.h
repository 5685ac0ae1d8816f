// The simulated browser with the whole agent in this process, as the
// component would run in it (trap state, trap object following document
// loads, dispatcher, recording observer), on a site of pages that hold every
// kind of element the agent models: links, images, an image map, tables,
// forms with every control, selection lists, lists, inner frames, and a
// frameset page. For the long-running checks (fuzzing, soak) and their tests.
//
//     testsupport::SiteSession site(WEBAGENT_MODULE_DIR);
//     if (!site.Start() || !site.Show(testsupport::SiteSession::kStartPage)) ...
//     std::vector<CWebObjRef> elements = site.Elements();
//     std::vector<CWebRunTimeID> removed = site.RemoveDoomedElements();
//     CWebInfo reply = request;  site.Dispatch(reply);
//
// Everything runs on the thread that made the session.
#pragma once

#include "agent/channel/CWebInfo.h"
#include "agent/model/CWebObj.h"
#include "platform/win32/WinDef.h"
#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsIAppShellComponent.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CNS6Interface;

namespace browser {
class Browser;
class BrowserWindow;
} // namespace browser

namespace testsupport {

class SiteSession {
public:
    // The page with every kind of element and an inner frame.
    static constexpr std::string_view kStartPage = "start.html";
    // Two frames of the same kinds of elements.
    static constexpr std::string_view kFramesetPage = "frameset.html";
    // A page the tests navigate away from.
    static constexpr std::string_view kOtherPage = "other.html";
    // Elements of the site pages whose id starts with this are the ones
    // RemoveDoomedElements takes out.
    static constexpr std::string_view kDoomedPrefix = "doomed";

    // `moduleDir` is where the tool's "rexp.dll" lies; class matching with
    // "!" patterns loads it from there.
    explicit SiteSession(std::string moduleDir);
    ~SiteSession();
    SiteSession(const SiteSession&) = delete;
    SiteSession& operator=(const SiteSession&) = delete;

    // Writes the site into a folder of its own, starts the browser, the trap
    // state and the trap object; false when any of it failed.
    bool Start();

    // Shows a page of the site in the session's window (opening the window
    // the first time, replacing the current history entry afterwards) and
    // waits until it and its frames are loaded; false when that failed.
    bool Show(std::string_view page);
    // Lets pending loads, events and timers run until the browser is idle.
    bool Settle();

    // The file: address of a page or file of the site.
    std::string Url(std::string_view name) const;
    const std::filesystem::path& Folder() const { return m_Folder; }

    // A fresh dispatcher, as after the trap initialised: no options, the
    // recorder's rules, the class templates and the enumeration at their
    // defaults.
    void ResetAgent();
    CNS6Interface& Dispatcher();
    // Dispatches the request, then lets whatever it started (a navigation, a
    // submitted form) finish; answers what the dispatcher answered.
    bool Dispatch(CWebInfo& record);

    HWND BrowserWindow() const;
    HWND ContentWindow() const;
    CWebObjRef Browser() const;
    CWebObjRef Page() const;
    // Every element object of the shown page and of its frames, in document
    // order, general elements included.
    std::vector<CWebObjRef> Elements() const;
    // Takes the elements whose id starts with kDoomedPrefix out of their
    // documents (the page's and its frames') and answers the identifiers
    // they had.
    std::vector<CWebRunTimeID> RemoveDoomedElements();

    browser::Browser& App() { return *m_App; }

private:
    browser::BrowserWindow* Window() const;

    std::string m_ModuleDir;
    std::filesystem::path m_Folder;
    std::unique_ptr<browser::Browser> m_App;
    nsCOMPtr<nsIAppShellComponent> m_Trap;
    browser::BrowserWindow* m_Window = nullptr; // observes: owned by m_App
    bool m_Started = false;
};

} // namespace testsupport
