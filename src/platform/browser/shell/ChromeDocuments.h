// The browser's built-in documents, served by the chrome: scheme.
//
// "chrome://navigator/content/navigator.xul" is the main window's chrome:
// the toolbar with "back-button" and "forward-button" (menubutton),
// "reload-button", "stop-button" and "home-button" (button), the "urlbar"
// textbox with its address history popup "ubhist-popup", and the content
// area "content" (a XUL "browser" element of type "content-primary").
// Tests and the console may register further documents (a dialog).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace browser {

inline constexpr std::string_view kNavigatorURL = "chrome://navigator/content/navigator.xul";
// The XUL content type of chrome documents.
inline constexpr std::string_view kXULContentType = "application/vnd.mozilla.xul+xml";

struct ChromeDocument {
    std::string content;
    std::string contentType;
};

// The document registered under `spec` (compared without the reference).
std::optional<ChromeDocument> FindChromeDocument(std::string_view spec);
// Adds or replaces a document; `spec` must be a chrome: address.
void RegisterChromeDocument(std::string spec, ChromeDocument document);

} // namespace browser
