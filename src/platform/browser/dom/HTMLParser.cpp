// HTML documents and fragments from markup (through the gumbo HTML5
// parser), markup from nodes, and the UTF-8 conversions both need.
#include "platform/browser/Ascii.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"

#include <algorithm>
#include <cctype>
#include <gumbo.h>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dom {

nsString Utf16FromUtf8(std::string_view text) {
    nsString out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        uint32_t code = 0xFFFD;
        size_t length = 1;
        if (byte < 0x80) {
            code = byte;
        } else {
            size_t needed = byte >= 0xF0 && byte < 0xF5   ? 4
                            : byte >= 0xE0                ? 3
                            : byte >= 0xC2 && byte < 0xE0 ? 2
                                                          : 0;
            if (needed && i + needed <= text.size()) {
                uint32_t value = byte & (0xFF >> (needed + 1));
                bool valid = true;
                for (size_t k = 1; k < needed; ++k) {
                    auto next = static_cast<unsigned char>(text[i + k]);
                    if ((next & 0xC0) != 0x80) {
                        valid = false;
                        break;
                    }
                    value = (value << 6) | (next & 0x3F);
                }
                bool overlong = (needed == 3 && value < 0x800) || (needed == 4 && value < 0x10000);
                bool surrogate = value >= 0xD800 && value <= 0xDFFF;
                if (valid && !overlong && !surrogate && value <= 0x10FFFF) {
                    code = value;
                    length = needed;
                }
            }
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD; // a lone surrogate
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

namespace {

struct GumboDeleter {
    void operator()(GumboOutput* output) const {
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
};
using GumboResult = std::unique_ptr<GumboOutput, GumboDeleter>;

nsString TagNameOf(const GumboElement& element) {
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return NS_LITERAL_STRING_FROM(gumbo_normalized_tagname(element.tag));
    GumboStringPiece original = element.original_tag;
    gumbo_tag_from_original_text(&original);
    return AsciiLower(Utf16FromUtf8(std::string_view(original.data, original.length)));
}

// Copies the children of `from` below `to`. Iterative, so that deeply nested
// markup cannot exhaust the stack.
void CopyChildren(const GumboNode& from, Node& to, Document& document) {
    struct Step {
        const GumboVector* children;
        unsigned next;
        Node* parent; // observes: held by its own parent or by the caller
    };
    auto childrenOf = [](const GumboNode& node) -> const GumboVector* {
        if (node.type == GUMBO_NODE_DOCUMENT)
            return &node.v.document.children;
        if (node.type == GUMBO_NODE_ELEMENT || node.type == GUMBO_NODE_TEMPLATE)
            return &node.v.element.children;
        return nullptr;
    };
    std::vector<Step> stack;
    if (const GumboVector* children = childrenOf(from))
        stack.push_back({children, 0, &to});
    while (!stack.empty()) {
        Step& step = stack.back();
        if (step.next >= step.children->length) {
            stack.pop_back();
            continue;
        }
        const auto& child = *static_cast<const GumboNode*>(step.children->data[step.next++]);
        Node* parent = step.parent;
        switch (child.type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA: {
            NodeRef text = document.CreateText(Utf16FromUtf8(child.v.text.text));
            parent->InsertChild(*text, nullptr);
            break;
        }
        case GUMBO_NODE_COMMENT: {
            NodeRef comment = document.CreateComment(Utf16FromUtf8(child.v.text.text));
            parent->InsertChild(*comment, nullptr);
            break;
        }
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
            NodeRef element = document.CreateElement(TagNameOf(child.v.element));
            if (!element)
                break;
            auto& core = static_cast<Element&>(*element);
            const GumboVector& attributes = child.v.element.attributes;
            for (unsigned i = 0; i < attributes.length; ++i) {
                const auto* attribute = static_cast<const GumboAttribute*>(attributes.data[i]);
                core.SetAttribute(Utf16FromUtf8(attribute->name), Utf16FromUtf8(attribute->value));
            }
            parent->InsertChild(core, nullptr);
            stack.push_back({&child.v.element.children, 0, &core});
            break;
        }
        case GUMBO_NODE_DOCUMENT:
            break;
        }
    }
}

} // namespace

namespace {

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        size_t needed = byte < 0x80                   ? 1
                        : byte >= 0xC2 && byte < 0xE0 ? 2
                        : byte >= 0xE0 && byte < 0xF0 ? 3
                        : byte >= 0xF0 && byte < 0xF5 ? 4
                                                      : 0;
        if (!needed || i + needed > text.size())
            return false;
        for (size_t k = 1; k < needed; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += needed;
    }
    return true;
}

// Windows-1252, the desktop's code page, for pages that are not UTF-8: the
// bytes 0x80 to 0x9F are its own, the others those of Latin-1.
nsString Utf16FromWindows1252(std::string_view text) {
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    nsString out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        out += byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
    }
    return out;
}

// The HTML5 tree builder checks element scopes by walking its stack of open
// elements, so markup nested N deep costs N squared to parse (100,000 nested
// elements: tens of seconds). Like other browsers, the parser does not nest
// elements deeper than kMaxNestingDepth: a start tag that would open an
// element deeper is preceded by the end tag of the current element, so that
// the new element becomes its sibling. The depth is followed by a light scan
// of the markup (tags, comments, raw text and the usual implied end tags),
// close enough to the tree builder's for a bound; markup that stays below the
// bound is parsed as it is.
std::optional<std::string> CapNestingDepth(std::string_view markup) {
    auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    };
    auto isAnyOf = [](std::string_view name, std::initializer_list<std::string_view> names) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    std::vector<std::string> open; // names of the open elements, innermost last
    std::string out;
    size_t copied = 0;
    bool rewritten = false;
    size_t i = 0;
    const size_t n = markup.size();
    while (i < n) {
        size_t lt = markup.find('<', i);
        if (lt == std::string_view::npos)
            break;
        i = lt + 1;
        if (markup.substr(lt, 4) == "<!--") {
            size_t end = markup.find("-->", lt + 4);
            i = end == std::string_view::npos ? n : end + 3;
            continue;
        }
        if (i < n && (markup[i] == '!' || markup[i] == '?')) {
            size_t end = markup.find('>', i);
            i = end == std::string_view::npos ? n : end + 1;
            continue;
        }
        bool closing = i < n && markup[i] == '/';
        size_t nameStart = closing ? i + 1 : i;
        if (nameStart >= n || !std::isalpha(static_cast<unsigned char>(markup[nameStart])))
            continue;
        size_t nameEnd = nameStart;
        while (nameEnd < n && !isSpace(markup[nameEnd]) && markup[nameEnd] != '/' &&
               markup[nameEnd] != '>')
            ++nameEnd;
        std::string name = browser::AsciiLower(markup.substr(nameStart, nameEnd - nameStart));
        size_t j = nameEnd;
        for (char quote = 0; j < n; ++j) {
            char c = markup[j];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        i = j < n ? j + 1 : n;
        if (closing) {
            for (size_t k = open.size(); k-- > 0;)
                if (open[k] == name) {
                    open.resize(k);
                    break;
                }
            continue;
        }
        if (isAnyOf(name, {"area",   "base",     "br",      "col",   "embed",  "hr",     "img",
                           "input",  "link",     "meta",    "param", "source", "track",  "wbr",
                           "keygen", "basefont", "bgsound", "frame", "image",  "isindex"}))
            continue;
        if (name == "plaintext")
            break;
        if (isAnyOf(name, {"script", "style", "textarea", "title", "xmp", "iframe", "noembed",
                           "noframes", "noscript"})) {
            // Raw text up to the element's own end tag.
            std::string lower = browser::AsciiLower(markup.substr(i));
            size_t end = lower.find("</" + name);
            i = end == std::string::npos ? n : i + end;
            continue;
        }
        // End tags the tree builder implies.
        while (!open.empty()) {
            const std::string& top = open.back();
            bool sameKind = top == name && isAnyOf(name, {"p", "li", "dt", "dd", "option", "tr",
                                                          "td", "th", "a", "nobr", "button"});
            bool cell = isAnyOf(name, {"td", "th", "tr"}) && isAnyOf(top, {"td", "th"});
            bool row = isAnyOf(name, {"tr", "tbody", "thead", "tfoot"}) && top == "tr";
            bool item = isAnyOf(name, {"dt", "dd"}) && isAnyOf(top, {"dt", "dd"});
            bool paragraph =
                top == "p" &&
                isAnyOf(name, {"address", "article", "aside",    "blockquote", "center", "dir",
                               "div",     "dl",      "fieldset", "figure",     "footer", "form",
                               "h1",      "h2",      "h3",       "h4",         "h5",     "h6",
                               "header",  "hr",      "li",       "menu",       "nav",    "ol",
                               "p",       "pre",     "section",  "table",      "ul",     "dd",
                               "dt"});
            if (!(sameKind || cell || row || item || paragraph))
                break;
            open.pop_back();
        }
        if (open.size() >= kMaxNestingDepth) {
            out.append(markup.substr(copied, lt - copied));
            out += "</" + open.back() + ">";
            copied = lt;
            open.pop_back();
            rewritten = true;
        }
        open.push_back(std::move(name));
    }
    if (!rewritten)
        return std::nullopt;
    out.append(markup.substr(copied));
    return out;
}

// The parse errors gumbo records are not used, and each copies the stack of
// open elements: deep unclosed markup would cost quadratic time and memory.
GumboOptions ParserOptions() {
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    return options;
}

} // namespace

