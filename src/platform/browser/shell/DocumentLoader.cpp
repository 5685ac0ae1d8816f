#include "platform/browser/shell/DocumentLoader.h"

#include <algorithm>

namespace browser {

nsCOMPtr<nsIWebProgressListener> ProgressListeners::Resolve(const Entry& entry) const {
    if (entry.strong)
        return entry.strong;
    nsCOMPtr<nsIWebProgressListener> listener;
    if (entry.weak && NS_FAILED(entry.weak->QueryReferent(nsIWebProgressListener::kIID,
                                                          getter_AddRefs(listener))))
        listener = nullptr;
    return listener;
}

nsresult ProgressListeners::Add(nsIWebProgressListener* listener) {
    if (!listener)
        return NS_ERROR_NULL_POINTER;
    nsCOMPtr<nsISupports> identity = do_QueryInterface(listener);
    for (const Entry& entry : m_entries)
        if (entry.identity == identity.get() && Resolve(entry))
            return NS_OK;
    Entry entry{nullptr, nullptr, identity.get()};
    nsCOMPtr<nsISupportsWeakReference> weakSource = do_QueryInterface(listener);
    if (weakSource && NS_SUCCEEDED(weakSource->GetWeakReference(getter_AddRefs(entry.weak))) &&
        entry.weak) {
        // Held weakly: a listener that goes away is simply skipped.
    } else {
        entry.strong = listener;
    }
    m_entries.push_back(std::move(entry));
    return NS_OK;
}

nsresult ProgressListeners::Remove(nsIWebProgressListener* listener) {
    nsCOMPtr<nsISupports> identity = do_QueryInterface(listener);
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const Entry& entry) { return entry.identity == identity.get(); });
    if (!identity || it == m_entries.end())
        return NS_ERROR_FAILURE;
    m_entries.erase(it);
    return NS_OK;
}

void ProgressListeners::Notify(const std::function<void(nsIWebProgressListener*)>& notify) {
    // A copy: listeners may change the list while they are told.
    std::vector<nsCOMPtr<nsIWebProgressListener>> alive;
    for (const Entry& entry : m_entries)
        if (auto listener = Resolve(entry))
            alive.push_back(std::move(listener));
    // Dead weak entries are dropped now that nothing refers to them.
    std::erase_if(m_entries, [this](const Entry& entry) { return !Resolve(entry); });
    for (const auto& listener : alive)
        notify(listener);
}

void DocumentLoaderService::NotifyStateChange(nsIWebProgress* progress, nsIRequest* request,
                                              PRUint32 flags, nsresult status) {
    m_listeners.Notify([&](nsIWebProgressListener* listener) {
        listener->OnStateChange(progress, request, flags, status);
    });
}

void DocumentLoaderService::SetBrowserHooks(std::function<bool()> isBusy,
                                            std::function<void()> stopAll) {
    m_isBusy = std::move(isBusy);
    m_stopAll = std::move(stopAll);
}

nsresult DocumentLoaderService::Stop() {
    if (m_stopAll)
        m_stopAll();
    return NS_OK;
}

nsresult DocumentLoaderService::IsBusy(PRBool* busy) {
    if (!busy)
        return NS_ERROR_NULL_POINTER;
    *busy = m_isBusy && m_isBusy() ? PR_TRUE : PR_FALSE;
    return NS_OK;
}

nsresult DocumentLoaderService::GetContainer(nsISupports** container) {
    if (!container)
        return NS_ERROR_NULL_POINTER;
    *container = nullptr;
    return NS_OK;
}

nsresult DocumentLoaderService::GetParent(nsIDocumentLoader** parent) {
    if (!parent)
        return NS_ERROR_NULL_POINTER;
    *parent = nullptr;
    return NS_OK;
}

nsresult DocumentLoaderService::AddProgressListener(nsIWebProgressListener* listener) {
    return m_listeners.Add(listener);
}

nsresult DocumentLoaderService::RemoveProgressListener(nsIWebProgressListener* listener) {
    return m_listeners.Remove(listener);
}

nsresult DocumentLoaderService::GetDOMWindow(nsIDOMWindow** window) {
    if (!window)
        return NS_ERROR_NULL_POINTER;
    *window = nullptr;
    return NS_ERROR_NOT_AVAILABLE;
}

nsresult DocumentLoaderService::GetIsLoadingDocument(PRBool* loading) {
    return IsBusy(loading);
}

} // namespace browser
