#include "agent/common/DomHelpers.h"

#include "platform/win32/WinNls.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/dom/nsIDOMHostService.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"
#include "platform/xpcom/nsXPCOM.h"

#include <algorithm>
#include <limits>

namespace {

// Set when the text extraction meets a line break, cleared when visible text
// follows: the text after a break loses its leading white space. One flag for
// the process, as extractions never interleave on the user-interface thread.
bool g_afterBreak = false;

enum class Descend { No, Yes };

// Visits `root` and then its descendants in document order; `visit` answers
// whether to enter the children of the node it was given. The walk does not
// recurse, so a deeply nested page cannot exhaust the call stack.
template <typename Visit> void WalkSubtree(nsIDOMNode* root, Visit visit) {
    nsCOMPtr<nsIDOMNode> node = root;
    while (true) {
        nsCOMPtr<nsIDOMNode> next;
        if (visit(node.get()) == Descend::Yes) {
            node->GetFirstChild(getter_AddRefs(next));
        }
        // No child to enter: the next sibling of the node or of its nearest
        // ancestor that is still below the root.
        while (!next) {
            if (SameCOMIdentity(node, root)) {
                return;
            }
            node->GetNextSibling(getter_AddRefs(next));
            if (next) {
                break;
            }
            nsCOMPtr<nsIDOMNode> parent;
            node->GetParentNode(getter_AddRefs(parent));
            if (!parent) {
                return;
            }
            node = parent;
        }
        node = next;
    }
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsScriptOrFrameName(std::string_view name) {
    return EqualsIgnoringCase(name, "SCRIPT") || EqualsIgnoringCase(name, "NOSCRIPT") ||
           EqualsIgnoringCase(name, "IFRAME");
}

// Text and CDATA nodes carry the text a reader sees; comments and processing
// instructions are character data too but are never shown.
bool IsTextNode(nsIDOMNode* node) {
    PRUint16 type = 0;
    return node && NS_SUCCEEDED(node->GetNodeType(&type)) &&
           (type == nsIDOMNode::TEXT_NODE || type == nsIDOMNode::CDATA_SECTION_NODE);
}

// The host text of a text node; empty for anything else.
nsString HostTextOf(nsIDOMNode* node) {
    nsString data;
    nsCOMPtr<nsIDOMCharacterData> text = do_QueryInterface(node);
    if (text && IsTextNode(node) && NS_FAILED(text->GetData(data))) {
        data.clear();
    }
    return data;
}

std::string TextOf(nsIDOMNode* node) {
    return IsTextNode(node) ? ToNarrow(HostTextOf(node)) : "";
}

bool IsBlankAfterCleaning(std::string text) {
    CleanText(text);
    return std::all_of(text.begin(), text.end(), IsTextSpace);
}

// Appends the text of a text node with the rules of the element text.
void CollectCharacterData(nsIDOMNode* node, std::string& out) {
    nsCOMPtr<nsIDOMNode> parent;
    if (NS_FAILED(node->GetParentNode(getter_AddRefs(parent))) || !parent) {
        return;
    }
    std::string text = TextOf(node);
    if (EqualsIgnoringCase(GetNodeName(parent), "OPTION")) {
        // Each option of a list reads as its trimmed text and one blank.
        TrimLeadingSpace(text);
        TrimTrailingSpace(text);
        out += text;
        out += ' ';
        return;
    }
    if (g_afterBreak) {
        TrimLeadingSpace(text);
        // The break trimmed the text before it; one blank keeps the words on
        // either side of it apart.
        if (!out.empty() && !IsTextSpace(out.back()) && !IsBlankAfterCleaning(text)) {
            out += ' ';
        }
    }
    out += text;
    if (!IsBlankAfterCleaning(text)) {
        g_afterBreak = false;
    }
}

} // namespace

std::string ToNarrow(std::u16string_view text) {
    return AnsiFromWide(text);
}

nsString ToHostString(std::string_view text) {
    return WideFromAnsi(text);
}

bool IsTextSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

void TrimLeadingSpace(std::string& text) {
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), IsTextSpace));
}

