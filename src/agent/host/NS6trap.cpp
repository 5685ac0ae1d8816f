#include "agent/host/NS6trap.h"

#include "agent/common/IAgentContext.h"
#include "agent/common/WindowHelpers.h"
#include "agent/dispatch/CNS6Interface.h"
#include "agent/host/TrapState.h"
#include "agent/model/CNS6Browser.h"
#include "platform/win32/Windows.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"
#include "platform/xpcom/nsXPCOM.h"
#include "platform/xpcom/pratom.h"
#include "platform/xpcom/shell/nsINetwork.h"
#include "platform/xpcom/shell/nsIPresShell.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr const char* kBrowserWindowClass = "MozillaWindowClass";

// The trap's debug lines: 33 asterisks, a blank, the text, a blank, a line
// feed.
void TrapDebugLine(const char* text) {
    std::string line(33, '*');
    line += ' ';
    line += text;
    line += " \n";
    OutputDebugStringA(line.c_str());
}

bool HasClass(HWND window, const char* className) {
    char buffer[256] = {};
    return GetClassName(window, buffer, sizeof buffer) > 0 && std::strcmp(buffer, className) == 0;
}

NS6trap* g_Trap = nullptr; // holds one reference while set

// The address of the request and a second, shorter description of it (the
// request's own name when that differs, else its path) for the debug line.
void DescribeRequest(nsIRequest* request, std::string& spec, std::string& detail) {
    if (!request)
        return;
    nsCOMPtr<nsIChannel> channel = do_QueryInterface(request);
    nsCOMPtr<nsIURI> uri;
    if (channel && NS_SUCCEEDED(channel->GetURI(getter_AddRefs(uri))) && uri) {
        uri->GetSpec(spec);
        uri->GetPath(detail);
    } else {
        request->GetName(spec);
    }
}

// A new listener with no reference yet: the browser object takes the one it
// keeps.
nsIURIContentListener* MakeContentListener(const CWebObjRef& browser) {
    return new NS6trapURIContentListener(browser);
}

} // namespace

// --- NS6trap ---------------------------------------------------------------

NS6trap::NS6trap() {
    TrapDebugLine("TRAP LOADED");
    GetTrapGlobals().context.SetContentListenerFactory(&MakeContentListener);
}

nsresult NS6trap::QueryInterface(const nsIID& iid, void** result) {
    if (!result)
        return E_POINTER;
    void* found = nullptr;
    if (iid.Equals(nsIAppShellComponent::kIID))
        found = static_cast<nsIAppShellComponent*>(this);
    else if (iid.Equals(nsISupportsWeakReference::kIID) || iid.Equals(nsISupports::kIID))
        found = static_cast<nsISupportsWeakReference*>(this);
    else if (iid.Equals(nsIObserver::kIID))
        found = static_cast<nsIObserver*>(this);
    else if (iid.Equals(nsIWebProgressListener::kIID))
        found = static_cast<nsIWebProgressListener*>(this);
    *result = found;
    if (!found)
        return E_NOINTERFACE;
    AddRef();
    return NS_OK;
}

uint32_t NS6trap::AddRef() {
    return static_cast<uint32_t>(PR_AtomicIncrement(&m_RefCount));
}

uint32_t NS6trap::Release() {
    PRInt32 count = PR_AtomicDecrement(&m_RefCount);
    if (count == 0) {
        m_RefCount = 1; // stable while the destructor runs
        ClearWeakReferences();
        delete this;
    }
    return static_cast<uint32_t>(count);
}

nsresult NS6trap::Initialize(nsISupports*, nsISupports*) {
    TrapDebugLine("TRAP Initialize");
    nsresult rv = NS_OK;
    nsCOMPtr<nsIDocumentLoader> loader = do_GetService(kDocumentLoaderServiceCID, &rv);
    if (NS_SUCCEEDED(rv) && loader) {
        nsCOMPtr<nsIWebProgress> progress = do_QueryInterface(loader);
        if (progress)
            progress->AddProgressListener(this);
    }
    SetTrapDispatcher(std::make_unique<CNS6Interface>());
    return NS_OK;
}

nsresult NS6trap::Shutdown() {
    DestroyTrapState();
    DestroyDispatcher();
    return NS_OK;
}

nsresult NS6trap::Observe(nsISupports*, const char*, const PRUnichar*) {
    TrapDebugLine("TRAP Observe");
    return E_NOTIMPL;
}

