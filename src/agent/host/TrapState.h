// The process-wide trap state: one holder for the request dispatcher and the
// trap state object, which owns the registry of browser objects (one per
// top-level browser window, keyed by its window handle) and the class table
// used for descriptions.
//
//     CNS6GeneralTrapInfo* trap = GetNS6TrapInfo();      // null after Shutdown
//     if (trap) {
//         CWebObjRef browser = trap->GetOrCreateBrowser(hwnd, chromeWindow);
//         CWebObjRef known = trap->GetOrCreateBrowser(hwnd, nullptr); // lookup only
//     }
//     CNS6Interface* dispatcher = GetNS6Dispatcher();    // null before Initialize
//
// Everything runs on the browser's user-interface thread. The registry lock
// is re-entrant: deleting a browser object re-enters it through
// RemoveBrowser, and a nested request handled while the agent window
// announces itself may reach the registry again.
#pragma once

#include "agent/classutil/ClassUtilities.h"
#include "agent/dispatch/CDispatcherContext.h"
#include "agent/elements/LayoutTreeBuilder.h"
#include "agent/model/CWebObj.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinDef.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CInterface;
class CNS6Interface;
class CNS6Container;
class nsIDOMWindow;
class nsIURI;
class nsIURIContentListener;

class CGeneralTrapInfo {
public:
    // Fills the class table with every described class and gives each its
    // default description template.
    CGeneralTrapInfo();
    CGeneralTrapInfo(const CGeneralTrapInfo&) = delete;
    CGeneralTrapInfo& operator=(const CGeneralTrapInfo&) = delete;

    // Kept for the layout of the virtual table; the browser-specific state
    // does nothing here.
    virtual void Reserved() {}
    virtual ~CGeneralTrapInfo();

    HINSTANCE GetModuleInstance() const { return m_ModuleInstance; }
    void SetModuleInstance(HINSTANCE instance) { m_ModuleInstance = instance; }

    const ClassTable& GetClassTable() const { return m_ClassTable; }
    // The utility registered under exactly this class name, or null.
    CWebObjUtil* FindClassUtil(std::string_view className) const;

private:
    HINSTANCE m_ModuleInstance = nullptr;
    ClassTable m_ClassTable;
};

class CNS6GeneralTrapInfo : public CGeneralTrapInfo {
public:
    CNS6GeneralTrapInfo();
    // Deletes every registered browser object (and with them their agent
    // windows, pages and frames).
    ~CNS6GeneralTrapInfo() override;

    // The browser object of the top-level window of `window`. With a chrome
    // window, an unknown browser window gets a new browser object (and its
    // agent window); without one this is a pure lookup. Null when there is
    // no browser-specific dispatcher, the window is null or gone, or
    // creation failed.
    CWebObjRef GetOrCreateBrowser(HWND window, nsIDOMWindow* chromeWindow);
    // Drops the registry entry of a browser object that is being destroyed;
    // does not delete it.
    void RemoveBrowser(HWND window);
    // Deletes the browser objects whose window no longer exists.
    void PurgeClosedBrowsers();
    // Handles to the registered browser objects in registry order (ascending
    // window handle), without purging.
    void ListBrowsers(std::vector<CWebObjRef>& out) const;
    size_t GetBrowserCount() const;

    // Frame registration for a finished document of a subframe: the frame
    // object of `window` under the page of `contentWindow`'s browser, made
    // when there is none for the window's native window yet.
    CWebObjRef GetOrCreateFrame(nsIDOMWindow* window, HWND contentWindow);
    // Page registration: the page of the window's native window (or of
    // `handle` when the window has none) in its browser, refreshed when it
    // exists and added to the browser when it does not.
    CWebObjRef GetOrCreatePage(nsIDOMWindow* window, HWND handle);

