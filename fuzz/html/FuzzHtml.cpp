// Parses arbitrary bytes as an HTML page. The parser repairs anything, so a
// document must always come back; its tree must be consistent (parents,
// positions and the document's element count agree with a walk), and the
// markup serialiser and the plain-text encoder must get through it.
#include "common/TreeCheck.h"
#include "platform/browser/dom/ContentFactories.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Inputs beyond this size mostly measure how the HTML library copes with
// deep nesting, not this code.
constexpr size_t kMaxInput = 4096;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput)
        return 0;
    const std::string_view markup(reinterpret_cast<const char*>(data), size);
    nsCOMPtr<nsIDOMHTMLDocument> page = dom::ParseHTMLDocument(markup, u"http://host/page.html");
    dom::Document* document = page ? dom::Document::FromDOM(page.get()) : nullptr;
    if (!document)
        std::abort();
    fuzz::CheckTree(*document);

    (void)dom::SerializeChildren(*document);

    nsCOMPtr<nsIDocumentEncoder> encoder;
    if (NS_FAILED(dom::NewPlainTextEncoder(getter_AddRefs(encoder))) || !encoder)
        std::abort();
    if (NS_FAILED(encoder->Init(page.get(), u"text/plain", 0)))
        std::abort();
    if (dom::Element* body = document->Body())
        encoder->SetNode(body->AsDOMNode());
    nsString text;
    if (NS_FAILED(encoder->EncodeToString(text)))
        std::abort();
    return 0;
}
