// Handle values, last errors, the atom table, thread ids and the names of
// error codes and messages.
#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"
#include "platform/win32/internal/Handles.h"
#include "platform/win32/internal/Window.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <unistd.h>

namespace win32::internal {

uint32_t NewHandleValue() {
    // Start well above small integers so that a stray count or index is never
    // mistaken for a handle; steps of 4 keep the low bits clear, as kernel
    // handles of the original platform have them.
    static std::atomic<uint32_t> next{0x10010};
    uint32_t value = next.fetch_add(4, std::memory_order_relaxed);
    if (value == 0 || value >= 0x80000000u) {
        next.store(0x80000000u, std::memory_order_relaxed);
        return 0;
    }
    return value;
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        auto byte = static_cast<unsigned char>(c);
        // Windows-1252 letters: ASCII, and the Latin-1 range except the
        // multiplication sign.
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
            c = static_cast<char>(byte + 0x20);
        }
    }
    return lower;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

namespace {

struct AtomTable {
    std::mutex mutex;
    std::map<std::string, ATOM> atoms; // key: lower-case name
    ATOM next = 0xC000;
};

} // namespace

ATOM AddAtom(std::string_view name) {
    if (name.empty()) {
        return 0;
    }
    auto& table = Immortal<AtomTable>();
    std::lock_guard lock(table.mutex);
    auto key = LowerCase(name);
    if (auto it = table.atoms.find(key); it != table.atoms.end()) {
        return it->second;
    }
    if (table.next == 0) { // wrapped past 0xFFFF: the table is full
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    ATOM atom = table.next++;
    table.atoms.emplace(std::move(key), atom);
    return atom;
}

} // namespace win32::internal

namespace {
thread_local DWORD t_lastError = 0;
}

DWORD GetLastError() {
    return t_lastError;
}
void SetLastError(DWORD error) {
    t_lastError = error;
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

UINT RegisterWindowMessage(LPCSTR name) {
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return win32::internal::AddAtom(name);
}

namespace {

struct NamedValue {
    DWORD value;
    const char* name;
};

#define WIN32_NAMED_VALUE(name, value) {value, #name},
constexpr NamedValue kErrorNames[] = {WIN32_ENUMERATE_ERRORS(WIN32_NAMED_VALUE)};
constexpr NamedValue kMessageNames[] = {WIN32_ENUMERATE_MESSAGES(WIN32_NAMED_VALUE)};
#undef WIN32_NAMED_VALUE

template <size_t N> const char* NameIn(const NamedValue (&table)[N], DWORD value) {
    for (const auto& entry : table) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    return nullptr;
}

} // namespace

const char* Win32ErrorName(DWORD error) {
    return NameIn(kErrorNames, error);
}

const char* Win32MessageName(UINT message) {
    return NameIn(kMessageNames, message);
}
