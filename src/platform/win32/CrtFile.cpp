// Runtime file streams with text-mode translation, and the mapping of
// Windows file names onto the host.
#include "platform/win32/CrtFile.h"

#include "platform/win32/Testing.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/internal/Files.h"
#include "platform/win32/internal/Handles.h"
#include "platform/win32/internal/Window.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <mutex>
#include <unistd.h>

using namespace win32::internal;

std::string win32::internal::EntryNameNoCase(const std::string& folder, std::string_view name) {
    std::string exact = folder + "/" + std::string(name);
    if (access(exact.c_str(), F_OK) == 0) {
        return std::string(name);
    }
    std::string chosen(name);
    // An empty folder is the file system's root.
    if (DIR* entries = opendir(folder.empty() ? "/" : folder.c_str())) {
        while (dirent* entry = readdir(entries)) {
            if (EqualNoCase(entry->d_name, name)) {
                chosen = entry->d_name;
                break;
            }
        }
        closedir(entries);
    }
    return chosen;
}

namespace {

struct FileRootState {
    std::mutex mutex;
    std::string root;
    bool prepared = false;
};

FileRootState& RootState() {
    return Immortal<FileRootState>();
}

std::string DefaultRoot() {
    if (const char* configured = std::getenv("WEBAGENT_WIN32_ROOT");
        configured != nullptr && *configured != '\0') {
        return configured;
    }
    return "/tmp/webagent-win32-" + std::to_string(getuid());
}

// The root, created with c/ and c/temp/ at first use.
std::string PreparedRoot() {
    auto& state = RootState();
    std::lock_guard lock(state.mutex);
    if (state.root.empty()) {
        state.root = DefaultRoot();
    }
    if (!state.prepared) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(state.root) / "c" / "temp",
                                            error);
        state.prepared = true;
    }
    return state.root;
}

// Appends one component, taking an existing entry that differs only in case.
// ".." never climbs above the first floor characters (the drive's folder), so
// a Windows name cannot reach outside the root.
void AppendComponent(std::string& path, std::string_view component, size_t floor) {
    if (component.empty() || component == ".") {
        return;
    }
    if (component == "..") {
        auto slash = path.find_last_of('/');
        if (slash != std::string::npos && slash >= floor) {
            path.resize(slash);
        }
        return;
    }
    std::string chosen = EntryNameNoCase(path, component);
    path += "/";
    path += chosen;
}

// Places the components of rest (separated by either slash) under base.
std::string UnderRoot(std::string base, std::string_view rest) {
    const size_t floor = base.size();
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find_first_of("/\\", start);
        if (end == std::string_view::npos) {
            end = rest.size();
        }
        AppendComponent(base, rest.substr(start, end - start), floor);
        start = end + 1;
    }
    return base;
}

} // namespace

std::string win32::internal::ResolveNoCase(std::string_view path) {
    if (path.empty() || path.front() != '/') {
        return std::string(path); // relative names keep their ".." as they are
    }
    std::string resolved = UnderRoot(std::string(), path);
    return resolved.empty() ? std::string("/") : resolved;
}

namespace {

struct Mode {
    const char* host; // the binary host mode
    bool text;
};

// The host mode for a runtime mode, or nothing for an invalid one.
std::optional<Mode> ParseMode(std::string_view mode) {
    if (mode.empty()) {
        return std::nullopt;
    }
    char kind = mode[0];
    bool plus = false;
    bool text = true;
    for (char flag : mode.substr(1)) {
        switch (flag) {
        case '+':
            plus = true;
            break;
        case 't':
            text = true;
            break;
        case 'b':
            text = false;
            break;
        case 'c':
        case 'n':
        case 'S':
        case 'R':
        case 'T':
        case 'D':
            break; // commit, caching and temporary hints have no effect here
        default:
            return std::nullopt;
        }
    }
    switch (kind) {
    case 'r':
        return Mode{plus ? "r+b" : "rb", text};
    case 'w':
        return Mode{plus ? "w+b" : "wb", text};
    case 'a':
        return Mode{plus ? "a+b" : "ab", text};
    default:
        return std::nullopt;
    }
}

} // namespace

std::string MapFileName(std::string_view name) {
    bool drive = name.size() >= 2 && name[1] == ':' &&
                 ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z'));
    if (drive) {
        char letter = static_cast<char>(name[0] | 0x20);
        return UnderRoot(PreparedRoot() + "/" + letter, name.substr(2));
    }
    if (name.size() >= 2 && name[0] == '\\' && name[1] == '\\') {
        return UnderRoot(PreparedRoot() + "/unc", name.substr(2));
    }
    if (!name.empty() && name[0] == '\\') {
        return UnderRoot(PreparedRoot() + "/c", name.substr(1));
    }
    std::string host(name);
    for (char& c : host) {
        if (c == '\\') {
            c = '/';
        }
    }
    return host;
}

