// Weak references. An object that offers them lists nsSupportsWeakReference
// among its interfaces; a holder keeps the nsIWeakReference and asks it for a
// strong pointer before every use:
//
//     class Foo final : public nsSupportsImpl<Foo, nsIFoo, nsSupportsWeakReference> { ... };
//
//     nsWeakPtr weak = do_GetWeakReference(foo);
//     if (nsCOMPtr<nsIFoo> strong = do_QueryReferent(weak))
//         strong->DoFoo();
//
// The reference is a revocable link: the object clears it when its last
// strong reference goes, and from then on QueryReferent answers null.
#pragma once

#include "platform/xpcom/nsCOMPtr.h"

class nsIWeakReference : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x9188BC85, 0xF92E, 0x11D2, {0x81, 0xEF, 0x00, 0x60, 0x08, 0x3A, 0x0B, 0xCF}};
    using BaseInterface = nsISupports;

    // A strong reference to the referent as `iid`, or NS_ERROR_NULL_POINTER
    // with a null result once the referent is gone.
    virtual nsresult QueryReferent(const nsIID& iid, void** result) = 0;
};

class nsISupportsWeakReference : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x9188BC86, 0xF92E, 0x11D2, {0x81, 0xEF, 0x00, 0x60, 0x08, 0x3A, 0x0B, 0xCF}};
    using BaseInterface = nsISupports;

    virtual nsresult GetWeakReference(nsIWeakReference** result) = 0;
};

using nsWeakPtr = nsCOMPtr<nsIWeakReference>;

namespace xpcom::internal {
class nsWeakReference;
}

// Implements nsISupportsWeakReference for the object it is a base of. All
// weak references handed out share one link object, made on first request.
class nsSupportsWeakReference : public nsISupportsWeakReference {
public:
    using BaseInterface = nsISupportsWeakReference;

    nsresult GetWeakReference(nsIWeakReference** result) override;

    // Revokes the link; called by nsSupportsImpl when the count reaches
    // zero, and by the destructor for classes with their own counting.
    void ClearWeakReferences();

protected:
    nsSupportsWeakReference() = default;
    ~nsSupportsWeakReference() override { ClearWeakReferences(); }

private:
    friend class xpcom::internal::nsWeakReference;
    void NoticeProxyDestruction() { m_proxy = nullptr; }

    // Observes: the link clears this pointer in its destructor, and we clear
    // its referent in ours, so neither outlives the other's knowledge.
    xpcom::internal::nsWeakReference* m_proxy = nullptr;
};

// A weak reference to `object`, or null when it does not offer one.
nsWeakPtr do_GetWeakReference(nsISupports* object, nsresult* error = nullptr);

template <typename U>
nsWeakPtr do_GetWeakReference(const nsCOMPtr<U>& object, nsresult* error = nullptr) {
    return do_GetWeakReference(static_cast<nsISupports*>(object.get()), error);
}

// A request to QueryReferent a weak reference when assigned to an nsCOMPtr.
class nsQueryReferent {
public:
    nsQueryReferent(nsIWeakReference* weak, nsresult* error) : m_weak(weak), m_error(error) {}

    template <typename T> operator nsCOMPtr<T>() const {
        nsCOMPtr<T> result;
        nsresult rv =
            m_weak ? m_weak->QueryReferent(T::kIID, getter_AddRefs(result)) : NS_ERROR_NULL_POINTER;
        if (m_error)
            *m_error = rv;
        if (NS_FAILED(rv))
            result = nullptr;
        return result;
    }

private:
    nsIWeakReference* m_weak; // observes: only used while the assignment runs
    nsresult* m_error;
};

inline nsQueryReferent do_QueryReferent(nsIWeakReference* weak, nsresult* error = nullptr) {
    return nsQueryReferent(weak, error);
}
