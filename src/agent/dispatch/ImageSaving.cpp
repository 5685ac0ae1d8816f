#include "agent/dispatch/ImageSaving.h"

#include "agent/channel/RequestArgs.h"
#include "agent/model/CNS6StreamListener.h"
#include "platform/win32/CrtFile.h"
#include "platform/win32/WinBase.h"
#include "platform/win32/WinInet.h"

#include <array>
#include <cctype>
#include <span>

namespace {

// Bytes copied at a time by the fallback.
constexpr DWORD kCopyPieceSize = 1024;

constexpr std::string_view kAgentName = "Save Image To File";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// "c:/..." or "c|/..." (the older form of a drive in a URL).
bool StartsWithDrive(std::string_view path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           (path[1] == ':' || path[1] == '|');
}

} // namespace

// ---------------------------------------------------------------------------
// The fallback: the desktop's Internet functions, or a local file

std::string LocalFileNameForUrl(std::string_view url) {
    std::string name;
    if (StartsWithNoCase(url, "file:///")) {
        std::string_view path = url.substr(8);
        if (StartsWithDrive(path)) {
            name = path;
            ReplaceAll(name, "/", "\\");
        } else {
            // No drive: a path of this system's file tree, which must keep
            // its root to name the same file from any current folder.
            name = "/";
            name += path;
        }
    } else if (StartsWithNoCase(url, "file://")) {
        name = "\\\\";
        name += url.substr(7);
        ReplaceAll(name, "/", "\\");
    } else {
        name = url;
    }
    ReplaceAll(name, "%20", " ");
    return name;
}

namespace {

// The bytes of an open URL or local file, read in pieces; closes what it
// opened.
class ImageSource {
public:
    ImageSource() = default;
    ImageSource(const ImageSource&) = delete;
    ImageSource& operator=(const ImageSource&) = delete;
    ~ImageSource() {
        if (m_Url != nullptr) {
            InternetCloseHandle(m_Url);
        }
        if (m_Session != nullptr) {
            InternetCloseHandle(m_Session);
        }
        if (m_File != INVALID_HANDLE_VALUE) {
            CloseHandle(m_File);
        }
    }

    // Opens the URL through the Internet functions, or else the local file
    // it names. False when the session cannot be opened or a server answers
    // with an error status.
    bool Open(const std::string& url) {
        m_Session = InternetOpenA(std::string(kAgentName).c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                  nullptr, nullptr, 0);
        if (m_Session == nullptr) {
            return false;
        }
        m_Url = InternetOpenUrlA(m_Session, url.c_str(), nullptr, 0, 0, 0);
        if (m_Url != nullptr) {
            DWORD status = 0;
            DWORD length = sizeof status;
            return !(HttpQueryInfoA(m_Url, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                                    &length, nullptr) &&
                     IsHttpErrorStatus(status));
        }
        // A file that cannot be opened fails at the first read.
        m_File = CreateFileA(LocalFileNameForUrl(url).c_str(), GENERIC_READ, FILE_SHARE_READ,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return true;
    }

    // False on a failing read; `read` is 0 at the end.
    bool Read(std::span<char> buffer, DWORD& read) {
        read = 0;
        DWORD size = static_cast<DWORD>(buffer.size());
        if (m_Url != nullptr) {
            return InternetReadFile(m_Url, buffer.data(), size, &read) != FALSE;
        }
        if (m_File == INVALID_HANDLE_VALUE) {
            return false;
        }
        return ReadFile(m_File, buffer.data(), size, &read, nullptr) != FALSE;
    }

private:
    HINTERNET m_Session = nullptr;        // owned
    HINTERNET m_Url = nullptr;            // owned
    HANDLE m_File = INVALID_HANDLE_VALUE; // owned
};

} // namespace

nsresult SaveImageWithWinInet(CWebInfo& record) {
    record.SetRetValue(E_FAIL);
    std::optional<std::string> fileName = StringArg(record, "file_name");
    std::optional<std::string> url = StringArg(record, "url");
    if (!fileName || !url) {
        return E_FAIL;
    }
    std::optional<CrtFile> out = CrtFile::Open(*fileName, "w+b");
    if (!out) {
        return E_FAIL;
    }
    ImageSource source;
    if (!source.Open(*url)) {
        return E_FAIL;
    }
    std::array<char, kCopyPieceSize> buffer{};
    for (;;) {
        DWORD read = 0;
        if (!source.Read(buffer, read)) {
            return E_FAIL;
        }
        if (read == 0) {
            break;
        }
        if (out->Write(std::as_bytes(std::span(buffer.data(), read))) != read) {
            return E_FAIL;
        }
    }
    if (!out->Close()) {
        return E_FAIL;
    }
    record.SetRetValue(NS_OK);
    return NS_OK;
}
