// Free helpers that every part of the object model uses on the host's DOM:
// string conversion between the host's UTF-16 strings and the agent's narrow
// strings (system code page), node and tag names, attributes, the element
// text extraction with its clean-up, the text of a range, and computed
// style values.
//
//     std::string text;
//     if (GetNodeText(anchor, text))             // "Home page"
//         ...
//     int32_t width = GetAttributeInt(image, "width");
//
// Every helper is a short chain of host calls; a failing or empty step gives
// the helper's empty answer (empty string, false, 0 or a failure code) and
// nothing is thrown. Tag and node names compare without regard to case.
// All of this runs on the browser's user-interface thread only.
#pragma once

#include "platform/xpcom/dom/nsIDOMCSS.h"
#include "platform/xpcom/dom/nsIDOMNode.h"
#include "platform/xpcom/dom/nsIDOMRange.h"

#include <cstdint>
#include <string>
#include <string_view>

// String conversion: the one place where host strings become narrow strings
// and back. Characters outside the system code page become '?'.
std::string ToNarrow(std::u16string_view text);
nsString ToHostString(std::string_view text);

// The white-space test of the text extraction: blank, tab, line feed,
// vertical tab, form feed and carriage return. A no-break space (0xA0) is not
// white space here; CleanText turns it into a blank.
bool IsTextSpace(char c);
void TrimLeadingSpace(std::string& text);
void TrimTrailingSpace(std::string& text);

// Names. A node that is not an element has no tag name.
std::string GetNodeName(nsIDOMNode* node);
std::string GetTagName(nsIDOMNode* node);
// Whether `node` is an element whose tag is `tag`, ignoring case.
bool HasTagName(nsIDOMNode* node, std::string_view tag);

// Attributes of an element (`element` may be any node; a node that is not an
// element gives the empty answer).
std::string GetAttributeText(nsIDOMNode* element, std::string_view name);
bool HasNonEmptyAttribute(nsIDOMNode* element, std::string_view name);
// The value read as a decimal integer the way the C runtime reads one
// (leading blanks, a sign, digits up to the first other character), clamped
// to the 32-bit range; 0 for a missing element or attribute.
int32_t GetAttributeInt(nsIDOMNode* element, std::string_view name);
// E_FAIL without an element; otherwise the host's answer.
nsresult SetAttributeText(nsIDOMNode* element, std::string_view name, std::string_view value);

// What the element text takes in.
enum class TextFlag {
    // Everything below the node, script and frame content included.
    All = 0,
    // The text a reader sees: SCRIPT, NOSCRIPT and IFRAME content is left
    // out, and a SELECT contributes the texts of its options, each trimmed
    // and followed by one blank.
    Element = 1,
};

// The element text of `node`: CollectText, then CleanText and leading white
// space removed. False for a null node or one without a name (and `out` is
// then left as it was).
bool GetNodeText(nsIDOMNode* node, std::string& out, TextFlag flag = TextFlag::Element);
// Appends the text below `node` to `out`, uncleaned. A line break (BR) trims
// the white space before it and separates the text before it from the text
// after it by one blank.
bool CollectText(nsIDOMNode* node, std::string& out, TextFlag flag = TextFlag::Element);
// Tabs and line feeds become blanks, carriage returns go, runs of blanks
// collapse into one, and then every no-break space (0xA0) becomes a blank
// (after the collapsing, so those blanks stay as they are).
void CleanText(std::string& text);
// Appends, for `node` and everything below it in document order, the value of
// attribute `attribute` of every element, or, with an empty `attribute`, the
// text of every text node; SCRIPT elements are skipped with their content.
// False for a null node.
bool CollectTextOrAttribute(nsIDOMNode* node, std::string& out, std::string_view attribute);

// The text inside a range, without any formatting: text in SCRIPT, NOSCRIPT
// and IFRAME elements is left out. E_INVALIDARG for a null range,
// E_UNEXPECTED when the host cannot give the text of a range within one text
// node, E_FAIL when a range boundary or the host's content iterator is
// missing.
nsresult GetRangeText(nsIDOMRange* range, std::string& out);

// ASCII comparison without regard to case (tag, attribute and event names).
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Whether `node` or one of its ancestors is a SCRIPT, NOSCRIPT or IFRAME.
bool IsInsideScriptOrFrame(nsIDOMNode* node);

// Computed style of an element, through its document's default view.
// Property names are CSS names ("border-top-width"). E_FAIL when a step is
// missing (no element, document, view or value).
nsresult GetStyleValue(nsIDOMNode* element, std::string_view property, nsIDOMCSSValue** value);
// The value as a number in `unit` (nsIDOMCSSPrimitiveValue::CSS_PX, ...);
// E_FAIL for a value that is not a primitive value, the host's failure for
// one it cannot convert.
nsresult GetStyleNumber(nsIDOMNode* element, std::string_view property, PRUint16 unit,
                        float* number);
// The value as text: a string, identifier or address as its bare text, any
// other value as its CSS text ("12px", "rgb(0, 0, 255)").
nsresult GetStyleText(nsIDOMNode* element, std::string_view property, std::string& text);
