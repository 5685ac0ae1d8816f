#include "platform/browser/dom/TextEncoder.h"

#include "platform/browser/dom/ContentFactories.h"
#include "platform/browser/dom/Document.h"

#include <algorithm>
#include <array>

namespace dom {
namespace {

constexpr char16_t kNoBreakSpace = 0x00A0;

bool IsMarkupSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

template <size_t N>
bool IsOneOf(const Element& element, const std::array<std::u16string_view, N>& tags) {
    if (!element.IsHTML())
        return false;
    return std::find(tags.begin(), tags.end(), element.LocalName()) != tags.end();
}

// Elements whose content a reader does not see as text.
constexpr std::array<std::u16string_view, 7> kHiddenContent = {
    u"script", u"style", u"head", u"title", u"noscript", u"noframes", u"iframe"};

constexpr std::array<std::u16string_view, 33> kBlocks = {
    u"address", u"blockquote", u"body",  u"caption",  u"center", u"dd",      u"dir",  u"div", u"dl",
    u"dt",      u"fieldset",   u"form",  u"frameset", u"h1",     u"h2",      u"h3",   u"h4",  u"h5",
    u"h6",      u"hr",         u"html",  u"legend",   u"li",     u"listing", u"menu", u"ol",  u"p",
    u"pre",     u"table",      u"tbody", u"tfoot",    u"thead",  u"tr"};

constexpr std::array<std::u16string_view, 5> kPreformatted = {u"pre", u"listing", u"xmp",
                                                              u"plaintext", u"textarea"};

constexpr std::array<std::u16string_view, 3> kSeparated = {u"td", u"th", u"option"};

constexpr std::array<std::u16string_view, 18> kVoidElements = {
    u"area",  u"base",    u"basefont", u"br",   u"col",  u"embed", u"frame",  u"hr",    u"img",
    u"input", u"isindex", u"keygen",   u"link", u"meta", u"param", u"source", u"track", u"wbr"};

constexpr std::array<std::u16string_view, 4> kRawText = {u"script", u"style", u"xmp", u"plaintext"};

// Walks `root`'s subtree in document order, skipping subtrees outside
// `clip`. Enter(node) answers whether to visit the node's children;
// Leave(node) follows every Enter. Iterative, so that very deep pages cannot
// exhaust the stack.
template <typename Visitor> void Walk(const Node& root, const RangePoints* clip, Visitor& visitor) {
    const Node* node = &root;
    while (node) {
        const bool inside = !clip || node == &root || clip->Intersects(*node);
        bool descend = false;
        if (inside)
            descend = visitor.Enter(*node);
        if (descend && node->FirstChild()) {
            node = node->FirstChild();
            continue;
        }
        if (inside)
            visitor.Leave(*node);
        while (node) {
            if (node == &root) {
                node = nullptr;
                break;
            }
            if (const Node* next = node->NextSibling()) {
                node = next;
                break;
            }
            node = node->Parent();
            if (node)
                visitor.Leave(*node);
        }
    }
}

// Builds the plain text, keeping line breaks and blanks pending until text
// follows them, so that none are left at the start or the end.
class PlainTextWriter {
public:
    PlainTextWriter(const RangePoints* clip, PRUint32 flags)
        : m_clip(clip),
          m_lineBreak(flags & nsIDocumentEncoder::OutputLFLineBreak ? u"\n" : u"\r\n"),
          m_keepAllSpace(
              flags & (nsIDocumentEncoder::OutputPreformatted | nsIDocumentEncoder::OutputRaw)) {}

    bool Enter(const Node& node) {
        if (node.IsCharacterData()) {
            if (node.Kind() == NodeKind::Text)
                AddText(m_clip ? m_clip->ClippedData(node)
                               : static_cast<const CharacterData&>(node).Data());
            return false;
        }
        if (!node.IsElement())
            return true;
        const auto& element = static_cast<const Element&>(node);
        if (IsOneOf(element, kHiddenContent))
            return false;
        if (element.IsHTML() && element.HasTag(u"br")) {
            m_pendingSpace = false;
            ++m_pendingBreaks;
            return false;
        }
        if (IsOneOf(element, kBlocks))
            EndLine();
        if (IsOneOf(element, kSeparated) && m_lineHasText && m_pendingBreaks == 0)
            m_pendingSpace = true;
        if (IsOneOf(element, kPreformatted))
            ++m_preformatted;
        return true;
    }

    void Leave(const Node& node) {
        if (!node.IsElement())
            return;
        const auto& element = static_cast<const Element&>(node);
        if (IsOneOf(element, kPreformatted) && m_preformatted > 0)
            --m_preformatted;
        if (IsOneOf(element, kBlocks))
            EndLine();
    }

