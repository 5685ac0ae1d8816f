// Networking of the simulated browser: URIs, the I/O service and the
// channels of each scheme.
//
//     nsCOMPtr<nsIURI> uri = browser::NewURI("frame.html", base);   // null when malformed
//     nsCOMPtr<nsIChannel> channel;
//     browser::NewChannel(uri, getter_AddRefs(channel));
//     channel->AsyncOpen(listener, nullptr);
//
// Schemes: file: (local files), data: (inline bodies, base64 or
// percent-encoded), chrome: (the browser's built-in documents, see
// ChromeDocuments.h), about: ("about:blank") and http:/https: (libcurl on a
// worker thread). Asynchronous notifications always arrive on the thread
// that called AsyncOpen, through its event queue, in order: OnStartRequest,
// OnDataAvailable in pieces, OnStopRequest (also after a failure to open,
// with the status saying why).
#pragma once

#include "platform/xpcom/shell/nsINetwork.h"

#include <optional>
#include <string>
#include <string_view>

namespace browser {

// The parts of an address. Hierarchical addresses ("scheme://authority/path")
// have an authority and a path starting with "/"; opaque ones ("data:",
// "about:") keep everything after the colon in `path`.
struct URIParts {
    std::string scheme; // lower case
    bool hierarchical = false;
    std::string userInfo;
    std::string host; // lower case
    int32_t port = -1;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> ref;

    std::string Spec() const;
};

// Parses an absolute address; nullopt when it has no scheme or is malformed.
std::optional<URIParts> ParseURI(std::string_view spec);
// `relative` resolved against `base` (RFC 3986, dot segments removed).
std::optional<URIParts> ResolveURI(const URIParts& base, std::string_view relative);

// A URI object; null when `spec` is malformed (or relative without a base).
nsCOMPtr<nsIURI> NewURI(std::string_view spec, nsIURI* base = nullptr);
nsresult NewChannel(nsIURI* uri, nsIChannel** result);
// A channel for any well-formed address: one whose scheme has no handler
// fails only when it is opened (OnStopRequest with NS_ERROR_UNKNOWN_PROTOCOL),
// so that a document load always has a request to tell its listeners of.
nsCOMPtr<nsIChannel> NewLoadChannel(nsIURI* uri);

// The local file an address names ("file:///tmp/a b.html" -> "/tmp/a b.html").
std::optional<std::string> FilePathFromURI(std::string_view spec);
// The file: address of a local path (made absolute, special characters escaped).
std::string URIFromFilePath(std::string_view path);
// The content type that a file name's extension suggests ("text/html" ...).
std::string ContentTypeForPath(std::string_view path);

// The I/O service (registered by the browser as NS_IOSERVICE_CID).
class IOService final : public nsSupportsImpl<IOService, nsIIOService> {
public:
    nsresult NewURI(const nsACString& spec, nsIURI* base, nsIURI** result) override;
    nsresult NewChannelFromURI(nsIURI* uri, nsIChannel** result) override;
};

} // namespace browser
