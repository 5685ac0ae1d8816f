// Progress listeners and the document loader service.
//
// Each document shell keeps its own listeners; a state change is told to
// the shell's listeners, then to those of every shell above it, then to the
// service's, so that a listener of the service hears of every document of
// every window.
#pragma once

#include "platform/xpcom/nsIWeakReference.h"
#include "platform/xpcom/shell/nsIWebProgress.h"

#include <functional>
#include <vector>

namespace browser {

// A list of progress listeners: weakly held when they offer weak
// references, else strongly.
class ProgressListeners {
public:
    nsresult Add(nsIWebProgressListener* listener);
    nsresult Remove(nsIWebProgressListener* listener);
    // Calls `notify` for every listener still alive, in the order they were
    // added. Listeners may add or remove listeners meanwhile.
    void Notify(const std::function<void(nsIWebProgressListener*)>& notify);
    size_t Count() const { return m_entries.size(); }

private:
    struct Entry {
        nsCOMPtr<nsIWebProgressListener> strong;
        nsWeakPtr weak;
        nsISupports* identity; // observes: only compared, never used
    };
    nsCOMPtr<nsIWebProgressListener> Resolve(const Entry& entry) const;
    std::vector<Entry> m_entries;
};

class DocumentLoaderService final
    : public nsSupportsImpl<DocumentLoaderService, nsIDocumentLoader, nsIWebProgress> {
public:
    ProgressListeners& Listeners() { return m_listeners; }
    // Tells the service's listeners of a state change.
    void NotifyStateChange(nsIWebProgress* progress, nsIRequest* request, PRUint32 flags,
                           nsresult status);
    // Set by the browser: whether any of its shells loads, and how to stop
    // them all.
    void SetBrowserHooks(std::function<bool()> isBusy, std::function<void()> stopAll);

    // nsIDocumentLoader
    nsresult Stop() override;
    nsresult IsBusy(PRBool* busy) override;
    nsresult GetContainer(nsISupports** container) override;
    nsresult GetParent(nsIDocumentLoader** parent) override;

    // nsIWebProgress
    nsresult AddProgressListener(nsIWebProgressListener* listener) override;
    nsresult RemoveProgressListener(nsIWebProgressListener* listener) override;
    nsresult GetDOMWindow(nsIDOMWindow** window) override;
    nsresult GetIsLoadingDocument(PRBool* loading) override;

private:
    ProgressListeners m_listeners;
    std::function<bool()> m_isBusy;
    std::function<void()> m_stopAll;
};

} // namespace browser