    nsString Take() { return std::move(m_out); }

private:
    void EndLine() {
        m_pendingSpace = false;
        if (m_lineHasText && m_pendingBreaks == 0)
            m_pendingBreaks = 1;
    }

    // Writes what is pending before a visible character.
    void Flush() {
        if (m_pendingBreaks > 0) {
            if (!m_out.empty()) {
                for (int i = 0; i < m_pendingBreaks; ++i)
                    m_out += m_lineBreak;
            }
            m_pendingBreaks = 0;
            m_lineHasText = false;
            m_pendingSpace = false;
        }
        if (m_pendingSpace) {
            if (m_lineHasText)
                m_out += u' ';
            m_pendingSpace = false;
        }
    }

    void AddText(std::u16string_view text) {
        const bool keepSpace = m_keepAllSpace || m_preformatted > 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (keepSpace) {
                if (c == u'\r' || c == u'\n') {
                    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                        ++i;
                    Flush();
                    ++m_pendingBreaks;
                    // A line break in preformatted text is a line even when empty.
                    m_lineHasText = true;
                    continue;
                }
                Flush();
                m_out += c;
                m_lineHasText = true;
                continue;
            }
            if (IsMarkupSpace(c)) {
                if (m_lineHasText && m_pendingBreaks == 0)
                    m_pendingSpace = true;
                continue;
            }
            Flush();
            m_out += c;
            m_lineHasText = true;
        }
    }

    const RangePoints* m_clip; // observes: outlives the writer
    std::u16string_view m_lineBreak;
    bool m_keepAllSpace;
    int m_preformatted = 0;
    nsString m_out;
    bool m_lineHasText = false;
    bool m_pendingSpace = false;
    int m_pendingBreaks = 0;
};

void AppendEscaped(nsString& out, std::u16string_view text, bool inAttribute) {
    for (char16_t c : text) {
        switch (c) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += inAttribute ? u"<" : u"&lt;";
            break;
        case u'>':
            out += inAttribute ? u">" : u"&gt;";
            break;
        case u'"':
            out += inAttribute ? u"&quot;" : u"\"";
            break;
        case kNoBreakSpace:
            out += u"&nbsp;";
            break;
        default:
            out += c;
        }
    }
}

class MarkupWriter {
public:
    explicit MarkupWriter(const RangePoints* clip) : m_clip(clip) {}

    bool Enter(const Node& node) {
        switch (node.Kind()) {
        case NodeKind::Text: {
            nsString data =
                m_clip ? m_clip->ClippedData(node) : static_cast<const CharacterData&>(node).Data();
            if (m_rawText > 0)
                m_out += data;
            else
                AppendEscaped(m_out, data, false);
            return false;
        }
        case NodeKind::Comment:
            m_out += u"<!--";
            m_out +=
                m_clip ? m_clip->ClippedData(node) : static_cast<const CharacterData&>(node).Data();
            m_out += u"-->";
            return false;
        case NodeKind::Element:
            break;
        default:
            return true;
        }
        const auto& element = static_cast<const Element&>(node);
        m_out += u'<';
        m_out += Name(element);
        for (size_t i = 0; i < element.AttributeCount(); ++i) {
            const auto& [name, value] = element.AttributeAt(i);
            m_out += u' ';
            m_out += name;
            m_out += u"=\"";
            AppendEscaped(m_out, value, true);
            m_out += u'"';
        }
        m_out += u'>';
        if (IsOneOf(element, kRawText))
            ++m_rawText;
        return !IsOneOf(element, kVoidElements);
    }

    void Leave(const Node& node) {
        if (!node.IsElement())
            return;
        const auto& element = static_cast<const Element&>(node);
        if (IsOneOf(element, kVoidElements))
            return;
        if (IsOneOf(element, kRawText) && m_rawText > 0)
            --m_rawText;
        m_out += u"</";
        m_out += Name(element);
        m_out += u'>';
    }

    nsString Take() { return std::move(m_out); }

private:
    static const nsString& Name(const Element& element) {
        return element.IsHTML() ? element.LocalName() : element.TagName();
    }

    const RangePoints* m_clip; // observes: outlives the writer
    int m_rawText = 0;
    nsString m_out;
};

// The node whose subtree holds everything inside `points`.
const Node* ClipRoot(const RangePoints& points) {
    if (!points.startContainer || !points.endContainer || points.IsCollapsed())
        return nullptr;
    return CommonAncestor(*points.startContainer, *points.endContainer);
}

} // namespace