void TrimTrailingSpace(std::string& text) {
    text.erase(std::find_if_not(text.rbegin(), text.rend(), IsTextSpace).base(), text.end());
}

std::string GetNodeName(nsIDOMNode* node) {
    nsString name;
    if (!node || NS_FAILED(node->GetNodeName(name))) {
        return {};
    }
    return ToNarrow(name);
}

std::string GetTagName(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMElement> element = do_QueryInterface(node);
    nsString name;
    if (!element || NS_FAILED(element->GetTagName(name))) {
        return {};
    }
    return ToNarrow(name);
}

bool HasTagName(nsIDOMNode* node, std::string_view tag) {
    return EqualsIgnoringCase(GetTagName(node), tag);
}

std::string GetAttributeText(nsIDOMNode* element, std::string_view name) {
    nsCOMPtr<nsIDOMElement> target = do_QueryInterface(element);
    nsString value;
    if (!target || NS_FAILED(target->GetAttribute(ToHostString(name), value))) {
        return {};
    }
    return ToNarrow(value);
}

bool HasNonEmptyAttribute(nsIDOMNode* element, std::string_view name) {
    return !GetAttributeText(element, name).empty();
}

int32_t GetAttributeInt(nsIDOMNode* element, std::string_view name) {
    std::string text = GetAttributeText(element, name);
    size_t at = 0;
    while (at < text.size() && IsTextSpace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at++] == '-';
    }
    // Accumulated as a negative number, whose range holds INT32_MIN.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::max(value * 10 - (text[at] - '0'), -kLimit);
    }
    if (!negative) {
        value = std::min(-value, kLimit - 1);
    }
    return static_cast<int32_t>(value);
}

nsresult SetAttributeText(nsIDOMNode* element, std::string_view name, std::string_view value) {
    nsCOMPtr<nsIDOMElement> target = do_QueryInterface(element);
    if (!target) {
        return E_FAIL;
    }
    return target->SetAttribute(ToHostString(name), ToHostString(value));
}

bool GetNodeText(nsIDOMNode* node, std::string& out, TextFlag flag) {
    if (!CollectText(node, out, flag)) {
        return false;
    }
    CleanText(out);
    TrimLeadingSpace(out);
    return true;
}

bool CollectText(nsIDOMNode* node, std::string& out, TextFlag flag) {
    if (GetNodeName(node).empty()) {
        return false;
    }
    WalkSubtree(node, [&out, flag](nsIDOMNode* current) {
        std::string name = GetNodeName(current);
        if (name.empty()) {
            return Descend::No;
        }
        if (EqualsIgnoringCase(name, "BR")) {
            g_afterBreak = true;
            TrimTrailingSpace(out);
        }
        if (flag == TextFlag::Element) {
            if (EqualsIgnoringCase(name, "SELECT")) {
                // A list reads as its options' texts, taken whole here.
                GetNodeText(current, out, TextFlag::All);
                TrimTrailingSpace(out);
                return Descend::No;
            }
            if (IsScriptOrFrameName(name)) {
                return Descend::No;
            }
        }
        if (IsTextNode(current)) {
            CollectCharacterData(current, out);
            return Descend::No;
        }
        return Descend::Yes;
    });
    return true;
}

void CleanText(std::string& text) {
    std::string clean;
    clean.reserve(text.size());
    for (char c : text) {
        if (c == '\r') {
            continue;
        }
        if (c == '\t' || c == '\n') {
            c = ' ';
        }
        if (c == ' ' && !clean.empty() && clean.back() == ' ') {
            continue;
        }
        clean += c;
    }
    std::replace(clean.begin(), clean.end(), '\xA0', ' ');
    text = std::move(clean);
}

