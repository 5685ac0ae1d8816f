// Chrome (XUL) documents from XML markup, through expat.
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"

#include <expat.h>
#include <memory>

namespace dom {

namespace {

struct ParserDeleter {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// Builds the tree as expat reports it; the open elements form a stack, so
// nesting depth costs no native stack.
class TreeBuilder {
public:
    explicit TreeBuilder(Document& document) : m_document(document) { m_open.push_back(&document); }

    void Start(const XML_Char* name, const XML_Char** attributes) {
        FlushText();
        NodeRef element = m_document.CreateElement(Utf16FromUtf8(name));
        if (!element)
            return;
        auto& core = static_cast<Element&>(*element);
        for (size_t i = 0; attributes[i] && attributes[i + 1]; i += 2)
            core.SetAttribute(Utf16FromUtf8(attributes[i]), Utf16FromUtf8(attributes[i + 1]));
        m_open.back()->InsertChild(core, nullptr);
        m_open.push_back(&core);
    }
    void End() {
        FlushText();
        if (m_open.size() > 1)
            m_open.pop_back();
    }
    void Text(const XML_Char* text, int length) {
        if (length > 0)
            m_text.append(text, static_cast<size_t>(length));
    }
    void Comment(const XML_Char* data) {
        FlushText();
        NodeRef comment = m_document.CreateComment(Utf16FromUtf8(data));
        m_open.back()->InsertChild(*comment, nullptr);
    }

private:
    // Expat reports character data in pieces; one text node takes them all.
    void FlushText() {
        if (m_text.empty())
            return;
        // Text outside the document element is no content of the document.
        if (m_open.size() > 1) {
            NodeRef text = m_document.CreateText(Utf16FromUtf8(m_text));
            m_open.back()->InsertChild(*text, nullptr);
        }
        m_text.clear();
    }

    Document& m_document;
    std::vector<Node*> m_open; // observes: each is held by its parent
    std::string m_text;
};

} // namespace

nsCOMPtr<nsIDOMDocument> ParseXULDocument(std::string_view markup, std::u16string_view url,
                                          nsString* error) {
    if (error)
        error->clear();
    nsCOMPtr<nsIDOMDocument> result = NewDocument(ElementNamespace::XUL, nsString(url));
    Document* document = Document::FromDOM(result);
    if (!document)
        return nullptr;
    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreate(nullptr));
    if (!parser) {
        if (error)
            *error = nsString(url) + u": out of memory";
        return nullptr;
    }
    TreeBuilder builder(*document);
    XML_SetUserData(parser.get(), &builder);
    XML_SetElementHandler(
        parser.get(),
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            static_cast<TreeBuilder*>(data)->Start(name, attributes);
        },
        [](void* data, const XML_Char*) { static_cast<TreeBuilder*>(data)->End(); });
    XML_SetCharacterDataHandler(parser.get(), [](void* data, const XML_Char* text, int length) {
        static_cast<TreeBuilder*>(data)->Text(text, length);
    });
    XML_SetCommentHandler(parser.get(), [](void* data, const XML_Char* comment) {
        static_cast<TreeBuilder*>(data)->Comment(comment);
    });
    // Entities of external DTDs (the chrome's locale files) are not loaded;
    // a reference to one is skipped rather than refused.
    XML_SetSkippedEntityHandler(parser.get(), [](void*, const XML_Char*, int) {});

    // Expat takes lengths as int: feed large input in pieces.
    constexpr size_t kPiece = 1 << 20;
    size_t offset = 0;
    XML_Status status = XML_STATUS_OK;
    do {
        size_t length = std::min(kPiece, markup.size() - offset);
        bool last = offset + length == markup.size();
        status = XML_Parse(parser.get(), markup.data() + offset, static_cast<int>(length), last);
        offset += length;
        if (last)
            break;
    } while (status == XML_STATUS_OK);
    if (status != XML_STATUS_OK) {
        if (error) {
            std::string line = std::to_string(XML_GetCurrentLineNumber(parser.get()));
            *error = nsString(url) + u", line " + Utf16FromUtf8(line) + u": " +
                     Utf16FromUtf8(XML_ErrorString(XML_GetErrorCode(parser.get())));
        }
        return nullptr;
    }
    return result;
}

} // namespace dom
