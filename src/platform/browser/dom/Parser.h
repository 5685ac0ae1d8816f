// Documents from markup, and markup from nodes.
//
//     nsCOMPtr<nsIDOMHTMLDocument> page = dom::ParseHTMLDocument("<p>Hi", u"http://host/");
//     nsString error;
//     nsCOMPtr<nsIDOMDocument> chrome =
//         dom::ParseXULDocument(xml, u"chrome://navigator/content/navigator.xul", &error);
//
// HTML is parsed as HTML5 parsers do: markup that is not well formed is
// repaired, never refused. Elements nest at most kMaxNestingDepth deep: a
// start tag that would open one deeper makes a sibling of the innermost
// element instead, as browsers do, so that deep pages parse in linear time. Chrome (XUL) markup
// must be well-formed XML; otherwise the parse answers null and `error` names the file and line.
#pragma once

#include "platform/browser/dom/Element.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"

#include <string_view>

namespace dom {

inline constexpr size_t kMaxNestingDepth = 512;

// `markup` in UTF-8 (bytes that are not UTF-8 are read as Windows-1252),
// or in UTF-16.
nsCOMPtr<nsIDOMHTMLDocument> ParseHTMLDocument(std::string_view markup, std::u16string_view url);
nsCOMPtr<nsIDOMHTMLDocument> ParseHTMLDocument(std::u16string_view markup, std::u16string_view url);

// Replaces the children of `context` by the nodes of the HTML fragment, as
// setting innerHTML does.
nsresult ReplaceChildrenWithHTML(Element& context, std::u16string_view markup);

// `markup` in UTF-8 (or the encoding its XML declaration names).
nsCOMPtr<nsIDOMDocument> ParseXULDocument(std::string_view markup, std::u16string_view url,
                                          nsString* error);

// The children of `node` as markup (innerHTML).
nsString SerializeChildren(const Node& node);

// UTF-8 and UTF-16; malformed input becomes U+FFFD.
nsString Utf16FromUtf8(std::string_view text);
std::string Utf8FromUtf16(std::u16string_view text);

} // namespace dom
