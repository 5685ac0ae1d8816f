// Shared by the networking files of the simulated browser (addresses,
// channels, the fetchers of each scheme); internal to the shell.
#pragma once

#include "platform/browser/shell/Network.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace browser {

// The parts of a URI object's address; nullopt for null or malformed ones.
std::optional<URIParts> PartsOf(nsIURI* uri);
// "%XX" escapes decoded; malformed escapes are kept as they are.
std::string PercentDecode(std::string_view text);

// What a channel's source yields: the body and its type, or why it failed.
struct Fetched {
    nsresult status = NS_OK;
    std::string body;
    std::string contentType;
};

// The local sources, read whole when the transfer starts.
Fetched FetchFile(const URIParts& parts);
Fetched FetchData(const URIParts& parts);
Fetched FetchChrome(const URIParts& parts);
Fetched FetchAbout(const URIParts& parts);

// Gets each piece of an http: body as it arrives; answers false to cancel.
using PieceHandler = std::function<bool(std::string)>;
// Reads an http: address with libcurl (on the calling thread);
// `responseStatus` gets the server's status code (0 without an answer).
Fetched FetchHttp(const std::string& spec, const PieceHandler& onPiece, long* responseStatus);

} // namespace browser
