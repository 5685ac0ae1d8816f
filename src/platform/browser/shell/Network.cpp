#include "platform/browser/shell/Network.h"

#include "platform/browser/shell/ChromeDocuments.h"
#include "platform/browser/shell/EventQueue.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <curl/curl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace browser {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsSchemeChar(char c, bool first) {
    if (std::isalpha(static_cast<unsigned char>(c)))
        return true;
    return !first &&
           (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.');
}

// The scheme of `spec`, or empty when it has none ("a/b", "//host/x").
std::string_view SchemeOf(std::string_view spec) {
    size_t colon = spec.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return {};
    for (size_t i = 0; i < colon; ++i)
        if (!IsSchemeChar(spec[i], i == 0))
            return {};
    return spec.substr(0, colon);
}

// Removes "." and ".." segments of a path.
std::string RemoveDotSegments(std::string_view path) {
    std::vector<std::string_view> out;
    bool absolute = path.starts_with('/');
    size_t pos = absolute ? 1 : 0;
    bool trailingSlash = false;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        std::string_view segment = path.substr(
            pos, slash == std::string_view::npos ? std::string_view::npos : slash - pos);
        bool last = slash == std::string_view::npos;
        trailingSlash = false;
        if (segment == ".") {
            trailingSlash = last;
        } else if (segment == "..") {
            if (!out.empty())
                out.pop_back();
            trailingSlash = last;
        } else {
            out.push_back(segment);
        }
        if (last)
            break;
        pos = slash + 1;
    }
    std::string result = absolute ? "/" : "";
    for (size_t i = 0; i < out.size(); ++i) {
        if (i > 0)
            result += '/';
        result += out[i];
    }
    if (trailingSlash && !result.ends_with('/'))
        result += '/';
    return result;
}

// Splits "path?query#ref" into the parts.
void SplitTail(std::string_view rest, URIParts& parts) {
    size_t hash = rest.find('#');
    if (hash != std::string_view::npos) {
        parts.ref = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    size_t question = rest.find('?');
    if (question != std::string_view::npos) {
        parts.query = std::string(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    parts.path = std::string(rest);
}

bool ParseAuthority(std::string_view authority, URIParts& parts) {
    size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        parts.userInfo = std::string(authority.substr(0, at));
        authority = authority.substr(at + 1);
    }
    size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && authority.find(']') == std::string_view::npos) {
        std::string_view port = authority.substr(colon + 1);
        authority = authority.substr(0, colon);
        if (!port.empty()) {
            if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) {
                    return std::isdigit(static_cast<unsigned char>(c));
                }))
                return false;
            int value = std::stoi(std::string(port));
            if (value > 65535)
                return false;
            parts.port = value;
        }
    }
    parts.host = Lower(authority);
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int high = HexValue(text[i + 1]);
            int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

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

// ---------------------------------------------------------------------------
// URI objects

class URI final : public nsSupportsImpl<URI, nsIURI> {
public:
    explicit URI(URIParts parts) : m_parts(std::move(parts)) {}
    const URIParts& Parts() const { return m_parts; }

    nsresult GetSpec(nsACString& spec) override {
        spec = m_parts.Spec();
        return NS_OK;
    }
    nsresult GetScheme(nsACString& scheme) override {
        scheme = m_parts.scheme;
        return NS_OK;
    }
    nsresult GetHost(nsACString& host) override {
        host = m_parts.host;
        return NS_OK;
    }
    nsresult GetPort(PRInt32* port) override {
        if (!port)
            return NS_ERROR_NULL_POINTER;
        *port = m_parts.port;
        return NS_OK;
    }
    nsresult GetPath(nsACString& path) override {
        path = m_parts.path;
        if (m_parts.query)
            path += "?" + *m_parts.query;
        if (m_parts.ref)
            path += "#" + *m_parts.ref;
        return NS_OK;
    }
    nsresult GetRef(nsACString& ref) override {
        ref = m_parts.ref.value_or("");
        return NS_OK;
    }
    nsresult Resolve(const nsACString& relative, nsACString& result) override {
        auto resolved = ResolveURI(m_parts, relative);
        if (!resolved)
            return NS_ERROR_MALFORMED_URI;
        result = resolved->Spec();
        return NS_OK;
    }
    nsresult Equals(nsIURI* other, PRBool* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = PR_FALSE;
        if (!other)
            return NS_OK;
        std::string spec;
        other->GetSpec(spec);
        *result = spec == m_parts.Spec() ? PR_TRUE : PR_FALSE;
        return NS_OK;
    }
    nsresult SchemeIs(const char* scheme, PRBool* result) override {
        if (!result || !scheme)
            return NS_ERROR_NULL_POINTER;
        *result = Lower(scheme) == m_parts.scheme ? PR_TRUE : PR_FALSE;
        return NS_OK;
    }
    nsresult Clone(nsIURI** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = nsCOMPtr<nsIURI>(new URI(m_parts)).forget();
        return NS_OK;
    }

private:
    URIParts m_parts;
};

