#include "platform/browser/Ascii.h"
#include "platform/browser/shell/ChromeDocuments.h"
#include "platform/browser/shell/Network.h"
#include "platform/browser/shell/internal/NetworkInternal.h"

#include <curl/curl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

namespace browser {
namespace {

std::optional<std::string> Base64Decode(std::string_view text) {
    std::string out;
    uint32_t buffer = 0;
    int bits = 0;
    for (char c : text) {
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+' || c == '-')
            value = 62;
        else if (c == '/' || c == '_')
            value = 63;
        else if (c == '=' || std::isspace(static_cast<unsigned char>(c)))
            continue;
        else
            return std::nullopt;
        buffer = (buffer << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return out;
}

void InitCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

nsresult CurlStatus(CURLcode code) {
    switch (code) {
    case CURLE_OK:
        return NS_OK;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return NS_ERROR_CONNECTION_REFUSED;
    case CURLE_WRITE_ERROR:
    case CURLE_ABORTED_BY_CALLBACK:
        return NS_BINDING_ABORTED;
    case CURLE_URL_MALFORMAT:
        return NS_ERROR_MALFORMED_URI;
    default:
        return NS_ERROR_FAILURE;
    }
}

} // namespace

Fetched FetchFile(const URIParts& parts) {
    auto path = FilePathFromURI(parts.Spec());
    if (!path)
        return {NS_ERROR_MALFORMED_URI, {}, {}};
    std::error_code error;
    if (!std::filesystem::is_regular_file(*path, error))
        return {NS_ERROR_FILE_NOT_FOUND, {}, {}};
    std::ifstream in(*path, std::ios::binary);
    if (!in)
        return {NS_ERROR_FILE_NOT_FOUND, {}, {}};
    std::ostringstream body;
    body << in.rdbuf();
    return {NS_OK, body.str(), ContentTypeForPath(*path)};
}

Fetched FetchData(const URIParts& parts) {
    // data:[<media type>][;base64],<data>
    std::string_view rest = parts.path;
    std::string all(rest);
    if (parts.query)
        all += "?" + *parts.query;
    rest = all;
    size_t comma = rest.find(',');
    if (comma == std::string_view::npos)
        return {NS_ERROR_MALFORMED_URI, {}, {}};
    std::string header = AsciiLower(rest.substr(0, comma));
    std::string_view payload = rest.substr(comma + 1);
    bool base64 = header.ends_with(";base64");
    if (base64)
        header.resize(header.size() - 7);
    std::string type = header.substr(0, header.find(';'));
    if (type.empty())
        type = "text/plain";
    std::string decoded = PercentDecode(payload);
    if (base64) {
        auto bytes = Base64Decode(decoded);
        if (!bytes)
            return {NS_ERROR_MALFORMED_URI, {}, {}};
        decoded = std::move(*bytes);
    }
    return {NS_OK, std::move(decoded), type};
}

Fetched FetchChrome(const URIParts& parts) {
    auto document = FindChromeDocument(parts.Spec());
    if (!document)
        return {NS_ERROR_FILE_NOT_FOUND, {}, {}};
    return {NS_OK, std::move(document->content), std::move(document->contentType)};
}

Fetched FetchAbout(const URIParts& parts) {
    if (parts.path == "blank")
        return {NS_OK, "<html><head></head><body></body></html>", "text/html"};
    return {NS_ERROR_FILE_NOT_FOUND, {}, {}};
}

Fetched FetchHttp(const std::string& spec, const PieceHandler& onPiece, long* responseStatus) {
    InitCurl();
    Fetched fetched;
    CURL* curl = curl_easy_init();
    if (!curl)
        return {NS_ERROR_OUT_OF_MEMORY, {}, {}};
    struct Sink {
        const PieceHandler* onPiece;
    } sink{&onPiece};
    auto write = +[](char* data, size_t size, size_t count, void* target) -> size_t {
        auto* sink = static_cast<Sink*>(target);
        size_t n = size * count;
        if (!(*sink->onPiece)(std::string(data, n)))
            return 0; // makes libcurl stop with CURLE_WRITE_ERROR
        return n;
    };
    curl_easy_setopt(curl, CURLOPT_URL, spec.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    fetched.status = CurlStatus(curl_easy_perform(curl));
    *responseStatus = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, responseStatus);
    char* type = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
        std::string_view value(type);
        fetched.contentType = AsciiLower(value.substr(0, value.find(';')));
        while (!fetched.contentType.empty() && fetched.contentType.back() == ' ')
            fetched.contentType.pop_back();
    }
    curl_easy_cleanup(curl);
    return fetched;
}

std::string ContentTypeForPath(std::string_view path) {
    std::string lower = AsciiLower(path);
    auto ends = [&](std::string_view suffix) { return lower.ends_with(suffix); };
    if (ends(".html") || ends(".htm") || ends(".shtml") || ends(".xhtml"))
        return "text/html";
    if (ends(".xul"))
        return std::string(kXULContentType);
    if (ends(".gif"))
        return "image/gif";
    if (ends(".png"))
        return "image/png";
    if (ends(".jpg") || ends(".jpeg"))
        return "image/jpeg";
    if (ends(".bmp"))
        return "image/bmp";
    if (ends(".css"))
        return "text/css";
    if (ends(".js"))
        return "application/x-javascript";
    if (ends(".xml"))
        return "text/xml";
    if (ends(".txt"))
        return "text/plain";
    return "application/octet-stream";
}

} // namespace browser