nsresult NS6trap::OnStateChange(nsIWebProgress* progress, nsIRequest* request, PRUint32 stateFlags,
                                nsresult) {
    constexpr PRUint32 kDocumentStop =
        nsIWebProgressListener::STATE_STOP | nsIWebProgressListener::STATE_IS_DOCUMENT;
    if ((stateFlags & kDocumentStop) != kDocumentStop || !progress)
        return NS_OK;

    // From the progress to the window the document was loaded into, through
    // the document's presentation and the document shell that contains it.
    nsCOMPtr<nsIDOMWindow> progressWindow;
    if (NS_FAILED(progress->GetDOMWindow(getter_AddRefs(progressWindow))) || !progressWindow)
        return NS_OK;
    nsCOMPtr<nsIDOMDocument> document;
    if (NS_FAILED(progressWindow->GetDocument(getter_AddRefs(document))) || !document)
        return NS_OK;
    nsCOMPtr<nsIPresShell> presShell = NS_GetFirstPresShell(document);
    if (!presShell)
        return NS_OK;
    nsCOMPtr<nsIPresContext> presContext;
    if (NS_FAILED(presShell->GetPresContext(getter_AddRefs(presContext))) || !presContext)
        return NS_OK;
    nsCOMPtr<nsISupports> container;
    if (NS_FAILED(presContext->GetContainer(getter_AddRefs(container))) || !container)
        return NS_OK;
    nsCOMPtr<nsIDocShell> docShell = do_QueryInterface(container);
    if (!docShell)
        return NS_OK;
    nsCOMPtr<nsIDOMWindow> loaded;
    if (NS_FAILED(docShell->GetDOMWindow(getter_AddRefs(loaded))) || !loaded)
        return E_FAIL;

    std::string spec;
    std::string detail;
    DescribeRequest(request, spec, detail);
    char line[2048];
    std::snprintf(
        line, sizeof line,
        "****OnEndDocumentLoad                %s %s Loader %p docshell %p DOMdocument %p\n",
        spec.c_str(), detail.c_str(), static_cast<void*>(progress),
        static_cast<void*>(docShell.get()), static_cast<void*>(document.get()));
    OutputDebugStringA(line);

    return HandleLoadedWindow(loaded, spec);
}

nsresult NS6trap::HandleLoadedWindow(nsIDOMWindow* window, std::string_view uriSpec) {
    HWND native = GetNativeWindow(window);
    HWND content = GetContentWindowOf(native);
    CNS6GeneralTrapInfo* trapState = GetNS6TrapInfo();
    if (!trapState)
        return E_FAIL;

    if (content && !IsTopContentWindow(window)) {
        trapState->GetOrCreateFrame(window, content);
        return NS_OK;
    }
    if (uriSpec.find("/navigator.xul") != std::string_view::npos) {
        trapState->GetOrCreateBrowser(native, window);
        return NS_OK;
    }
    if (uriSpec.find(".xul") != std::string_view::npos) {
        nsCOMPtr<nsIDocShell> docShell;
        GetDocShell(window, getter_AddRefs(docShell));
        nsCOMPtr<nsIDocShellTreeItem> item = do_QueryInterface(docShell);
        if (!item)
            return NS_OK;
        nsCOMPtr<nsIDocShellTreeItem> parent;
        if (NS_SUCCEEDED(item->GetParent(getter_AddRefs(parent))) && parent)
            return NS_OK; // chrome nested in other chrome
        CWebObjRef browser = trapState->GetOrCreateBrowser(native, window);
        if (!browser.IsValid())
            return NS_OK;
        trapState->GetOrCreatePage(window, native);
    }
    return NS_OK;
}

nsresult NS6trap::OnProgressChange(nsIWebProgress*, nsIRequest*, PRInt32, PRInt32, PRInt32,
                                   PRInt32) {
    return E_NOTIMPL;
}

nsresult NS6trap::OnLocationChange(nsIWebProgress*, nsIRequest*, nsIURI*) {
    return E_NOTIMPL;
}

nsresult NS6trap::OnStatusChange(nsIWebProgress*, nsIRequest*, nsresult, const nsAString&) {
    return E_NOTIMPL;
}

nsresult NS6trap::OnSecurityChange(nsIWebProgress*, nsIRequest*, PRUint32) {
    return E_NOTIMPL;
}