std::optional<URIParts> PartsOf(nsIURI* uri) {
    if (!uri)
        return std::nullopt;
    std::string spec;
    if (NS_FAILED(uri->GetSpec(spec)))
        return std::nullopt;
    return ParseURI(spec);
}

// ---------------------------------------------------------------------------
// Streams

class StringInputStream final : public nsSupportsImpl<StringInputStream, nsIInputStream> {
public:
    explicit StringInputStream(std::string data) : m_data(std::move(data)) {}

    nsresult Available(PRUint32* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = static_cast<PRUint32>(m_data.size() - m_offset);
        return NS_OK;
    }
    nsresult Read(char* buffer, PRUint32 count, PRUint32* read) override {
        if (!read || (!buffer && count > 0))
            return NS_ERROR_NULL_POINTER;
        size_t n = std::min<size_t>(count, m_data.size() - m_offset);
        if (n > 0)
            std::memcpy(buffer, m_data.data() + m_offset, n);
        m_offset += n;
        *read = static_cast<PRUint32>(n);
        return NS_OK;
    }
    nsresult Close() override {
        m_offset = m_data.size();
        return NS_OK;
    }

private:
    std::string m_data;
    size_t m_offset = 0;
};

// ---------------------------------------------------------------------------
// Channels

// Bodies are handed to listeners in pieces of this size.
constexpr size_t kPieceSize = 16 * 1024;

// What a channel's source yields: the body and its type, or why it failed.
struct Fetched {
    nsresult status = NS_OK;
    std::string body;
    std::string contentType;
};

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
    std::string header = Lower(rest.substr(0, comma));
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

// Reads an http: address with libcurl. `onPiece` gets each piece of the body
// as it arrives and answers false to cancel; `responseStatus` gets the
// server's status code (0 without an answer).
template <typename OnPiece>
Fetched FetchHttp(const std::string& spec, OnPiece onPiece, long* responseStatus) {
    InitCurl();
    Fetched fetched;
    CURL* curl = curl_easy_init();
    if (!curl)
        return {NS_ERROR_OUT_OF_MEMORY, {}, {}};
    struct Sink {
        OnPiece* onPiece;
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
        fetched.contentType = Lower(value.substr(0, value.find(';')));
        while (!fetched.contentType.empty() && fetched.contentType.back() == ' ')
            fetched.contentType.pop_back();
    }
    curl_easy_cleanup(curl);
    return fetched;
}

bool IsHttp(const URIParts& parts) {
    return parts.scheme == "http" || parts.scheme == "https";
}

bool IsKnownScheme(const std::string& scheme) {
    return scheme == "file" || scheme == "data" || scheme == "chrome" || scheme == "about" ||
           scheme == "http" || scheme == "https";
}

// One channel for every scheme: local sources are read when the transfer
// starts (on the owning thread, from its event queue); http: is read on a
// worker thread whose pieces are posted back to the owning thread's queue.
class Channel final : public nsSupportsImpl<Channel, nsIHttpChannel> {
public:
    explicit Channel(nsCOMPtr<nsIURI> uri, URIParts parts)
        : m_uri(std::move(uri)), m_parts(std::move(parts)) {}