    // The layout tree builder: the only maker of element objects
    // (LayoutTreeBuilder.h says what each operation does).
    CLayoutTreeBuilder& GetLayoutBuilder() { return m_LayoutBuilder; }
    CWebObjRef CreateElementObject(nsIDOMNode* node, const CWebObjRef& parent,
                                   LayoutPosition position, MapImage mapImage) {
        return m_LayoutBuilder.CreateElementObject(node, parent, position, mapImage);
    }
    CWebObjRef ObjectForNode(nsIDOMNode* node, const CWebObjRef& parent, uint32_t flags,
                             MapImage mapImage) {
        return m_LayoutBuilder.ObjectForNode(node, parent, flags, mapImage);
    }
    bool CollectElementObjects(nsIDOMNode* root, const CWebObjRef& parent,
                               std::vector<CWebObjRef>& out, uint32_t flags) {
        return m_LayoutBuilder.CollectElementObjects(root, parent, out, flags);
    }
    nsCOMPtr<nsIDOMNode> ResolveImageMapNode(nsIDOMNode* node, const CWebObjRef& parent) {
        return m_LayoutBuilder.ResolveImageMapNode(node, parent);
    }
    CWebObjRef FindRecordableObject(nsIDOMNode* node, const CWebObjRef& parent,
                                    TableCheck tableCheck) {
        return m_LayoutBuilder.FindRecordableObject(node, parent, tableCheck);
    }
    nsCOMPtr<nsIDOMNode> NearestSignificantElement(nsIDOMNode* node) const {
        return CLayoutTreeBuilder::NearestSignificantElement(node);
    }

private:
    class RegistryLock;

    // Browser objects by top-level window handle; owned. An entry is taken
    // out of the map before its object is deleted, so that the destructor's
    // RemoveBrowser finds nothing left to drop.
    std::map<int32_t, std::unique_ptr<CNS6Container>> m_Browsers;
    mutable CRITICAL_SECTION m_RegistryLock;
    CLayoutTreeBuilder m_LayoutBuilder;
};

// The agent context of the global trap state: the holder's dispatcher, the
// trap state's registry and module, and the trap object's hooks. Every part
// answers "none" while what it forwards to is missing.
class CTrapContext : public CDispatcherContext {
public:
    // Makes the URI content listener of a browser object, with no reference
    // yet; the browser takes the one it keeps.
    using ContentListenerFactory = nsIURIContentListener* (*)(const CWebObjRef& browser);
    // Told when a navigation starts in a browser window.
    using NavigationStartHandler = void (*)(const CWebObjRef& browser, nsIURI* uri);

    CTrapContext();

    // The agent's text matching with "!" patterns through "rexp.dll".
    TextMatchFunction GetTextMatcher() const override;
    bool HasTrapState() const override;
    HINSTANCE GetModuleInstance() const override;
    bool ListBrowsers(std::vector<CWebObjRef>& out) override;
    void RemoveBrowser(HWND window) override;
    CWebObjRef GetOrCreatePage(nsIDOMWindow* window, HWND handle) override;
    CWebObjRef GetOrCreateFrame(nsIDOMWindow* window, HWND contentWindow) override;
    nsIURIContentListener* CreateContentListener(const CWebObjRef& browser) override;
    void NotifyNavigationStart(const CWebObjRef& browser, nsIURI* uri) override;

    // The trap object installs its listener when it is made; until then
    // browser objects install none.
    void SetContentListenerFactory(ContentListenerFactory factory) { m_ListenerFactory = factory; }
    // The recorder's navigation notice; until one is set navigations are only
    // passed on down the listener chain.
    void SetNavigationStartHandler(NavigationStartHandler handler) { m_NavigationStart = handler; }

private:
    ContentListenerFactory m_ListenerFactory = nullptr;
    NavigationStartHandler m_NavigationStart = nullptr;
};

// The holder, created on first access and never destroyed.
struct TrapGlobals {
    std::unique_ptr<CGeneralTrapInfo> trapState; // set at library load, cleared by Shutdown
    std::unique_ptr<CInterface> dispatcher;      // set by Initialize, cleared by Shutdown
    CTrapContext context; // installed as the process's agent context at library load
};
TrapGlobals& GetTrapGlobals();

// The holder's trap state when it is the browser-specific one, else null.
CNS6GeneralTrapInfo* GetNS6TrapInfo();
// The holder's dispatcher when it is the browser-specific one, else null.
CNS6Interface* GetNS6Dispatcher();
// The module instance kept by the trap state; null without one.
HINSTANCE GetTrapModuleInstance();

// Library load: a new browser-specific trap state for this module instance.
// Also installs the holder's context as the process's agent context.
void CreateTrapState(HINSTANCE instance);
// Trap Initialize: stores the dispatcher (replacing and deleting any other)
// and installs the holder's context.
void SetTrapDispatcher(std::unique_ptr<CInterface> dispatcher);
// Trap Shutdown: each deletes its object only when it is the browser-specific
// class, and clears the pointer.
void DestroyTrapState();
void DestroyDispatcher();
