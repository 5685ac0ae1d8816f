// Atomic 32-bit counters of the platform runtime, for classes that keep their
// own reference count instead of using nsSupportsImpl.
//
//     uint32_t AddRef() override { return PR_AtomicIncrement(&m_refCount); }
#pragma once

#include <atomic>
#include <cstdint>

using PRInt32 = int32_t;

// Adds one to *value and answers the new value.
inline PRInt32 PR_AtomicIncrement(PRInt32* value) {
    return std::atomic_ref<PRInt32>(*value).fetch_add(1) + 1;
}

// Subtracts one from *value and answers the new value.
inline PRInt32 PR_AtomicDecrement(PRInt32* value) {
    return std::atomic_ref<PRInt32>(*value).fetch_sub(1) - 1;
}

// Stores newValue and answers the previous value.
inline PRInt32 PR_AtomicSet(PRInt32* value, PRInt32 newValue) {
    return std::atomic_ref<PRInt32>(*value).exchange(newValue);
}