nsCOMPtr<nsIDOMHTMLDocument> ParseHTMLDocument(std::string_view markup, std::u16string_view url) {
    // Pages that are not UTF-8 are taken in the desktop's code page, as a
    // browser of this platform does without a declared character set.
    std::string converted;
    if (!IsValidUtf8(markup)) {
        converted = Utf8FromUtf16(Utf16FromWindows1252(markup));
        markup = converted;
    }
    nsCOMPtr<nsIDOMDocument> created = NewDocument(ElementNamespace::HTML, nsString(url));
    nsCOMPtr<nsIDOMHTMLDocument> result = do_QueryInterface(created);
    Document* document = Document::FromDOM(created);
    if (!result || !document)
        return nullptr;
    std::optional<std::string> capped = CapNestingDepth(markup);
    if (capped)
        markup = *capped;
    GumboOptions options = ParserOptions();
    GumboResult output(gumbo_parse_with_options(&options, markup.data(), markup.size()));
    if (output)
        CopyChildren(*output->document, *document, *document);
    return result;
}

nsCOMPtr<nsIDOMHTMLDocument> ParseHTMLDocument(std::u16string_view markup,
                                               std::u16string_view url) {
    return ParseHTMLDocument(std::string_view(Utf8FromUtf16(markup)), url);
}