bool CollectTextOrAttribute(nsIDOMNode* node, std::string& out, std::string_view attribute) {
    if (!node) {
        return false;
    }
    WalkSubtree(node, [&out, attribute](nsIDOMNode* current) {
        if (EqualsIgnoringCase(GetNodeName(current), "SCRIPT")) {
            return Descend::No;
        }
        if (!attribute.empty()) {
            nsCOMPtr<nsIDOMElement> element = do_QueryInterface(current);
            if (element) {
                out += GetAttributeText(current, attribute);
            }
        } else if (IsTextNode(current)) {
            out += TextOf(current);
        }
        return Descend::Yes;
    });
    return true;
}

namespace {

// The host's content iterator: the component the browser registers, or else
// the one the document's host service makes.
nsCOMPtr<nsIContentIterator> NewContentIterator(nsIDOMNode* inDocument) {
    nsCOMPtr<nsIContentIterator> iterator = do_CreateInstance(nsIContentIterator::kCID);
    if (iterator) {
        return iterator;
    }
    nsCOMPtr<nsIDOMDocument> document;
    inDocument->GetOwnerDocument(getter_AddRefs(document));
    nsCOMPtr<nsIDOMDocumentInternal> internal =
        document ? do_QueryInterface(document) : do_QueryInterface(inDocument);
    nsCOMPtr<nsIDOMHostService> host;
    if (internal && NS_SUCCEEDED(internal->GetHostService(getter_AddRefs(host))) && host) {
        host->CreateContentIterator(getter_AddRefs(iterator));
    }
    return iterator;
}

// Offsets of a range are UTF-16 positions; a boundary outside the text
// is held to its ends.
nsString Slice(const nsString& text, PRInt32 from, PRInt32 to) {
    size_t begin = std::clamp<PRInt32>(from, 0, static_cast<PRInt32>(text.size()));
    size_t end =
        std::clamp<PRInt32>(to, static_cast<PRInt32>(begin), static_cast<PRInt32>(text.size()));
    return text.substr(begin, end - begin);
}

} // namespace

nsresult GetRangeText(nsIDOMRange* range, std::string& out) {
    out.clear();
    if (!range) {
        return E_INVALIDARG;
    }
    nsCOMPtr<nsIDOMNode> start;
    nsCOMPtr<nsIDOMNode> end;
    PRInt32 startOffset = 0;
    PRInt32 endOffset = 0;
    if (NS_FAILED(range->GetStartContainer(getter_AddRefs(start))) ||
        NS_FAILED(range->GetStartOffset(&startOffset)) ||
        NS_FAILED(range->GetEndContainer(getter_AddRefs(end))) ||
        NS_FAILED(range->GetEndOffset(&endOffset)) || !start || !end) {
        return E_FAIL;
    }

    if (SameCOMIdentity(start, end) && IsTextNode(start)) {
        nsCOMPtr<nsIDOMCharacterData> text = do_QueryInterface(start);
        nsString part;
        if (!text || startOffset < 0 || endOffset < startOffset ||
            NS_FAILED(text->SubstringData(static_cast<PRUint32>(startOffset),
                                          static_cast<PRUint32>(endOffset - startOffset), part))) {
            return E_UNEXPECTED;
        }
        out = ToNarrow(part);
        return NS_OK;
    }

    nsCOMPtr<nsIContentIterator> iterator = NewContentIterator(start);
    if (!iterator) {
        return E_FAIL;
    }
    nsresult rv = iterator->Init(range);
    if (NS_FAILED(rv)) {
        return rv;
    }
    for (PRBool done = PR_FALSE; NS_SUCCEEDED(iterator->IsDone(&done)) && !done; iterator->Next()) {
        nsCOMPtr<nsIDOMNode> node;
        if (NS_FAILED(iterator->CurrentNode(getter_AddRefs(node))) || !node) {
            break;
        }
        if (!IsTextNode(node) || IsInsideScriptOrFrame(node)) {
            continue;
        }
        // Only the text nodes that hold a boundary are cut at it.
        nsString text = HostTextOf(node);
        PRInt32 from = SameCOMIdentity(node, start) ? startOffset : 0;
        PRInt32 to = SameCOMIdentity(node, end) ? endOffset : static_cast<PRInt32>(text.size());
        out += ToNarrow(Slice(text, from, to));
    }
    return NS_OK;
}

