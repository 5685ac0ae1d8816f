// The trap: the component the application shell starts with the browser, and
// the agent's anchor in it. Its Initialize creates the request dispatcher and
// subscribes to the document loader's progress notifications; from then on
// every finished document makes it look at the window the document went into,
// recognise browser windows and their frames, and register browser, page and
// frame objects with the global trap state.
//
//     nsCOMPtr<nsIAppShellComponent> trap = GetTrap();   // the one instance
//     trap->Initialize(nullptr, nullptr);
//
// NS6trapURIContentListener is the parent content listener each browser
// object installs in its chrome document shell, through which the agent hears
// of every navigation the user starts.
#pragma once

#include "agent/model/CWebObj.h"
#include "platform/win32/WinDef.h"
#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsIAppShellComponent.h"
#include "platform/xpcom/nsIObserver.h"
#include "platform/xpcom/nsIWeakReference.h"
#include "platform/xpcom/shell/nsIDocShell.h"
#include "platform/xpcom/shell/nsIWebProgress.h"

#include <string_view>

class nsIDOMWindow;

// The document loader service, by its class identifier.
inline constexpr nsCID kDocumentLoaderServiceCID{
    0x057B04D0, 0x0CCF, 0x11D2, {0xBE, 0xBA, 0x00, 0x80, 0x5F, 0x8A, 0x66, 0xDC}};

class NS6trap final : public nsIAppShellComponent,
                      public nsSupportsWeakReference,
                      public nsIObserver,
                      public nsIWebProgressListener {
public:
    NS6trap();

    nsresult QueryInterface(const nsIID& iid, void** result) override;
    uint32_t AddRef() override;
    uint32_t Release() override;

    nsresult Initialize(nsISupports* appShell, nsISupports* startupInfo) override;
    nsresult Shutdown() override;

    nsresult Observe(nsISupports* subject, const char* topic, const PRUnichar* data) override;

    nsresult OnStateChange(nsIWebProgress* progress, nsIRequest* request, PRUint32 stateFlags,
                           nsresult status) override;
    nsresult OnProgressChange(nsIWebProgress* progress, nsIRequest* request,
                              PRInt32 currentSelfProgress, PRInt32 maxSelfProgress,
                              PRInt32 currentTotalProgress, PRInt32 maxTotalProgress) override;
    nsresult OnLocationChange(nsIWebProgress* progress, nsIRequest* request,
                              nsIURI* location) override;
    nsresult OnStatusChange(nsIWebProgress* progress, nsIRequest* request, nsresult status,
                            const nsAString& message) override;
    nsresult OnSecurityChange(nsIWebProgress* progress, nsIRequest* request,
                              PRUint32 state) override;

    // What a finished document means for the agent, given the window it was
    // loaded into and its address.
    nsresult HandleLoadedWindow(nsIDOMWindow* window, std::string_view uriSpec);

private:
    ~NS6trap() override = default;

    PRInt32 m_RefCount = 0;
};

// The trap singleton with a reference for the caller, created on first use;
// null only when it cannot be made.
NS6trap* GetTrap();
// Releases the singleton's own reference and forgets it (module unload).
void ReleaseTrap();

// The browser window's content window that `window` lies in: the window
// itself or an ancestor whose fourth ancestor is a top-level window of the
// browser's class; null for any other window.
HWND GetContentWindowOf(HWND window);

class NS6trapURIContentListener final : public nsIURIContentListener {
public:
    explicit NS6trapURIContentListener(const CWebObjRef& browser) : m_Browser(browser) {}

    nsresult QueryInterface(const nsIID& iid, void** result) override;
    uint32_t AddRef() override;
    uint32_t Release() override;

    nsresult OnStartURIOpen(nsIURI* uri, PRBool* abort) override;
    nsresult GetProtocolHandler(nsIURI* uri, nsISupports** handler) override;
    nsresult DoContent(const char* contentType, PRBool isContentPreferred, nsIRequest* request,
                       nsIStreamListener** handler, PRBool* abort) override;
    nsresult IsPreferred(const char* contentType, PRInt32 command, nsACString& desiredContentType,
                         PRBool* result) override;
    nsresult CanHandleContent(const char* contentType, PRInt32 command,
                              nsACString& desiredContentType, PRBool* result) override;
    nsresult GetLoadCookie(nsISupports** cookie) override;
    nsresult SetLoadCookie(nsISupports* cookie) override;
    nsresult GetParentContentListener(nsIURIContentListener** parent) override;
    nsresult SetParentContentListener(nsIURIContentListener* parent) override;

private:
    ~NS6trapURIContentListener() override = default;

    PRInt32 m_RefCount = 0;
    // The listener that was the shell's parent before us. Held, so that a
    // chain whose previous listener is released elsewhere never leaves us
    // calling freed memory.
    nsCOMPtr<nsIURIContentListener> m_Chained;
    CWebObjRef m_Browser;
};
