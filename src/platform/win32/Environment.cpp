// The process-wide environment of the stand-in, seeded from the real one.
#include "platform/win32/WinBase.h"
#include "platform/win32/internal/Handles.h"
#include "platform/win32/internal/Window.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

extern char** environ;

namespace {

struct Environment {
    std::mutex mutex;
    // lower-case name -> (name as first set, value)
    std::map<std::string, std::pair<std::string, std::string>> variables;

    Environment() {
        for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
            const char* equals = std::strchr(*entry, '=');
            if (equals == nullptr || equals == *entry) {
                continue;
            }
            std::string name(*entry, static_cast<size_t>(equals - *entry));
            std::string value(equals + 1);
            auto key = win32::internal::LowerCase(name);
            if (key == "path") {
                // Search paths are ";"-separated here, as on the original
                // platform.
                std::replace(value.begin(), value.end(), ':', ';');
            }
            variables.emplace(std::move(key), std::make_pair(name, std::move(value)));
        }
        // Every Windows machine has a folder for temporary files; this one's
        // is the file root's c:\temp (see CrtFile.h).
        for (const char* name : {"TEMP", "TMP"}) {
            variables.emplace(win32::internal::LowerCase(name),
                              std::make_pair(std::string(name), std::string("c:\\temp")));
        }
    }
};

Environment& Env() {
    return win32::internal::Immortal<Environment>();
}

bool IsValidName(LPCSTR name) {
    return name != nullptr && *name != '\0' && std::strchr(name, '=') == nullptr;
}

} // namespace

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    if (!IsValidName(name)) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    auto& env = Env();
    std::lock_guard lock(env.mutex);
    auto it = env.variables.find(win32::internal::LowerCase(name));
    if (it == env.variables.end()) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const std::string& value = it->second.second;
    if (buffer == nullptr || size <= value.size()) {
        return static_cast<DWORD>(value.size() + 1);
    }
    value.copy(buffer, value.size());
    buffer[value.size()] = '\0';
    return static_cast<DWORD>(value.size());
}

BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value) {
    if (!IsValidName(name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto& env = Env();
    std::lock_guard lock(env.mutex);
    auto key = win32::internal::LowerCase(name);
    if (value == nullptr) {
        if (env.variables.erase(key) == 0) {
            SetLastError(ERROR_ENVVAR_NOT_FOUND);
            return FALSE;
        }
        return TRUE;
    }
    auto it = env.variables.find(key);
    if (it != env.variables.end()) {
        it->second.second = value;
    } else {
        env.variables.emplace(std::move(key),
                              std::make_pair(std::string(name), std::string(value)));
    }
    return TRUE;
}