std::optional<CrtFile> CrtFile::Open(std::string_view name, std::string_view mode) {
    auto parsed = ParseMode(mode);
    if (!parsed || name.empty()) {
        errno = EINVAL;
        return std::nullopt;
    }
    std::string path = MapFileName(name);
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        errno = EACCES; // a folder is not a file, as on the original platform
        return std::nullopt;
    }
    std::FILE* file = std::fopen(path.c_str(), parsed->host);
    if (file == nullptr) {
        return std::nullopt;
    }
    return CrtFile(file, parsed->text);
}

CrtFile::CrtFile(CrtFile&& other) noexcept
    : m_file(other.m_file), m_text(other.m_text), m_atTextEnd(other.m_atTextEnd) {
    other.m_file = nullptr;
}

CrtFile& CrtFile::operator=(CrtFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_file = other.m_file;
        m_text = other.m_text;
        m_atTextEnd = other.m_atTextEnd;
        other.m_file = nullptr;
    }
    return *this;
}

CrtFile::~CrtFile() {
    Close();
}

bool CrtFile::Write(std::string_view text) {
    return Write(std::as_bytes(std::span(text.data(), text.size()))) == text.size();
}

size_t CrtFile::Write(std::span<const std::byte> bytes) {
    if (m_file == nullptr) {
        return 0;
    }
    if (!m_text) {
        return std::fwrite(bytes.data(), 1, bytes.size(), m_file);
    }
    size_t written = 0;
    for (std::byte b : bytes) {
        char c = static_cast<char>(b);
        if (c == '\n' && std::fputc('\r', m_file) == EOF) {
            break;
        }
        if (std::fputc(c, m_file) == EOF) {
            break;
        }
        ++written;
    }
    return written;
}

bool CrtFile::VPrintf(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0) {
        return false;
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    return Write(text);
}

bool CrtFile::Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool ok = VPrintf(format, args);
    va_end(args);
    return ok;
}

int CrtFile::ReadChar() {
    if (m_atTextEnd) {
        return EOF;
    }
    int c = std::fgetc(m_file);
    if (!m_text || c == EOF) {
        return c;
    }
    if (c == 0x1A) {
        m_atTextEnd = true;
        return EOF;
    }
    if (c == '\r') {
        int next = std::fgetc(m_file);
        if (next == '\n') {
            return '\n';
        }
        if (next != EOF) {
            std::ungetc(next, m_file);
        }
    }
    return c;
}

size_t CrtFile::Read(std::span<char> buffer) {
    if (m_file == nullptr) {
        return 0;
    }
    if (!m_text) {
        return std::fread(buffer.data(), 1, buffer.size(), m_file);
    }
    size_t count = 0;
    while (count < buffer.size()) {
        int c = ReadChar();
        if (c == EOF) {
            break;
        }
        buffer[count++] = static_cast<char>(c);
    }
    return count;
}

std::optional<std::string> CrtFile::ReadLine() {
    if (m_file == nullptr) {
        return std::nullopt;
    }
    std::string line;
    int c;
    while ((c = ReadChar()) != EOF) {
        line += static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    if (line.empty() && c == EOF) {
        return std::nullopt;
    }
    return line;
}

bool CrtFile::Flush() {
    return m_file != nullptr && std::fflush(m_file) == 0;
}

bool CrtFile::Close() {
    if (m_file == nullptr) {
        return false;
    }
    bool ok = std::fclose(m_file) == 0;
    m_file = nullptr;
    return ok;
}

DWORD GetFileAttributesA(LPCSTR fileName) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::error_code error;
    auto status = std::filesystem::status(MapFileName(fileName), error);
    if (error || !std::filesystem::exists(status)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return std::filesystem::is_directory(status) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL DeleteFileA(LPCSTR fileName) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = MapFileName(fileName);
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!std::filesystem::remove(path, error)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
    if (pathName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = MapFileName(pathName);
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (!std::filesystem::create_directory(path, error)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

namespace win32::testing {

void SetFileRoot(std::string_view hostFolder) {
    auto& state = RootState();
    {
        std::lock_guard lock(state.mutex);
        state.root = std::string(hostFolder);
        state.prepared = false;
    }
    PreparedRoot();
}

std::string FileRoot() {
    return PreparedRoot();
}

} // namespace win32::testing
