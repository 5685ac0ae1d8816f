// Handle values and the tables that map them to live objects.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace win32::internal {

// The next handle value: non-zero, below 0x80000000, never handed out twice.
// 0 once the values are used up.
uint32_t NewHandleValue();

// handle value -> object. A removed handle never maps to anything again,
// since values are not reused. Lookups hand out shared ownership, so an object
// stays alive while a caller works on it after its handle died.
template <typename T> class HandleTable {
public:
    // The new handle value, 0 when the values are used up.
    uint32_t Insert(std::shared_ptr<T> object) {
        uint32_t value = NewHandleValue();
        if (value == 0) {
            return 0;
        }
        std::lock_guard lock(m_mutex);
        m_objects.emplace(value, std::move(object));
        return value;
    }
    std::shared_ptr<T> Find(uint32_t value) const {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(value);
        return it == m_objects.end() ? nullptr : it->second;
    }
    std::shared_ptr<T> Remove(uint32_t value) {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(value);
        if (it == m_objects.end()) {
            return nullptr;
        }
        auto object = std::move(it->second);
        m_objects.erase(it);
        return object;
    }
    std::vector<std::shared_ptr<T>> All() const {
        std::lock_guard lock(m_mutex);
        std::vector<std::shared_ptr<T>> all;
        all.reserve(m_objects.size());
        for (const auto& [value, object] : m_objects) {
            all.push_back(object);
        }
        return all;
    }

private:
    mutable std::mutex m_mutex;
    std::map<uint32_t, std::shared_ptr<T>> m_objects;
};

inline uint32_t ValueOf(const void* handle) {
    uintptr_t raw = reinterpret_cast<uintptr_t>(handle);
    return raw > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(raw);
}

// Process-wide singletons that outlive every static destructor, so threads
// that end late and atexit code still find them.
template <typename T> T& Immortal() {
    static T* instance = new T();
    return *instance;
}

} // namespace win32::internal
