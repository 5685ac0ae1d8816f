#include "agent/host/LibraryEntry.h"

#include "agent/host/TrapState.h"
#include "platform/win32/WinBase.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace {

constexpr DWORD kMaxModuleName = 256;

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The whole variable, however long it is; nothing when it is not set.
std::optional<std::string> ReadPath() {
    std::string value(512, '\0');
    for (;;) {
        DWORD length =
            GetEnvironmentVariable("path", value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
}

// The entries of a ";"-separated list.
std::vector<std::string_view> Entries(std::string_view list) {
    std::vector<std::string_view> entries;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = std::min(list.find(';', start), list.size());
        entries.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

} // namespace

void AdjustSearchPath(std::string_view libraryFile) {
    // Module names are host paths here; Windows-style names use backslashes.
    size_t cut = libraryFile.find_last_of("\\/");
    if (cut == std::string_view::npos) {
        return;
    }
    const std::string folder = Lower(libraryFile.substr(0, cut));
    if (folder.empty()) {
        return;
    }
    std::optional<std::string> read = ReadPath();
    std::string path = Lower(read.value_or(std::string()));
    // Whole entries only: "/opt/agent" is neither the front of nor listed in
    // "/opt/agentx;/bin".
    std::vector<std::string_view> entries = Entries(path);
    if (!entries.empty() && entries.front() == folder) {
        path.erase(0, std::min(path.size(), folder.size() + 1));
        entries = Entries(path);
    }
    // Listed further on: the variable stays as it was.
    if (std::find(entries.begin(), entries.end(), folder) != entries.end()) {
        return;
    }
    if (!path.empty()) {
        path += ';';
    }
    path += folder;
    SetEnvironmentVariable("path", path.c_str());
}

void SetUpSearchPath(HINSTANCE instance) {
    char name[kMaxModuleName + 1] = {};
    DWORD length = GetModuleFileName(instance, name, sizeof(name));
    // A truncated name would give a wrong folder: leave the path alone then.
    if (length == 0 || length >= sizeof(name)) {
        return;
    }
    AdjustSearchPath(std::string_view(name, length));
}

BOOL TrapLibraryEntry(HINSTANCE instance, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) {
        CreateTrapState(instance);
        SetUpSearchPath(instance);
    }
    return TRUE;
}
