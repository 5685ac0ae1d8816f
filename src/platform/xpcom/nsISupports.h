// The root interface of the component framework, and the helper that gives a
// class its reference count and QueryInterface.
//
// Every interface derives (singly) from nsISupports or from another interface,
// names its parent as `BaseInterface` and its identifier as `kIID`:
//
//     class nsIFoo : public nsISupports {
//     public:
//         static constexpr nsIID kIID{0x..., 0x..., 0x..., {...}};
//         using BaseInterface = nsISupports;
//         virtual nsresult DoFoo() = 0;
//     };
//
// An implementation lists the interfaces it offers; QueryInterface answers
// each of them and every interface they derive from:
//
//     class Foo final : public nsSupportsImpl<Foo, nsIFoo, nsIBar> { ... };
#pragma once

#include "platform/xpcom/nsError.h"
#include "platform/xpcom/nsID.h"

#include <atomic>
#include <cstdint>
#include <tuple>
#include <type_traits>

class nsISupports {
public:
    static constexpr nsIID kIID{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    using BaseInterface = void;

    virtual nsresult QueryInterface(const nsIID& iid, void** result) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~nsISupports() = default;
};

template <typename T> constexpr const nsIID& NS_GET_IID() {
    return T::kIID;
}

namespace xpcom::internal {

// Finds `iid` in the chain Interface, Interface::BaseInterface, ... and
// answers the object as that interface.
template <typename Interface, typename Object> void* FindInChain(Object* object, const nsIID& iid) {
    if constexpr (std::is_void_v<Interface>) {
        return nullptr;
    } else {
        if (iid.Equals(Interface::kIID))
            return static_cast<Interface*>(object);
        return FindInChain<typename Interface::BaseInterface, Interface>(
            static_cast<Interface*>(object), iid);
    }
}

} // namespace xpcom::internal

// Reference counting and QueryInterface for a class offering `Interfaces`.
// Framework objects live on the user-interface thread, but the count is
// atomic anyway, as the platform's own counters are, so that a stray Release
// from a loader thread cannot corrupt it.
//
// A class that offers weak references (nsSupportsWeakReference) has its weak
// references cleared as soon as the count reaches zero, before its destructor
// runs, so that no holder can revive a half-destroyed object.
template <typename Derived, typename... Interfaces> class nsSupportsImpl : public Interfaces... {
public:
    uint32_t AddRef() override { return m_refCount.fetch_add(1, std::memory_order_relaxed) + 1; }

    uint32_t Release() override {
        uint32_t count = m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (count == 0) {
            m_refCount.store(
                1); // Stabilise: a destructor that AddRefs/Releases us must not re-enter.
            if constexpr (requires(Derived * d) { d->ClearWeakReferences(); })
                self()->ClearWeakReferences();
            delete self();
        }
        return count;
    }

    nsresult QueryInterface(const nsIID& iid, void** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        void* found = nullptr;
        if (iid.Equals(nsISupports::kIID)) {
            found = CanonicalSupports();
        } else {
            ((found = found ? found : xpcom::internal::FindInChain<Interfaces>(self(), iid)), ...);
        }
        if (!found)
            found = QueryExtraInterface(iid);
        *result = found;
        if (!found)
            return NS_ERROR_NO_INTERFACE;
        AddRef();
        return NS_OK;
    }

    // The one nsISupports pointer that identifies this object.
    nsISupports* CanonicalSupports() { return static_cast<FirstInterface*>(self()); }

    uint32_t RefCount() const { return m_refCount.load(std::memory_order_relaxed); }

protected:
    nsSupportsImpl() = default;
    virtual ~nsSupportsImpl() = default;

    // Answers an interface this object implements beyond the listed ones
    // (one chosen at run time); QueryInterface AddRefs this object for it.
    virtual void* QueryExtraInterface(const nsIID&) { return nullptr; }

private:
    using FirstInterface = std::tuple_element_t<0, std::tuple<Interfaces...>>;
    Derived* self() { return static_cast<Derived*>(this); }

    std::atomic<uint32_t> m_refCount = 0;
};
