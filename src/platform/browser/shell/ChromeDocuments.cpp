#include "platform/browser/shell/ChromeDocuments.h"

#include <map>
#include <mutex>

namespace browser {
namespace {

// The main browser window. The content area is the "browser" element; the
// toolbar buttons and the address field are what the user and the tool's
// browser commands act on.
constexpr std::string_view kNavigatorXUL = R"(<?xml version="1.0"?>
<window id="main-window" title="Navigator" width="800" height="600"
        xmlns="http://www.mozilla.org/keymaster/gatekeeper/there.is.only.xul">
  <toolbox id="navigator-toolbox">
    <toolbar id="nav-bar">
      <menubutton id="back-button" label="Back" tooltiptext="Go back one page"/>
      <menubutton id="forward-button" label="Forward" tooltiptext="Go forward one page"/>
      <button id="reload-button" label="Reload"/>
      <button id="stop-button" label="Stop"/>
      <button id="home-button" label="Home"/>
      <textbox id="urlbar" flex="1"/>
      <menupopup id="ubhist-popup"/>
    </toolbar>
  </toolbox>
  <browser id="content" type="content-primary" flex="1"/>
</window>
)";

struct Registry {
    std::mutex mutex;
    std::map<std::string, ChromeDocument, std::less<>> documents;
    Registry() {
        documents.emplace(std::string(kNavigatorURL),
                          ChromeDocument{std::string(kNavigatorXUL), std::string(kXULContentType)});
    }
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::string_view WithoutRef(std::string_view spec) {
    return spec.substr(0, spec.find('#'));
}

} // namespace

std::optional<ChromeDocument> FindChromeDocument(std::string_view spec) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.documents.find(WithoutRef(spec));
    if (it == registry.documents.end())
        return std::nullopt;
    return it->second;
}

void RegisterChromeDocument(std::string spec, ChromeDocument document) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.documents[std::string(WithoutRef(spec))] = std::move(document);
}

} // namespace browser
