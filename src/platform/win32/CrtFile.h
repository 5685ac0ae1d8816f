// Buffered files of the C runtime, as the original platform's runtime opens
// them, and the mapping of Windows file names onto the host.
//
// Modes: "r", "w", "a", each optionally with "+", and "t" (text, the default)
// or "b" (binary). In text mode every LF written becomes CR LF, and CR LF read
// becomes LF (a Ctrl-Z ends the text), as on the original platform.
//
// File names: a Windows-style name, one with a drive letter ("c:\temp\x.txt",
// "C:/temp/x.txt"), a rooted name without drive ("\temp\x.txt", drive c:) or
// a UNC name ("\\server\share\x"), is placed under one root folder: drive
// letters become lower-case folders (<root>/c/temp/x.txt), UNC names go under
// <root>/unc/server/share, backslashes become slashes, and each component
// matches an existing entry without regard to case. The root is the real
// environment's WEBAGENT_WIN32_ROOT, else /tmp/webagent-win32-<uid>; it is
// created with c/ and c/temp/ on first use (Testing.h can move it). Any other
// name is a host path used as it stands, except that backslashes are taken
// as separators ("/tmp/x\y.txt" is "/tmp/x/y.txt").
#pragma once

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The host path for a file name, mapped as described above.
std::string MapFileName(std::string_view name);

class CrtFile {
public:
    // An open file, or nothing (with errno set) when the mode is not valid or
    // the file cannot be opened.
    [[nodiscard]] static std::optional<CrtFile> Open(std::string_view name, std::string_view mode);

    CrtFile(CrtFile&& other) noexcept;
    CrtFile& operator=(CrtFile&& other) noexcept;
    CrtFile(const CrtFile&) = delete;
    CrtFile& operator=(const CrtFile&) = delete;
    ~CrtFile();

    bool IsText() const { return m_text; }

    // Each answers false (or a short count) on failure.
    bool Write(std::string_view text);
    size_t Write(std::span<const std::byte> bytes);
    bool Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool VPrintf(const char* format, va_list args);
    // Reads up to buffer.size() bytes (translated in text mode); 0 at the end.
    size_t Read(std::span<char> buffer);
    // One line with its line feed, or nothing at the end of the file.
    std::optional<std::string> ReadLine();
    bool Flush();
    // Closes now; answers whether everything was written.
    bool Close();

private:
    CrtFile(std::FILE* file, bool text) : m_file(file), m_text(text) {}
    int ReadChar();

    std::FILE* m_file; // owned; closed by Close or the destructor
    bool m_text;
    bool m_atTextEnd = false;
};
