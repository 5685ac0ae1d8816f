// nsCOMPtr<T>: the counted smart pointer of the component framework. It holds
// one reference to its target and cannot leak or release twice.
//
//     nsCOMPtr<nsIDOMElement> element = do_QueryInterface(node);
//     nsCOMPtr<nsIDOMNode> parent;
//     node->GetParentNode(getter_AddRefs(parent));
#pragma once

#include "platform/xpcom/nsISupports.h"

#include <cstddef>
#include <utility>

template <typename T> class nsCOMPtr;

// A request to QueryInterface an object when assigned to an nsCOMPtr.
class nsQueryInterface {
public:
    nsQueryInterface(nsISupports* raw, nsresult* error) : m_raw(raw), m_error(error) {}

    nsresult Query(const nsIID& iid, void** result) const {
        nsresult rv = m_raw ? m_raw->QueryInterface(iid, result) : NS_ERROR_NULL_POINTER;
        if (!m_raw)
            *result = nullptr;
        if (m_error)
            *m_error = rv;
        return rv;
    }

private:
    nsISupports* m_raw; // observes: only used while the assignment runs
    nsresult* m_error;
};

template <typename U> nsQueryInterface do_QueryInterface(U* raw, nsresult* error = nullptr) {
    return nsQueryInterface(raw ? static_cast<nsISupports*>(raw) : nullptr, error);
}

template <typename U>
nsQueryInterface do_QueryInterface(const nsCOMPtr<U>& ptr, nsresult* error = nullptr) {
    return do_QueryInterface(ptr.get(), error);
}

template <typename T> class nsCOMPtr {
public:
    nsCOMPtr() = default;
    nsCOMPtr(std::nullptr_t) {}
    nsCOMPtr(T* raw) : m_raw(raw) {
        if (m_raw)
            m_raw->AddRef();
    }
    nsCOMPtr(const nsCOMPtr& other) : nsCOMPtr(other.m_raw) {}
    nsCOMPtr(nsCOMPtr&& other) noexcept : m_raw(std::exchange(other.m_raw, nullptr)) {}
    template <typename U>
    requires std::is_convertible_v<U*, T*> nsCOMPtr(const nsCOMPtr<U>& other)
        : nsCOMPtr(static_cast<T*>(other.get())) {}
    template <typename U>
    requires std::is_convertible_v<U*, T*> nsCOMPtr(nsCOMPtr<U>&& other)
    noexcept : m_raw(other.forget()) {}
    nsCOMPtr(const nsQueryInterface& query) {
        void* result = nullptr;
        if (NS_SUCCEEDED(query.Query(T::kIID, &result)))
            m_raw = static_cast<T*>(result);
    }

    ~nsCOMPtr() {
        if (m_raw)
            m_raw->Release();
    }

    nsCOMPtr& operator=(const nsCOMPtr& other) {
        nsCOMPtr(other).swap(*this);
        return *this;
    }
    nsCOMPtr& operator=(nsCOMPtr&& other) noexcept {
        nsCOMPtr(std::move(other)).swap(*this);
        return *this;
    }
    nsCOMPtr& operator=(T* raw) {
        nsCOMPtr(raw).swap(*this);
        return *this;
    }
    nsCOMPtr& operator=(std::nullptr_t) {
        nsCOMPtr().swap(*this);
        return *this;
    }
    nsCOMPtr& operator=(const nsQueryInterface& query) {
        nsCOMPtr(query).swap(*this);
        return *this;
    }

    void swap(nsCOMPtr& other) noexcept { std::swap(m_raw, other.m_raw); }

    T* get() const { return m_raw; }
    T* operator->() const { return m_raw; }
    T& operator*() const { return *m_raw; }
    explicit operator bool() const { return m_raw != nullptr; }
    operator T*() const { return m_raw; }

    // Gives up the reference without releasing it.
    [[nodiscard]] T* forget() { return std::exchange(m_raw, nullptr); }

    // Hands an AddRef'ed copy of the pointer to an out parameter.
    void CopyTo(T** out) const {
        *out = m_raw;
        if (m_raw)
            m_raw->AddRef();
    }

    // For getter_AddRefs: releases the current target and exposes the slot.
    T** StartAssignment() {
        nsCOMPtr().swap(*this);
        return &m_raw;
    }

private:
    T* m_raw = nullptr; // owns one reference
};

template <typename T> class nsGetterAddRefs {
public:
    explicit nsGetterAddRefs(nsCOMPtr<T>& target) : m_target(target) {}
    operator T**() { return m_target.StartAssignment(); }
    operator void**() { return reinterpret_cast<void**>(m_target.StartAssignment()); }

private:
    nsCOMPtr<T>& m_target;
};

// Out parameter of a getter that returns an AddRef'ed pointer.
template <typename T> nsGetterAddRefs<T> getter_AddRefs(nsCOMPtr<T>& target) {
    return nsGetterAddRefs<T>(target);
}

template <typename T, typename U> bool operator==(const nsCOMPtr<T>& a, const nsCOMPtr<U>& b) {
    return static_cast<const void*>(a.get()) == static_cast<const void*>(b.get());
}

// Whether two interface pointers denote the same object (same canonical
// nsISupports), as object identity is defined in the framework.
bool SameCOMIdentity(nsISupports* a, nsISupports* b);
