#include "platform/browser/Ascii.h"
#include "platform/browser/shell/Network.h"
#include "platform/browser/shell/internal/NetworkInternal.h"

#include <cctype>
#include <cstring>
#include <filesystem>

namespace browser {
namespace {

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
    parts.host = AsciiLower(authority);
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
        *result = AsciiLower(scheme) == m_parts.scheme ? PR_TRUE : PR_FALSE;
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

} // namespace

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

std::optional<URIParts> PartsOf(nsIURI* uri) {
    if (!uri)
        return std::nullopt;
    std::string spec;
    if (NS_FAILED(uri->GetSpec(spec)))
        return std::nullopt;
    return ParseURI(spec);
}

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
    parts.scheme = AsciiLower(scheme);
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

nsresult IOService::NewURI(const nsACString& spec, nsIURI* base, nsIURI** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    nsCOMPtr<nsIURI> uri = browser::NewURI(spec, base);
    *result = uri.forget();
    return *result ? NS_OK : NS_ERROR_MALFORMED_URI;
}

} // namespace browser
