#include "support/PageSupport.h"

#include "platform/browser/dom/Parser.h"

namespace testsupport {

nsCOMPtr<nsIDOMHTMLDocument> LoadPage(std::string_view markup, std::u16string_view url) {
    return dom::ParseHTMLDocument(markup, url);
}

nsCOMPtr<nsIDOMElement> ElementById(nsIDOMDocument* document, std::string_view id) {
    nsCOMPtr<nsIDOMElement> element;
    if (document != nullptr) {
        document->GetElementById(nsString(id.begin(), id.end()), getter_AddRefs(element));
    }
    return element;
}

std::string Narrow(std::u16string_view text) {
    return dom::Utf8FromUtf16(text);
}

} // namespace testsupport
