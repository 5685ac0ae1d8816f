#include "platform/xpcom/internal/nsObserverService.h"

#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsIWeakReference.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace xpcom::internal {

namespace {

class nsObserverService final : public nsSupportsImpl<nsObserverService, nsIObserverService> {
public:
    nsresult AddObserver(nsIObserver* observer, const char* topic, ObserverHold hold) override {
        if (!observer || !topic)
            return NS_ERROR_NULL_POINTER;
        Entry entry;
        if (hold == ObserverHold::Weak) {
            entry.weak = do_GetWeakReference(observer);
            if (!entry.weak)
                return NS_ERROR_NO_INTERFACE;
        } else {
            entry.strong = observer;
        }
        entry.identity = Identity(observer);
        m_topics[topic].push_back(std::move(entry));
        return NS_OK;
    }

    nsresult RemoveObserver(nsIObserver* observer, const char* topic) override {
        if (!observer || !topic)
            return NS_ERROR_NULL_POINTER;
        auto list = m_topics.find(topic);
        if (list == m_topics.end())
            return NS_ERROR_FAILURE;
        nsISupports* identity = Identity(observer);
        auto found = std::find_if(list->second.begin(), list->second.end(),
                                  [identity](const Entry& e) { return e.identity == identity; });
        if (found == list->second.end())
            return NS_ERROR_FAILURE;
        list->second.erase(found);
        return NS_OK;
    }

    nsresult NotifyObservers(nsISupports* subject, const char* topic,
                             const PRUnichar* data) override {
        if (!topic)
            return NS_ERROR_NULL_POINTER;
        auto list = m_topics.find(topic);
        if (list == m_topics.end())
            return NS_OK;
        // Observers may change the list while we call them: call a snapshot
        // of strong pointers, and drop weak entries whose observer is gone.
        std::vector<nsCOMPtr<nsIObserver>> targets;
        std::erase_if(list->second, [&targets](const Entry& entry) {
            nsCOMPtr<nsIObserver> observer =
                entry.strong ? entry.strong : nsCOMPtr<nsIObserver>(do_QueryReferent(entry.weak));
            if (!observer)
                return true;
            targets.push_back(std::move(observer));
            return false;
        });
        for (const nsCOMPtr<nsIObserver>& observer : targets)
            observer->Observe(subject, topic, data);
        return NS_OK;
    }

private:
    struct Entry {
        nsCOMPtr<nsIObserver> strong;
        nsWeakPtr weak;
        // Observes: compared only, never dereferenced (weak entries may
        // outlive it).
        nsISupports* identity = nullptr;
    };

    static nsISupports* Identity(nsIObserver* observer) {
        nsCOMPtr<nsISupports> canonical = do_QueryInterface(observer);
        return canonical.get();
    }

    std::map<std::string, std::vector<Entry>, std::less<>> m_topics;
};

} // namespace

nsresult NewObserverService(nsIObserverService** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = new nsObserverService();
    (*result)->AddRef();
    return NS_OK;
}

} // namespace xpcom::internal
