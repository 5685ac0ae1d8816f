// Parses arbitrary bytes as chrome markup. Markup that is not well formed is
// refused with a message naming the file and line; what is accepted must be
// a consistent tree whose element count agrees with a walk.
#include "common/TreeCheck.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view markup(reinterpret_cast<const char*>(data), size);
    nsString error;
    nsCOMPtr<nsIDOMDocument> chrome =
        dom::ParseXULDocument(markup, u"chrome://navigator/content/navigator.xul", &error);
    if (!chrome) {
        if (error.empty())
            std::abort(); // a refusal always says why
        return 0;
    }
    dom::Document* document = dom::Document::FromDOM(chrome.get());
    if (!document)
        std::abort();
    fuzz::CheckTree(*document);
    (void)dom::SerializeChildren(*document);
    (void)document->TextContent();
    return 0;
}