bool IsInsideScriptOrFrame(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMNode> current = node;
    while (current) {
        if (IsScriptOrFrameName(GetNodeName(current))) {
            return true;
        }
        nsCOMPtr<nsIDOMNode> parent;
        if (NS_FAILED(current->GetParentNode(getter_AddRefs(parent)))) {
            return false;
        }
        current = parent;
    }
    return false;
}

nsresult GetStyleValue(nsIDOMNode* element, std::string_view property, nsIDOMCSSValue** value) {
    if (!value) {
        return E_POINTER;
    }
    *value = nullptr;
    nsCOMPtr<nsIDOMElement> target = do_QueryInterface(element);
    if (!target) {
        return E_FAIL;
    }
    nsCOMPtr<nsIDOMDocument> document;
    target->GetOwnerDocument(getter_AddRefs(document));
    nsCOMPtr<nsIDOMDocumentView> documentView = do_QueryInterface(document);
    nsCOMPtr<nsIDOMWindow> window;
    if (!documentView || NS_FAILED(documentView->GetDefaultView(getter_AddRefs(window)))) {
        return E_FAIL;
    }
    nsCOMPtr<nsIDOMViewCSS> view = do_QueryInterface(window);
    nsCOMPtr<nsIDOMCSSStyleDeclaration> style;
    if (!view || NS_FAILED(view->GetComputedStyle(target, nsString(), getter_AddRefs(style))) ||
        !style) {
        return E_FAIL;
    }
    nsCOMPtr<nsIDOMCSSValue> found;
    if (NS_FAILED(style->GetPropertyCSSValue(ToHostString(property), getter_AddRefs(found))) ||
        !found) {
        return E_FAIL;
    }
    *value = found.forget();
    return NS_OK;
}

nsresult GetStyleNumber(nsIDOMNode* element, std::string_view property, PRUint16 unit,
                        float* number) {
    if (!number) {
        return E_POINTER;
    }
    nsCOMPtr<nsIDOMCSSValue> value;
    nsresult rv = GetStyleValue(element, property, getter_AddRefs(value));
    if (NS_FAILED(rv)) {
        return rv;
    }
    nsCOMPtr<nsIDOMCSSPrimitiveValue> primitive = do_QueryInterface(value);
    if (!primitive) {
        return E_FAIL;
    }
    return primitive->GetFloatValue(unit, number);
}

nsresult GetStyleText(nsIDOMNode* element, std::string_view property, std::string& text) {
    text.clear();
    nsCOMPtr<nsIDOMCSSValue> value;
    nsresult rv = GetStyleValue(element, property, getter_AddRefs(value));
    if (NS_FAILED(rv)) {
        return rv;
    }
    nsString host;
    nsCOMPtr<nsIDOMCSSPrimitiveValue> primitive = do_QueryInterface(value);
    PRUint16 type = nsIDOMCSSPrimitiveValue::CSS_UNKNOWN;
    if (primitive && NS_SUCCEEDED(primitive->GetPrimitiveType(&type)) &&
        (type == nsIDOMCSSPrimitiveValue::CSS_STRING ||
         type == nsIDOMCSSPrimitiveValue::CSS_IDENT || type == nsIDOMCSSPrimitiveValue::CSS_URI)) {
        rv = primitive->GetStringValue(host);
    } else {
        rv = value->GetCssText(host);
    }
    if (NS_FAILED(rv)) {
        return rv;
    }
    text = ToNarrow(host);
    return NS_OK;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiUpper(x) == AsciiUpper(y);
           });
}