nsresult ReplaceChildrenWithHTML(Element& context, std::u16string_view markup) {
    Document* document = context.OwnerDocument();
    if (!document)
        return NS_ERROR_NOT_AVAILABLE;
    std::string utf8 = Utf8FromUtf16(markup);
    if (std::optional<std::string> capped = CapNestingDepth(utf8))
        utf8 = std::move(*capped);
    GumboOptions options = ParserOptions();
    options.fragment_context =
        context.IsHTML() ? gumbo_tagn_enum(Utf8FromUtf16(context.LocalName()).c_str(),
                                           static_cast<unsigned>(context.LocalName().size()))
                         : GUMBO_TAG_DIV;
    if (options.fragment_context == GUMBO_TAG_UNKNOWN)
        options.fragment_context = GUMBO_TAG_DIV;
    options.fragment_namespace = GUMBO_NAMESPACE_HTML;
    GumboResult output(gumbo_parse_with_options(&options, utf8.data(), utf8.size()));
    if (!output)
        return NS_ERROR_FAILURE;
    context.RemoveAllChildren();
    // A fragment's nodes are the children of the root element gumbo makes.
    CopyChildren(*output->root, context, *document);
    return NS_OK;
}

namespace {

bool IsVoidElement(const Element& element) {
    static constexpr std::u16string_view kVoid[] = {
        u"area",  u"base", u"br",   u"col",   u"embed",  u"hr",    u"img",
        u"input", u"link", u"meta", u"param", u"source", u"track", u"wbr"};
    if (!element.IsHTML())
        return false;
    for (auto tag : kVoid) {
        if (element.LocalName() == tag)
            return true;
    }
    return false;
}

bool IsRawText(const Element& element) {
    return element.IsHTML() && (element.HasTag(u"script") || element.HasTag(u"style") ||
                                element.HasTag(u"xmp") || element.HasTag(u"noscript"));
}

void Escape(std::u16string_view text, bool attribute, nsString& out) {
    for (char16_t c : text) {
        switch (c) {
        case u'&':
            out += u"&amp;";
            break;
        case 0xA0:
            out += u"&nbsp;";
            break;
        case u'<':
            out += attribute ? u"<" : u"&lt;";
            break;
        case u'>':
            out += attribute ? u">" : u"&gt;";
            break;
        case u'"':
            out += attribute ? u"&quot;" : u"\"";
            break;
        default:
            out += c;
        }
    }
}

void OpenTag(const Element& element, nsString& out) {
    out += u'<' + (element.IsHTML() ? element.LocalName() : element.TagName());
    for (size_t i = 0; i < element.AttributeCount(); ++i) {
        const auto& [attribute, value] = element.AttributeAt(i);
        out += u' ' + attribute + u"=\"";
        Escape(value, true, out);
        out += u'"';
    }
    out += u'>';
}

void CloseTag(const Element& element, nsString& out) {
    out += u"</" + (element.IsHTML() ? element.LocalName() : element.TagName()) + u'>';
}

// Iterative, so that deeply nested trees cannot exhaust the stack.
void SerializeChildrenInto(const Node& root, nsString& out) {
    struct Step {
        const Node* node; // observes: the caller's tree does not change meanwhile
        size_t next;
    };
    std::vector<Step> stack{{&root, 0}};
    while (!stack.empty()) {
        Step& step = stack.back();
        const Node& node = *step.node;
        if (step.next >= node.ChildCount()) {
            if (&node != &root && node.IsElement())
                CloseTag(static_cast<const Element&>(node), out);
            stack.pop_back();
            continue;
        }
        const Node& child = *node.ChildAt(step.next++);
        bool raw = node.IsElement() && IsRawText(static_cast<const Element&>(node));
        switch (child.Kind()) {
        case NodeKind::Text:
            if (raw)
                out += child.NodeValue();
            else
                Escape(child.NodeValue(), false, out);
            break;
        case NodeKind::Comment:
            out += u"<!--" + child.NodeValue() + u"-->";
            break;
        case NodeKind::Element: {
            const auto& element = static_cast<const Element&>(child);
            OpenTag(element, out);
            if (!IsVoidElement(element))
                stack.push_back({&element, 0});
            break;
        }
        default:
            break;
        }
    }
}

} // namespace

nsString SerializeChildren(const Node& node) {
    nsString out;
    SerializeChildrenInto(node, out);
    return out;
}

} // namespace dom