    // nsIRequest
    nsresult GetName(nsACString& name) override {
        name = m_parts.Spec();
        return NS_OK;
    }
    nsresult IsPending(PRBool* result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = m_pending ? PR_TRUE : PR_FALSE;
        return NS_OK;
    }
    nsresult GetStatus(nsresult* status) override {
        if (!status)
            return NS_ERROR_NULL_POINTER;
        *status = m_status;
        return NS_OK;
    }
    nsresult Cancel(nsresult status) override {
        if (NS_SUCCEEDED(status))
            return NS_ERROR_INVALID_ARG;
        if (NS_SUCCEEDED(m_status))
            m_status = status;
        m_cancelled->store(true);
        return NS_OK;
    }

    // nsIChannel
    nsresult GetURI(nsIURI** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        m_uri.CopyTo(result);
        return NS_OK;
    }
    nsresult GetContentType(nsACString& type) override {
        type = m_contentType;
        return NS_OK;
    }

    // nsIHttpChannel
    nsresult GetResponseStatus(PRUint32* status) override {
        if (!status)
            return NS_ERROR_NULL_POINTER;
        *status = static_cast<PRUint32>(m_responseStatus);
        return m_responseStatus > 0 ? NS_OK : NS_ERROR_NOT_AVAILABLE;
    }

    nsresult AsyncOpen(nsIStreamListener* listener, nsISupports* context) override {
        if (!listener)
            return NS_ERROR_NULL_POINTER;
        if (m_opened)
            return NS_ERROR_ALREADY_INITIALIZED;
        m_opened = true;
        m_pending = true;
        m_listener = listener;
        m_context = context;
        m_queue = EventQueue::ForCurrentThread();
        if (IsHttp(m_parts)) {
            StartHttp();
        } else {
            nsCOMPtr<Channel> self(this);
            m_queue->Post([self] { self->DeliverLocal(); });
        }
        return NS_OK;
    }

    nsresult Open(nsIInputStream** result) override {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = nullptr;
        Fetched fetched;
        if (IsHttp(m_parts)) {
            std::string body;
            fetched = FetchHttp(
                m_parts.Spec(),
                [&body](std::string piece) {
                    body += piece;
                    return true;
                },
                &m_responseStatus);
            fetched.body = std::move(body);
        } else {
            fetched = FetchLocal();
        }
        m_status = fetched.status;
        if (NS_FAILED(fetched.status))
            return fetched.status;
        m_contentType = fetched.contentType;
        *result = nsCOMPtr<nsIInputStream>(new StringInputStream(std::move(fetched.body))).forget();
        return NS_OK;
    }

private:
    Fetched FetchLocal() {
        if (m_parts.scheme == "file")
            return FetchFile(m_parts);
        if (m_parts.scheme == "data")
            return FetchData(m_parts);
        if (m_parts.scheme == "chrome")
            return FetchChrome(m_parts);
        if (m_parts.scheme == "about")
            return FetchAbout(m_parts);
        return {NS_ERROR_UNKNOWN_PROTOCOL, {}, {}};
    }

    void DeliverLocal() {
        Fetched fetched = FetchLocal();
        m_contentType = fetched.contentType;
        if (NS_FAILED(fetched.status) && NS_SUCCEEDED(m_status))
            m_status = fetched.status;
        Start();
        // Each piece is its own event, so that a Cancel between pieces (or
        // other work of the thread) gets its turn.
        auto body = std::make_shared<std::string>(std::move(fetched.body));
        PostPiece(body, 0);
    }

    void PostPiece(std::shared_ptr<std::string> body, size_t offset) {
        nsCOMPtr<Channel> self(this);
        m_queue->Post([self, body, offset] {
            if (NS_FAILED(self->m_status) || offset >= body->size()) {
                self->Stop();
                return;
            }
            size_t n = std::min(kPieceSize, body->size() - offset);
            self->Deliver(body->substr(offset, n));
            self->PostPiece(body, offset + n);
        });
    }

