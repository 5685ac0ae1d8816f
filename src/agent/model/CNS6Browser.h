// The browser object: one test object per top-level browser window, the root
// of that window's object tree. Its children are the pages of the window's
// content areas, and through the pages the frames.
//
//     // Made only by the global trap state, which registers it by window handle:
//     auto browser = std::make_unique<CNS6Browser>(hwnd, chromeWindow, context);
//     browser->GetAgentWindow();                   // creates it on first call
//     CWebObjRef page = browser->GetChild(1);      // builds the page lazily
//
// The container carries the behaviour; the browser adds its class name and
// the browser-wide methods. Pages are owned by the browser, the browser by
// the trap state; deleting the browser unregisters it and takes its agent
// window, pages and frames with it.
#pragma once

#include "agent/model/CWebObj.h"
#include "platform/win32/WinDef.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"
#include "platform/xpcom/nsCOMPtr.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class CAgentWindow;
class IAgentContext;
class nsIURIContentListener;

class CNS6Container : public CWebObj {
public:
    // The context is handed to the agent window, the pages and the frames.
    // The browser installs the context's URI content listener in its chrome
    // document shell's chain of parent content listeners; without one
    // "listener installed" stays 0.
    CNS6Container(HWND window, nsIDOMWindow* chromeWindow, IAgentContext* context = nullptr);
    // Deletes the agent window and removes this browser from the trap
    // state's registry.
    ~CNS6Container() override;

    bool AddChild(const CWebObjRef& child) override;
    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    CWebObjRef GetChildById(const CWebRunTimeID& id) override;
    int GetChildCount() override { return CWebObj::GetChildCount(); }
    // Flags are ignored: every page followed by its frames.
    bool CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) override;
    bool CallMethod(std::string_view method, CWebInfo& record) override;
    bool BuildChildren() override;

    HWND GetWindow() const { return HwndFromValue(static_cast<ULONG>(m_Window)); }
    int32_t GetWindowValue() const { return m_Window; }
    nsIDOMWindow* GetChromeWindow() const { return m_ChromeWindow.get(); }
    bool IsListenerInstalled() const { return m_ListenerInstalled; }
    nsIURIContentListener* GetContentListener() const { return m_ContentListener; }

    // Created on first call (when the tool's presence window exists).
    CAgentWindow* GetAgentWindow();
    // The primary content area's DOM window, found once and then kept.
    nsIDOMWindow* GetContentWindow();
    // The window exists and the chrome window still has a document shell.
    bool IsAlive();
    // The page whose window is `window` or `window`'s parent; no building.
    CWebObjRef FindChildByWindow(HWND window);
    // The frame object of a DOM window, asked of each page in turn.
    CWebObjRef FindFrameByWindow(nsIDOMWindow* window);
    // Deletes the pages that are no longer alive.
    void PruneDeadChildren();

protected:
    // "GetHtmlClass": which kind of window a native handle is.
    void GetHtmlClass(CWebInfo& record);
    void SaveImgContentToFile(CWebInfo& record);
    // The pages collected by the base collector (flags 1).
    std::vector<CWebObjRef> CollectPages();

private:
    int32_t m_Window;
    nsCOMPtr<nsIDOMWindow> m_ChromeWindow;
    nsCOMPtr<nsIDOMWindow> m_ContentWindow;             // null until first needed
    nsIURIContentListener* m_ContentListener = nullptr; // holds one reference
    std::unique_ptr<CAgentWindow> m_AgentWindow;
    bool m_ListenerInstalled = false;
};

class CNS6Browser : public CNS6Container {
public:
    CNS6Browser(HWND window, nsIDOMWindow* chromeWindow, IAgentContext* context = nullptr);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    bool CallMethod(std::string_view method, CWebInfo& record) override;

    // The screen rectangle of the toolbar element of a browser command
    // ("Back", "Forward", "Home", "ReLoad", "Navigate").
    bool GetToolBarRect(std::string_view command, RECT& rect);
};
