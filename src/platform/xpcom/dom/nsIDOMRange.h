// Ranges, the selection, the content iterator and the document encoder.
//
//     nsCOMPtr<nsIContentIterator> it;
//     host->CreateContentIterator(getter_AddRefs(it));
//     it->Init(range);
//     for (PRBool done = PR_FALSE; it->IsDone(&done), !done; it->Next()) {
//         nsCOMPtr<nsIDOMNode> node;
//         it->CurrentNode(getter_AddRefs(node));
//     }
//
// Offsets are child positions in an element or document and UTF-16 code
// unit positions in character data. A range stays within one document.
#pragma once

#include "platform/xpcom/dom/nsDOMForward.h"

class nsIDOMRange : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(80);
    using BaseInterface = nsISupports;

    virtual nsresult GetStartContainer(nsIDOMNode** node) = 0;
    virtual nsresult GetStartOffset(PRInt32* offset) = 0;
    virtual nsresult GetEndContainer(nsIDOMNode** node) = 0;
    virtual nsresult GetEndOffset(PRInt32* offset) = 0;
    virtual nsresult GetCollapsed(PRBool* collapsed) = 0;
    virtual nsresult GetCommonAncestorContainer(nsIDOMNode** node) = 0;
    // An offset beyond the container's length, or a node of another
    // document, fails (NS_ERROR_INVALID_ARG). A start after the end collapses
    // the range at the new boundary.
    virtual nsresult SetStart(nsIDOMNode* node, PRInt32 offset) = 0;
    virtual nsresult SetEnd(nsIDOMNode* node, PRInt32 offset) = 0;
    virtual nsresult SetStartBefore(nsIDOMNode* node) = 0;
    virtual nsresult SetStartAfter(nsIDOMNode* node) = 0;
    virtual nsresult SetEndBefore(nsIDOMNode* node) = 0;
    virtual nsresult SetEndAfter(nsIDOMNode* node) = 0;
    virtual nsresult Collapse(PRBool toStart) = 0;
    virtual nsresult SelectNode(nsIDOMNode* node) = 0;
    virtual nsresult SelectNodeContents(nsIDOMNode* node) = 0;
    virtual nsresult CloneRange(nsIDOMRange** clone) = 0;
    // The text of the character data inside the range, unformatted.
    virtual nsresult ToString(nsAString& text) = 0;
    virtual nsresult Detach() = 0;
};

// The selection of a document: none, or one range (collapsed or not). The
// anchor is where the user started selecting, the focus where they ended.
class nsISelection : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(81);
    using BaseInterface = nsISupports;

    virtual nsresult GetAnchorNode(nsIDOMNode** node) = 0;
    virtual nsresult GetAnchorOffset(PRInt32* offset) = 0;
    virtual nsresult GetFocusNode(nsIDOMNode** node) = 0;
    virtual nsresult GetFocusOffset(PRInt32* offset) = 0;
    // True when there is no range or the range is collapsed.
    virtual nsresult GetIsCollapsed(PRBool* collapsed) = 0;
    virtual nsresult GetRangeCount(PRInt32* count) = 0;
    virtual nsresult GetRangeAt(PRInt32 index, nsIDOMRange** range) = 0;
    virtual nsresult Collapse(nsIDOMNode* node, PRInt32 offset) = 0;
    // Moves the focus, keeping the anchor; fails without a range.
    virtual nsresult Extend(nsIDOMNode* node, PRInt32 offset) = 0;
    virtual nsresult CollapseToStart() = 0;
    virtual nsresult CollapseToEnd() = 0;
    // Replaces the selection's range by a copy of `range`.
    virtual nsresult AddRange(nsIDOMRange* range) = 0;
    virtual nsresult RemoveAllRanges() = 0;
    virtual nsresult SelectAllChildren(nsIDOMNode* node) = 0;
    // The selected text as the plain-text encoder gives it.
    virtual nsresult ToString(nsAString& text) = 0;
};

// Visits nodes in document order (pre-order: a node before its children).
// Initialised with a node it visits that node and its whole subtree; with a
// range it visits the nodes the range touches: every node wholly inside the
// range, the character data at its start and end (even when only partly
// selected), and the elements that contain a boundary are not visited.
class nsIContentIterator : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(82);
    using BaseInterface = nsISupports;

    // The class identifier under which the host offers the iterator.
    static constexpr nsCID kCID{
        0xa6cf90e3, 0x15b3, 0x11d2, {0x93, 0x2e, 0x00, 0x80, 0x5f, 0x8a, 0xdd, 0x32}};

    virtual nsresult Init(nsIDOMNode* root) = 0;
    virtual nsresult Init(nsIDOMRange* range) = 0;
    virtual nsresult First() = 0;
    virtual nsresult Last() = 0;
    virtual nsresult Next() = 0;
    virtual nsresult Prev() = 0;
    // Fails (NS_ERROR_FAILURE) when the iterator is done.
    virtual nsresult CurrentNode(nsIDOMNode** node) = 0;
    virtual nsresult IsDone(PRBool* done) = 0;
};

// Serialises a node, a range or the selection. "text/plain" gives the text
// as a reader sees it: line breaks for BR and around block elements (P, DIV,
// headings, list items, table rows, ...), white space of the markup
// collapsed, script and style content skipped, a blank between table cells.
// "text/html" gives markup.
class nsIDocumentEncoder : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(83);
    using BaseInterface = nsISupports;

    // The class identifier under which the host offers the plain-text encoder.
    static constexpr nsCID kPlainTextCID{
        0x56ad2981, 0x8a87, 0x11d2, {0x91, 0x8c, 0x00, 0x80, 0xc8, 0xe4, 0x4d, 0xb5}};

    enum : PRUint32 {
        OutputSelectionOnly = 1,
        OutputFormatted = 2,
        OutputRaw = 4,
        OutputBodyOnly = 8,
        OutputPreformatted = 16,
        OutputLFLineBreak = 1024,
    };

    // Without OutputLFLineBreak line breaks are CR LF, as on the desktop.
    // OutputSelectionOnly encodes the document's selection.
    virtual nsresult Init(nsIDOMDocument* document, const nsAString& mimeType, PRUint32 flags) = 0;
    virtual nsresult SetNode(nsIDOMNode* node) = 0;
    virtual nsresult SetRange(nsIDOMRange* range) = 0;
    virtual nsresult SetSelection(nsISelection* selection) = 0;
    // Fails (NS_ERROR_NOT_INITIALIZED) before Init.
    virtual nsresult EncodeToString(nsAString& output) = 0;
};