    void StartHttp() {
        nsCOMPtr<Channel> self(this);
        std::string spec = m_parts.Spec();
        auto cancelled = m_cancelled;
        nsCOMPtr<EventQueue> queue = m_queue;
        m_queue->Post([self] { self->Start(); });
        // The worker holds the channel only through the tasks it posts; the
        // channel itself lives on the owning thread.
        std::thread([self, spec, cancelled, queue]() mutable {
            long responseStatus = 0;
            Fetched fetched = FetchHttp(
                spec,
                [&](std::string piece) {
                    if (cancelled->load())
                        return false;
                    queue->Post([self, piece = std::move(piece)] {
                        if (NS_SUCCEEDED(self->m_status))
                            self->Deliver(piece);
                    });
                    return true;
                },
                &responseStatus);
            // The worker's own reference moves into the last task, so that
            // the channel is released on its owning thread.
            queue->Post([self = std::move(self), fetched = std::move(fetched), responseStatus] {
                if (!fetched.contentType.empty())
                    self->m_contentType = fetched.contentType;
                self->m_responseStatus = responseStatus;
                if (NS_FAILED(fetched.status) && NS_SUCCEEDED(self->m_status))
                    self->m_status = fetched.status;
                self->Stop();
            });
        }).detach();
    }

    void Start() {
        if (m_started)
            return;
        m_started = true;
        // Keeps the listener alive across its own notification.
        nsCOMPtr<nsIStreamListener> listener = m_listener;
        if (listener)
            listener->OnStartRequest(this, m_context);
    }

    void Deliver(const std::string& piece) {
        Start();
        nsCOMPtr<nsIStreamListener> listener = m_listener;
        if (!listener || piece.empty())
            return;
        nsCOMPtr<nsIInputStream> input(new StringInputStream(piece));
        nsresult rv =
            listener->OnDataAvailable(this, m_context, input, static_cast<PRUint32>(m_delivered),
                                      static_cast<PRUint32>(piece.size()));
        m_delivered += piece.size();
        if (NS_FAILED(rv))
            Cancel(rv);
    }

    void Stop() {
        if (m_stopped)
            return;
        Start();
        m_stopped = true;
        m_pending = false;
        nsCOMPtr<nsIStreamListener> listener = std::move(m_listener);
        nsCOMPtr<nsISupports> context = std::move(m_context);
        if (listener)
            listener->OnStopRequest(this, context, m_status);
    }

    nsCOMPtr<nsIURI> m_uri;
    URIParts m_parts;
    std::string m_contentType;
    nsresult m_status = NS_OK;
    long m_responseStatus = 0; // the server's status code, 0 until it answered
    bool m_opened = false;
    bool m_pending = false;
    bool m_started = false;
    bool m_stopped = false;
    size_t m_delivered = 0;
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
    nsCOMPtr<nsIStreamListener> m_listener;
    nsCOMPtr<nsISupports> m_context;
    nsCOMPtr<EventQueue> m_queue;
};

} // namespace

std::string URIParts::Spec() const {
    std::string spec = scheme + ":";
    if (hierarchical) {
        spec += "//";
        if (!userInfo.empty())
            spec += userInfo + "@";
        spec += host;
        if (port >= 0)
            spec += ":" + std::to_string(port);
    }
    spec += path;
    if (query)
        spec += "?" + *query;
    if (ref)
        spec += "#" + *ref;
    return spec;
}

std::optional<URIParts> ParseURI(std::string_view spec) {
    while (!spec.empty() && std::isspace(static_cast<unsigned char>(spec.front())))
        spec.remove_prefix(1);
    while (!spec.empty() && std::isspace(static_cast<unsigned char>(spec.back())))
        spec.remove_suffix(1);
    std::string_view scheme = SchemeOf(spec);
    if (scheme.empty())
        return std::nullopt;
    URIParts parts;
    parts.scheme = Lower(scheme);
    std::string_view rest = spec.substr(scheme.size() + 1);
    if (parts.scheme == "file" && rest.starts_with('/') && !rest.starts_with("//")) {
        // "file:/tmp/x" names the same file as "file:///tmp/x".
        parts.hierarchical = true;
        SplitTail(rest, parts);
    } else if (rest.starts_with("//")) {
        parts.hierarchical = true;
        rest.remove_prefix(2);
        size_t end = rest.find_first_of("/?#");
        if (!ParseAuthority(rest.substr(0, end), parts))
            return std::nullopt;
        SplitTail(end == std::string_view::npos ? std::string_view{} : rest.substr(end), parts);
        parts.path = RemoveDotSegments(parts.path);
        if (parts.path.empty())
            parts.path = "/";
    } else {
        size_t hash = rest.find('#');
        if (hash != std::string_view::npos) {
            parts.ref = std::string(rest.substr(hash + 1));
            rest = rest.substr(0, hash);
        }
        parts.path = std::string(rest);
        if (parts.path.empty() && parts.scheme != "about")
            return std::nullopt;
    }
    if ((parts.scheme == "http" || parts.scheme == "https") && parts.host.empty())
        return std::nullopt;
    return parts;
}

