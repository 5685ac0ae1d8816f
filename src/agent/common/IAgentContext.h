// The agent's context: the one object through which a lower layer of the agent
// reaches a service of a higher one (tool options, the dispatcher, the browser
// registry, the trap state's module), instead of through process-wide setters.
//
//     IAgentContext* context = object.GetContext();   // handed down the object tree
//     if (context && context->GetOption("TrimProperties") > 0) ...
//
// The global trap state owns the one real implementation and hands it to the
// browser objects it creates (and through them to their pages, frames,
// elements and agent windows) and to the dispatcher. Each later layer that
// needs a service of a layer above it adds a member here, documented as those
// below are; the implementation in the trap state forwards to the service.
//
// Hosts without a trap state (the console's stand-in browser, tests) install
// their own with InstallAgentContext; what was not handed a context uses the
// installed one. Everything runs on the browser's user-interface thread.
#pragma once

#include "platform/win32/WinDef.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CWebInfo;
class CWebObjRef;
class CWebRunTimeID;
class nsIDOMWindow;
class nsIURI;
class nsIURIContentListener;

// The comparison of a described text (which it may cut in place) with an
// actual text.
using TextMatchFunction = bool (*)(std::string& described, std::string_view actual);

class IAgentContext {
public:
    IAgentContext() = default;
    IAgentContext(const IAgentContext&) = delete;
    IAgentContext& operator=(const IAgentContext&) = delete;

    // --- Tool options and the dispatcher ---

    // Whether a dispatcher is there to serve requests.
    virtual bool HasDispatcher() const = 0;
    // A tool option (message 48); 0 when never set or when there is no
    // dispatcher. Test objects read "TrimProperties" and the like through it.
    virtual int32_t GetOption(std::string_view name) const = 0;
    // The option "UseOldName" as the dispatcher fixed it when the connection
    // was announced; -1 before that or without a dispatcher.
    virtual int32_t GetFixedUseOldName() const = 0;
    // Runs a request through the dispatcher as if the tool had sent it and
    // leaves the results in the record; false when there is no dispatcher.
    // The agent window hands the tool's requests over here, and class
    // utilities ask for a class index with message 15.
    virtual bool Dispatch(CWebInfo& request) = 0;
    // Announces a new agent window to the tool (message 38) through the
    // dispatcher; false without one.
    virtual bool AnnounceConnection(HWND browserWindow, HWND agentWindow) = 0;
    // Stores the last recorded statement, which the tool collects with
    // message 22. The recorder deposits it here.
    virtual void StoreLastEvent(const CWebRunTimeID& id, std::string_view name,
                                const CWebInfo& record) = 0;

    // The comparison test objects use for texts: the agent's text matching
    // with "!" patterns (MatchText), or null for plain equality.
    virtual TextMatchFunction GetTextMatcher() const = 0;

    // --- The global trap state ---

    // Whether the global trap state exists (its registry and module).
    virtual bool HasTrapState() const = 0;
    // The module instance of the agent's component library; null without a
    // trap state (no tool-tip or agent window class can be owned then).
    virtual HINSTANCE GetModuleInstance() const = 0;
    // The registered browser objects in registry order, after those whose
    // window is gone were dropped; false when there is no registry.
    virtual bool ListBrowsers(std::vector<CWebObjRef>& out) = 0;
    // Drops the registry entry of a browser object that is being destroyed;
    // does not delete it.
    virtual void RemoveBrowser(HWND window) = 0;
    // Page registration: the page of the window's native window (or of
    // `handle` when the window has none) in its browser; null without one.
    virtual CWebObjRef GetOrCreatePage(nsIDOMWindow* window, HWND handle) = 0;
    // Frame registration: the frame object of `window` under the page of
    // `contentWindow`'s browser; null without one.
    virtual CWebObjRef GetOrCreateFrame(nsIDOMWindow* window, HWND contentWindow) = 0;

    // --- The trap object's hooks ---

    // The URI content listener a new browser object chains into its chrome
    // document shell, with one reference for the caller; null when there is
    // none to install.
    virtual nsIURIContentListener* CreateContentListener(const CWebObjRef& browser) = 0;
    // The browser's content listener saw a document load start for `uri`:
    // the navigation notice that the recorder turns into message 46.
    virtual void NotifyNavigationStart(const CWebObjRef& browser, nsIURI* uri) = 0;

protected:
    virtual ~IAgentContext() = default;
};

// The context of this process: the global trap state's while it exists, else
// the one a host without a trap state installed, else null.
IAgentContext* GetAgentContext();
// Installs the context of this process (null removes it) and answers the one
// it replaces. The global trap state installs its own when it is created.
IAgentContext* InstallAgentContext(IAgentContext* context);
