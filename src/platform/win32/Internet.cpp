// Internet sessions and URL reads on libcurl.
#include "platform/win32/WinInet.h"
#include "platform/win32/internal/Handles.h"
#include "platform/win32/internal/Window.h"

#include <algorithm>
#include <cstring>
#include <curl/curl.h>
#include <mutex>
#include <string>
#include <string_view>

using namespace win32::internal;

namespace {

constexpr long kTimeoutSeconds = 60;
// An address that does not answer is given up sooner than a slow transfer.
constexpr long kConnectTimeoutSeconds = 10;

struct InternetObject {
    enum class Kind { Session, Url };
    Kind kind = Kind::Session;
    std::string agent;
    std::string body;
    size_t offset = 0;
    long status = 0; // the HTTP status code, 0 for other schemes
};

HandleTable<InternetObject>& Handles() {
    return Immortal<HandleTable<InternetObject>>();
}

bool IsFetchable(std::string_view url) {
    auto lower = LowerCase(url.substr(0, 8));
    return lower.starts_with("http://") || lower.starts_with("https://") ||
           lower.starts_with("ftp://");
}

size_t Append(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

DWORD ErrorFromCurl(CURLcode code) {
    switch (code) {
    case CURLE_URL_MALFORMAT:
        return ERROR_INTERNET_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_INTERNET_TIMEOUT;
    default:
        return ERROR_INTERNET_CANNOT_CONNECT;
    }
}

HINTERNET Insert(std::shared_ptr<InternetObject> object) {
    uint32_t value = Handles().Insert(std::move(object));
    if (value == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return ULongToHandle(value);
}

} // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD, LPCSTR, LPCSTR, DWORD) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    auto session = std::make_shared<InternetObject>();
    session->agent = agent != nullptr ? agent : "";
    return Insert(std::move(session));
}

HINTERNET InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR, DWORD, DWORD, DWORD_PTR) {
    auto owner = Handles().Find(ValueOf(session));
    if (!owner || owner->kind != InternetObject::Kind::Session) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (url == nullptr || !IsFetchable(url)) {
        SetLastError(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
        return nullptr;
    }
    auto file = std::make_shared<InternetObject>();
    file->kind = InternetObject::Kind::Url;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    curl_easy_setopt(curl, CURLOPT_URL, url);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, owner->agent.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &file->body);
    CURLcode code = curl_easy_perform(curl);
    if (LowerCase(std::string_view(url).substr(0, 5)).starts_with("http")) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &file->status);
    }
    curl_easy_cleanup(curl);
    if (code != CURLE_OK) {
        SetLastError(ErrorFromCurl(code));
        return nullptr;
    }
    return Insert(std::move(file));
}

BOOL InternetReadFile(HINTERNET handle, LPVOID buffer, DWORD toRead, LPDWORD read) {
    if (read != nullptr) {
        *read = 0;
    }
    auto file = Handles().Find(ValueOf(handle));
    if (!file || file->kind != InternetObject::Kind::Url || read == nullptr ||
        (buffer == nullptr && toRead > 0)) {
        SetLastError(file ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    size_t count = std::min<size_t>(toRead, file->body.size() - file->offset);
    std::memcpy(buffer, file->body.data() + file->offset, count);
    file->offset += count;
    *read = static_cast<DWORD>(count);
    return TRUE;
}

BOOL InternetCloseHandle(HINTERNET handle) {
    if (!Handles().Remove(ValueOf(handle))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL HttpQueryInfoA(HINTERNET handle, DWORD infoLevel, LPVOID buffer, LPDWORD length, LPDWORD) {
    auto file = Handles().Find(ValueOf(handle));
    if (!file || file->kind != InternetObject::Kind::Url) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((infoLevel & 0xFFFF) != HTTP_QUERY_STATUS_CODE || file->status == 0) {
        SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
        return FALSE;
    }
    if (length == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if ((infoLevel & HTTP_QUERY_FLAG_NUMBER) != 0) {
        if (buffer == nullptr || *length < sizeof(DWORD)) {
            *length = sizeof(DWORD);
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        DWORD status = static_cast<DWORD>(file->status);
        std::memcpy(buffer, &status, sizeof status);
        *length = sizeof status;
        return TRUE;
    }
    std::string text = std::to_string(file->status);
    if (buffer == nullptr || *length < text.size() + 1) {
        *length = static_cast<DWORD>(text.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *length = static_cast<DWORD>(text.size());
    return TRUE;
}