NS6trap* GetTrap() {
    TrapDebugLine("TRAP LOADED");
    if (!g_Trap) {
        g_Trap = new NS6trap();
        g_Trap->AddRef(); // the global's own reference
    }
    g_Trap->AddRef();
    return g_Trap;
}

void ReleaseTrap() {
    if (NS6trap* trap = std::exchange(g_Trap, nullptr))
        trap->Release();
}

HWND GetContentWindowOf(HWND window) {
    if (!window || !IsWindow(window) || !HasClass(window, kBrowserWindowClass))
        return nullptr;
    for (HWND candidate = window; candidate; candidate = GetParent(candidate)) {
        HWND fourth = candidate;
        for (int i = 0; i < 4 && fourth; ++i)
            fourth = GetParent(fourth);
        if (fourth && !GetParent(fourth))
            return HasClass(fourth, kBrowserWindowClass) ? candidate : nullptr;
    }
    return nullptr;
}

// --- NS6trapURIContentListener ----------------------------------------------

nsresult NS6trapURIContentListener::QueryInterface(const nsIID& iid, void** result) {
    if (!result)
        return E_POINTER;
    if (iid.Equals(nsIURIContentListener::kIID) || iid.Equals(nsISupports::kIID)) {
        *result = static_cast<nsIURIContentListener*>(this);
        AddRef();
        return NS_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
}

uint32_t NS6trapURIContentListener::AddRef() {
    return static_cast<uint32_t>(PR_AtomicIncrement(&m_RefCount));
}

uint32_t NS6trapURIContentListener::Release() {
    PRInt32 count = PR_AtomicDecrement(&m_RefCount);
    if (count == 0) {
        m_RefCount = 1;
        delete this;
    }
    return static_cast<uint32_t>(count);
}

nsresult NS6trapURIContentListener::OnStartURIOpen(nsIURI* uri, PRBool* abort) {
    if (CWebObj* browser = m_Browser.Get()) {
        if (IAgentContext* context = browser->GetContext())
            context->NotifyNavigationStart(m_Browser, uri);
    }
    if (m_Chained)
        return m_Chained->OnStartURIOpen(uri, abort);
    return NS_OK;
}

nsresult NS6trapURIContentListener::GetProtocolHandler(nsIURI* uri, nsISupports** handler) {
    if (m_Chained)
        return m_Chained->GetProtocolHandler(uri, handler);
    if (handler)
        *handler = nullptr;
    return NS_OK;
}

nsresult NS6trapURIContentListener::DoContent(const char*, PRBool, nsIRequest*, nsIStreamListener**,
                                              PRBool*) {
    return E_NOTIMPL;
}

nsresult NS6trapURIContentListener::IsPreferred(const char* contentType, PRInt32 command,
                                                nsACString& desiredContentType, PRBool* result) {
    if (m_Chained)
        return m_Chained->IsPreferred(contentType, command, desiredContentType, result);
    CWebObj* object = m_Browser.Get();
    auto* browser = dynamic_cast<CNS6Container*>(object);
    if (!browser)
        return NS_OK;
    nsCOMPtr<nsIDocShell> docShell;
    GetDocShell(browser->GetChromeWindow(), getter_AddRefs(docShell));
    nsCOMPtr<nsIURIContentListener> own = NS_GetInterface<nsIURIContentListener>(docShell);
    if (!own)
        return NS_OK;
    return own->CanHandleContent(contentType, command, desiredContentType, result);
}

nsresult NS6trapURIContentListener::CanHandleContent(const char*, PRInt32, nsACString&, PRBool*) {
    return E_NOTIMPL;
}

nsresult NS6trapURIContentListener::GetLoadCookie(nsISupports**) {
    return E_NOTIMPL;
}

nsresult NS6trapURIContentListener::SetLoadCookie(nsISupports*) {
    return E_NOTIMPL;
}

nsresult NS6trapURIContentListener::GetParentContentListener(nsIURIContentListener** parent) {
    if (!parent)
        return E_POINTER;
    *parent = m_Chained.get();
    if (m_Chained)
        m_Chained->AddRef();
    return NS_OK;
}

nsresult NS6trapURIContentListener::SetParentContentListener(nsIURIContentListener* parent) {
    m_Chained = parent;
    return NS_OK;
}
