// Files for tests that save and copy: a scratch folder per test, bytes that
// show a lost or repeated piece, and reading a host file back.
#pragma once

#include "platform/browser/shell/Network.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace testsupport {

namespace fs = std::filesystem;

std::string ReadHostFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream body;
    body << in.rdbuf();
    return body.str();
}

// Bytes that differ from piece to piece, so a lost or repeated piece shows.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

// A folder of its own for each test's files.
class ScratchFolder {
public:
    ScratchFolder() {
        m_Path = fs::temp_directory_path() /
                 ("webagent_files_" + std::to_string(getpid()) + "_" + std::to_string(++s_Count));
        fs::remove_all(m_Path);
        fs::create_directories(m_Path);
    }
    ~ScratchFolder() { fs::remove_all(m_Path); }
    fs::path operator/(std::string_view name) const { return m_Path / name; }
    std::string Url(std::string_view name) const {
        return browser::URIFromFilePath((m_Path / name).string());
    }

private:
    static inline int s_Count = 0;
    fs::path m_Path;
};

} // namespace testsupport
