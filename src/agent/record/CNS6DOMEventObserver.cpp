#include "agent/record/CNS6DOMEventObserver.h"

#include "agent/common/IAgentContext.h"
#include "agent/common/WindowHelpers.h"
#include "agent/model/CNS6Page.h"
#include "agent/record/CNS6EventUtil.h"
#include "platform/win32/Windows.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/nsIWeakReference.h"

#include <atomic>
#include <vector>

namespace {

std::atomic<int> g_LiveObservers{0};

// The browser object whose top-level window holds `window`, looked up only.
CWebObjRef FindBrowserOf(IAgentContext& context, HWND window) {
    HWND top = window;
    while (top != nullptr && GetParent(top) != nullptr) {
        top = GetParent(top);
    }
    std::vector<CWebObjRef> browsers;
    if (top == nullptr || !context.ListBrowsers(browsers)) {
        return {};
    }
    for (CWebObjRef& browser : browsers) {
        if (browser.IsValid() &&
            HwndFromValue(static_cast<ULONG>(browser->RunTimeID().First())) == top) {
            return browser;
        }
    }
    return {};
}

} // namespace

CNS6DOMEventObserver::CNS6DOMEventObserver() {
    ++g_LiveObservers;
}

CNS6DOMEventObserver::~CNS6DOMEventObserver() {
    --g_LiveObservers;
}

int CNS6DOMEventObserver::LiveCount() {
    return g_LiveObservers.load();
}

nsresult CNS6DOMEventObserver::QueryInterface(const nsIID& iid, void** result) {
    if (result == nullptr) {
        return NS_ERROR_NULL_POINTER;
    }
    if (iid.Equals(nsIDOMMouseListener::kIID) || iid.Equals(nsISupports::kIID)) {
        *result = static_cast<nsIDOMMouseListener*>(this);
    } else if (iid.Equals(nsIDOMFocusListener::kIID)) {
        *result = static_cast<nsIDOMFocusListener*>(this);
    } else if (iid.Equals(nsIDOMFormListener::kIID)) {
        *result = static_cast<nsIDOMFormListener*>(this);
    } else if (iid.Equals(nsIDOMMenuListener::kIID)) {
        *result = static_cast<nsIDOMMenuListener*>(this);
    } else {
        *result = nullptr;
        return NS_NOINTERFACE;
    }
    AddRef();
    return NS_OK;
}

uint32_t CNS6DOMEventObserver::AddRef() {
    return static_cast<uint32_t>(PR_AtomicIncrement(&m_RefCount));
}

uint32_t CNS6DOMEventObserver::Release() {
    PRInt32 count = PR_AtomicDecrement(&m_RefCount);
    if (count == 0) {
        delete this;
    }
    return static_cast<uint32_t>(count);
}

nsresult CNS6DOMEventObserver::Attach(nsIDOMWindow* window) {
    nsCOMPtr<nsIDocShell> shell;
    if (window == nullptr || NS_FAILED(GetDocShell(window, getter_AddRefs(shell))) || !shell) {
        return E_FAIL;
    }
    // The window receives its DOM events (and, in the capture phase, those of
    // its pages and frames) itself.
    nsWeakPtr weak = do_GetWeakReference(window);
    if (!weak) {
        return E_FAIL;
    }
    nsCOMPtr<nsIDOMEventReceiver> receiver;
    nsresult rv = weak->QueryReferent(nsIDOMEventReceiver::kIID, getter_AddRefs(receiver));
    if (NS_FAILED(rv)) {
        return rv;
    }
    if (!receiver) {
        return E_FAIL;
    }
    nsCOMPtr<nsIEventListenerManager> manager;
    rv = receiver->GetListenerManager(getter_AddRefs(manager));
    if (NS_FAILED(rv) || !manager) {
        return rv;
    }
    for (const nsIID* iid : {&nsIDOMMouseListener::kIID, &nsIDOMFocusListener::kIID,
                             &nsIDOMFormListener::kIID, &nsIDOMMenuListener::kIID}) {
        nsCOMPtr<nsIDOMEventListener> listener;
        rv = QueryInterface(*iid, getter_AddRefs(listener));
        if (NS_FAILED(rv)) {
            return rv;
        }
        rv = manager->AddEventListenerByIID(listener.get(), *iid, NS_EVENT_FLAG_CAPTURE);
        if (NS_FAILED(rv)) {
            return rv;
        }
    }
    return NS_OK;
}

nsresult CNS6DOMEventObserver::Handle(nsIDOMEvent* event) {
    IAgentContext* context = GetAgentContext();
    if (context == nullptr || context->GetOption("ToolMode") != 1) {
        return NS_OK;
    }
    if (event == nullptr || !context->HasTrapState()) {
        return NS_OK;
    }
    // The recorder may run page handlers and tool requests (the signal is
    // sent synchronously): keep this observer alive until it is done.
    nsCOMPtr<nsIDOMMouseListener> keepAlive(static_cast<nsIDOMMouseListener*>(this));

    nsCOMPtr<nsIDOMEventTarget> target;
    if (NS_FAILED(event->GetTarget(getter_AddRefs(target))) || !target) {
        return NS_OK;
    }
    nsCOMPtr<nsIDOMNode> node = do_QueryInterface(target);
    if (!node) {
        return NS_OK;
    }
    nsCOMPtr<nsIDOMDocument> document;
    if (NS_FAILED(node->GetOwnerDocument(getter_AddRefs(document))) || !document) {
        // A document is its own owner.
        document = do_QueryInterface(node);
        if (!document) {
            return NS_OK;
        }
    }
    HWND window = GetDocumentNativeWindow(document.get());
    if (window == nullptr) {
        return NS_OK;
    }
    CWebObjRef browser = FindBrowserOf(*context, window);
    if (!browser.IsValid()) {
        return NS_OK;
    }
    CWebObjRef page = browser->GetChild(1);
    auto* pageObject = dynamic_cast<CNS6Page*>(page.Get());
    if (pageObject == nullptr) {
        return NS_OK;
    }
    CNS6EventUtil& recorder = GetEventRecorder();
    CWebRunTimeID frameId;
    if (NS_FAILED(pageObject->FindIdByWindow(window, frameId))) {
        recorder.ChromeEvent(event, browser);
        return NS_OK;
    }
    recorder.ElementEvent(event, pageObject->FindFrameById(frameId));
    return NS_OK;
}
