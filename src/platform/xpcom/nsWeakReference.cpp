#include "platform/xpcom/nsIWeakReference.h"

namespace xpcom::internal {

class nsWeakReference final : public nsSupportsImpl<nsWeakReference, nsIWeakReference> {
public:
    explicit nsWeakReference(nsSupportsWeakReference* referent) : m_referent(referent) {}

    nsresult QueryReferent(const nsIID& iid, void** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = nullptr;
        if (!m_referent)
            return NS_ERROR_NULL_POINTER;
        return m_referent->QueryInterface(iid, result);
    }

    void Revoke() { m_referent = nullptr; }

private:
    friend nsSupportsImpl;
    ~nsWeakReference() override {
        if (m_referent)
            m_referent->NoticeProxyDestruction();
    }

    // Observes: the referent revokes this link before it goes away.
    nsSupportsWeakReference* m_referent;
};

} // namespace xpcom::internal

nsresult nsSupportsWeakReference::GetWeakReference(nsIWeakReference** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    if (!m_proxy)
        m_proxy = new xpcom::internal::nsWeakReference(this);
    *result = m_proxy;
    m_proxy->AddRef();
    return NS_OK;
}

void nsSupportsWeakReference::ClearWeakReferences() {
    if (m_proxy) {
        m_proxy->Revoke();
        m_proxy = nullptr;
    }
}

nsWeakPtr do_GetWeakReference(nsISupports* object, nsresult* error) {
    nsWeakPtr weak;
    nsresult rv = NS_ERROR_NULL_POINTER;
    if (object) {
        nsCOMPtr<nsISupportsWeakReference> source = do_QueryInterface(object, &rv);
        if (source)
            rv = source->GetWeakReference(getter_AddRefs(weak));
    }
    if (error)
        *error = rv;
    return weak;
}
