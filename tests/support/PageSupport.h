// Pages of the simulated browser's DOM in one line, for tests:
//
//     auto page = testsupport::LoadPage("<a id=home href=x>Home</a>");
//     nsCOMPtr<nsIDOMHTMLAnchorElement> home = testsupport::ById<nsIDOMHTMLAnchorElement>(page,
//     "home"); EXPECT_EQ(testsupport::Narrow(text), "Home");
#pragma once

#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/nsCOMPtr.h"

#include <string>
#include <string_view>

namespace testsupport {

// `markup` parsed as an HTML document at `url` (no window, no layout).
nsCOMPtr<nsIDOMHTMLDocument> LoadPage(std::string_view markup,
                                      std::u16string_view url = u"http://host/page.html");

// The element with this id as `Interface`; null when there is none or it
// does not offer the interface.
nsCOMPtr<nsIDOMElement> ElementById(nsIDOMDocument* document, std::string_view id);
template <typename Interface = nsIDOMElement>
nsCOMPtr<Interface> ById(nsIDOMDocument* document, std::string_view id) {
    nsCOMPtr<nsIDOMElement> element = ElementById(document, id);
    nsCOMPtr<Interface> result = do_QueryInterface(element);
    return result;
}

// A DOM string as UTF-8.
std::string Narrow(std::u16string_view text);

} // namespace testsupport