nsString SerializePlainText(const Node& root, const RangePoints* clip, PRUint32 flags) {
    PlainTextWriter writer(clip, flags);
    Walk(root, clip, writer);
    return writer.Take();
}

nsString SerializeMarkup(const Node& root, const RangePoints* clip) {
    MarkupWriter writer(clip);
    Walk(root, clip, writer);
    return writer.Take();
}

nsString PlainTextOfRange(const RangePoints& points, PRUint32 flags) {
    const Node* root = ClipRoot(points);
    return root ? SerializePlainText(*root, &points, flags) : nsString();
}

nsresult TextEncoder::Init(nsIDOMDocument* document, const nsAString& mimeType, PRUint32 flags) {
    if (!document)
        return NS_ERROR_NULL_POINTER;
    if (!Document::FromDOM(document))
        return NS_ERROR_INVALID_ARG;
    if (mimeType == u"text/plain")
        m_markup = false;
    else if (mimeType == u"text/html")
        m_markup = true;
    else
        return NS_ERROR_INVALID_ARG;
    m_document = document;
    m_flags = flags;
    m_node = nullptr;
    m_range = nullptr;
    m_selection = nullptr;
    return NS_OK;
}

nsresult TextEncoder::SetNode(nsIDOMNode* node) {
    if (node && !Node::FromDOM(node))
        return NS_ERROR_INVALID_ARG;
    m_node = node;
    m_range = nullptr;
    m_selection = nullptr;
    return NS_OK;
}

nsresult TextEncoder::SetRange(nsIDOMRange* range) {
    m_range = range;
    m_node = nullptr;
    m_selection = nullptr;
    return NS_OK;
}

nsresult TextEncoder::SetSelection(nsISelection* selection) {
    m_selection = selection;
    m_node = nullptr;
    m_range = nullptr;
    return NS_OK;
}

nsString TextEncoder::Encode(const Node& root, const RangePoints* clip) const {
    return m_markup ? SerializeMarkup(root, clip) : SerializePlainText(root, clip, m_flags);
}

nsresult TextEncoder::EncodeSelection(nsISelection* selection, nsAString& output) const {
    if (!selection)
        return NS_OK;
    PRInt32 count = 0;
    if (NS_FAILED(selection->GetRangeCount(&count)))
        return NS_ERROR_FAILURE;
    const std::u16string_view lineBreak =
        m_flags & nsIDocumentEncoder::OutputLFLineBreak ? u"\n" : u"\r\n";
    for (PRInt32 i = 0; i < count; ++i) {
        nsCOMPtr<nsIDOMRange> range;
        if (NS_FAILED(selection->GetRangeAt(i, getter_AddRefs(range))) || !range)
            continue;
        std::optional<RangePoints> points = PointsOfRange(range);
        const Node* root = points ? ClipRoot(*points) : nullptr;
        if (!root)
            continue;
        nsString text = Encode(*root, &*points);
        if (!output.empty() && !text.empty())
            output += lineBreak;
        output += text;
    }
    return NS_OK;
}

nsresult TextEncoder::EncodeToString(nsAString& output) {
    output.clear();
    if (!m_document)
        return NS_ERROR_NOT_INITIALIZED;
    Document* document = Document::FromDOM(m_document);
    if (!document)
        return NS_ERROR_NOT_INITIALIZED;
    if (m_selection)
        return EncodeSelection(m_selection, output);
    if (m_range) {
        std::optional<RangePoints> points = PointsOfRange(m_range);
        if (!points)
            return NS_ERROR_INVALID_ARG;
        if (const Node* root = ClipRoot(*points))
            output = Encode(*root, &*points);
        return NS_OK;
    }
    if (m_node) {
        Node* node = Node::FromDOM(m_node);
        if (!node)
            return NS_ERROR_INVALID_ARG;
        output = Encode(*node, nullptr);
        return NS_OK;
    }
    if (m_flags & nsIDocumentEncoder::OutputSelectionOnly)
        return EncodeSelection(document->DocumentSelection(), output);
    const Node* root = document;
    if (m_flags & nsIDocumentEncoder::OutputBodyOnly) {
        root = document->Body();
        if (!root)
            return NS_OK;
    }
    output = Encode(*root, nullptr);
    return NS_OK;
}

nsresult NewPlainTextEncoder(nsIDocumentEncoder** encoder) {
    if (!encoder)
        return NS_ERROR_NULL_POINTER;
    nsCOMPtr<nsIDocumentEncoder> created(new TextEncoder());
    *encoder = created.forget();
    return NS_OK;
}

} // namespace dom