std::optional<URIParts> ResolveURI(const URIParts& base, std::string_view relative) {
    while (!relative.empty() && std::isspace(static_cast<unsigned char>(relative.front())))
        relative.remove_prefix(1);
    while (!relative.empty() && std::isspace(static_cast<unsigned char>(relative.back())))
        relative.remove_suffix(1);
    if (!SchemeOf(relative).empty())
        return ParseURI(relative);
    URIParts result = base;
    result.ref.reset();
    if (!base.hierarchical) {
        // Opaque addresses only take a new reference.
        if (!relative.starts_with('#'))
            return std::nullopt;
        result.ref = std::string(relative.substr(1));
        return result;
    }
    if (relative.starts_with("//"))
        return ParseURI(base.scheme + ":" + std::string(relative));
    URIParts tail;
    SplitTail(relative, tail);
    if (tail.path.empty()) {
        if (tail.query)
            result.query = tail.query;
    } else {
        result.query = tail.query;
        if (tail.path.starts_with('/')) {
            result.path = RemoveDotSegments(tail.path);
        } else {
            std::string merged = base.path.substr(0, base.path.rfind('/') + 1) + tail.path;
            if (!merged.starts_with('/'))
                merged.insert(merged.begin(), '/');
            result.path = RemoveDotSegments(merged);
        }
    }
    result.ref = tail.ref;
    return result;
}

nsCOMPtr<nsIURI> NewURI(std::string_view spec, nsIURI* base) {
    std::optional<URIParts> parts;
    if (!SchemeOf(spec).empty()) {
        parts = ParseURI(spec);
    } else if (auto baseParts = PartsOf(base)) {
        parts = ResolveURI(*baseParts, spec);
    }
    if (!parts)
        return nullptr;
    return nsCOMPtr<nsIURI>(new URI(std::move(*parts)));
}

nsresult NewChannel(nsIURI* uri, nsIChannel** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    auto parts = PartsOf(uri);
    if (!parts)
        return NS_ERROR_MALFORMED_URI;
    if (!IsKnownScheme(parts->scheme))
        return NS_ERROR_UNKNOWN_PROTOCOL;
    *result = nsCOMPtr<nsIChannel>(new Channel(nsCOMPtr<nsIURI>(uri), std::move(*parts))).forget();
    return NS_OK;
}

nsCOMPtr<nsIChannel> NewLoadChannel(nsIURI* uri) {
    auto parts = PartsOf(uri);
    if (!parts)
        return nullptr;
    return nsCOMPtr<nsIChannel>(new Channel(nsCOMPtr<nsIURI>(uri), std::move(*parts)));
}

std::optional<std::string> FilePathFromURI(std::string_view spec) {
    auto parts = ParseURI(spec);
    if (!parts || parts->scheme != "file")
        return std::nullopt;
    if (!parts->host.empty() && parts->host != "localhost")
        return std::nullopt;
    return PercentDecode(parts->path);
}

std::string URIFromFilePath(std::string_view path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), error);
    std::string text = error ? std::string(path) : absolute.lexically_normal().string();
    std::string out = "file://";
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : text) {
        if (std::isalnum(c) || std::strchr("/-._~!$&'()*+,;=:@", c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string ContentTypeForPath(std::string_view path) {
    std::string lower = Lower(path);
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

nsresult IOService::NewURI(const nsACString& spec, nsIURI* base, nsIURI** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    nsCOMPtr<nsIURI> uri = browser::NewURI(spec, base);
    *result = uri.forget();
    return *result ? NS_OK : NS_ERROR_MALFORMED_URI;
}

nsresult IOService::NewChannelFromURI(nsIURI* uri, nsIChannel** result) {
    return NewChannel(uri, result);
}

} // namespace browser
