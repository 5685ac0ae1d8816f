// The document encoder: a node, a range or the selection as plain text (as a
// reader sees the page) or as markup.
//
//     nsCOMPtr<nsIDocumentEncoder> encoder;
//     dom::NewPlainTextEncoder(getter_AddRefs(encoder));
//     encoder->Init(document, u"text/plain", 0);
//     encoder->SetNode(body);
//     nsString text;
//     encoder->EncodeToString(text);
//
// Plain text: white space of the markup collapses to single blanks and is
// dropped at the start and end of lines; BR breaks the line, block elements
// (paragraphs, divisions, headings, lists and their items, tables and rows,
// ...) start and end lines, PRE keeps its white space and line feeds, table
// cells are separated by a blank; the content of SCRIPT, STYLE, HEAD, TITLE,
// NOSCRIPT, NOFRAMES and IFRAME elements and comments gives nothing. A
// no-break space is kept as it is. The output neither starts nor ends with a
// line break.
#pragma once

#include "platform/browser/dom/Range.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"

namespace dom {

// The plain text of `root`'s subtree; with `clip`, only of what lies inside
// it. `flags` are the encoder's output flags (nsIDocumentEncoder::Output*).
nsString SerializePlainText(const Node& root, const RangePoints* clip, PRUint32 flags);
// The markup of `root` and its subtree, clipped likewise.
nsString SerializeMarkup(const Node& root, const RangePoints* clip);
// The plain text of what lies inside `points`.
nsString PlainTextOfRange(const RangePoints& points, PRUint32 flags);

class TextEncoder final : public nsSupportsImpl<TextEncoder, nsIDocumentEncoder> {
public:
    TextEncoder() = default;

    // "text/plain" or "text/html"; another type fails (NS_ERROR_INVALID_ARG).
    nsresult Init(nsIDOMDocument* document, const nsAString& mimeType, PRUint32 flags) override;
    // Each of these replaces what an earlier one set; null encodes the whole
    // document (its BODY with OutputBodyOnly).
    nsresult SetNode(nsIDOMNode* node) override;
    nsresult SetRange(nsIDOMRange* range) override;
    nsresult SetSelection(nsISelection* selection) override;
    nsresult EncodeToString(nsAString& output) override;

private:
    nsString Encode(const Node& root, const RangePoints* clip) const;
    nsresult EncodeSelection(nsISelection* selection, nsAString& output) const;

    nsCOMPtr<nsIDOMDocument> m_document; // null until Init
    bool m_markup = false;
    PRUint32 m_flags = 0;
    nsCOMPtr<nsIDOMNode> m_node;
    nsCOMPtr<nsIDOMRange> m_range;
    nsCOMPtr<nsISelection> m_selection;
};

} // namespace dom
