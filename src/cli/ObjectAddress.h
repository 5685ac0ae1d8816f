// Objects named by what stays the same from one run to the next: the page, a
// frame by its name (or its address when it has none), and an element by a
// description that the agent resolves in that frame (message 15).
//
//     {"desc": [["class", "html_text_link"], ["name", "Next"], ["location", 1]]}
//     {"frame": "main", "desc": [["class", "html_edit"], ["name", "user"]]}
//     {"frame": {"url": "file:///site/nav.html"}}       the frame itself
//     {}                                                the page
//
//     cli::ObjectAddress address;
//     if (auto read = cli::AddressFromJson(line["on"], address); !read) ...
//     std::optional<CWebRunTimeID> id = cli::ResolveAddress(session, address, error);
#pragma once

#include "cli/RecordJson.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

class Session;

struct ObjectAddress {
    enum class Frame { Page, ByName, ByUrl };
    Frame frame = Frame::Page;
    std::string frameKey; // the frame's name or address (system code page)
    // The element's description; none when the address names the frame.
    std::optional<CWebInfo> description;
};

// Whether a JSON value is written in the address form (an object), as
// opposed to four integers or a name such as "page".
inline bool IsAddressJson(const nlohmann::json& value) {
    return value.is_object();
}

JsonResult AddressFromJson(const nlohmann::json& value, ObjectAddress& out);
nlohmann::ordered_json AddressToJson(const ObjectAddress& address);
// A value as the console's lines write it most simply: a JSON string or
// integer for one string or integer, else the full form.
nlohmann::ordered_json CompactValueToJson(const CWebVariantList& value);
// In words, for messages: `[class "html_link", name "Next"] in frame "main"`.
std::string AddressText(const ObjectAddress& address);

// The frames of the first browser window, at any depth, in document order.
std::vector<CWebRunTimeID> FramesOfFirstWindow(Session& session);

// The runtime identifier the address names now; nothing, with the reason,
// when no object or several objects answer to it.
std::optional<CWebRunTimeID> ResolveAddress(Session& session, const ObjectAddress& address,
                                            std::string& error);

} // namespace cli
