// Documents: the plain DOM document, the HTML document with its collections
// and colours, and the host's internal side of every document (element
// count, selection, URL and title of any kind of document, the host service).
//
// HTML documents answer nsIDOMHTMLDocument and nsIDOMNSHTMLDocument; the
// browser's chrome (XUL) documents answer only nsIDOMDocument and the
// interfaces below common to all documents.
#pragma once

#include "platform/xpcom/dom/nsIDOMNode.h"

class nsIDOMDocument : public nsIDOMNode {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(50);
    using BaseInterface = nsIDOMNode;

    virtual nsresult GetDocumentElement(nsIDOMElement** element) = 0;
    // Tag names of HTML documents are upper-cased.
    virtual nsresult CreateElement(const nsAString& tagName, nsIDOMElement** element) = 0;
    virtual nsresult CreateTextNode(const nsAString& data, nsIDOMText** text) = 0;
    virtual nsresult CreateComment(const nsAString& data, nsIDOMComment** comment) = 0;
    virtual nsresult GetElementsByTagName(const nsAString& name, nsIDOMNodeList** result) = 0;
    // The first element in document order with that id; null when none.
    virtual nsresult GetElementById(const nsAString& id, nsIDOMElement** element) = 0;
};

class nsIDOMHTMLDocument : public nsIDOMDocument {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(51);
    using BaseInterface = nsIDOMDocument;

    // The TITLE element's text with white space collapsed.
    virtual nsresult GetTitle(nsAString& title) = 0;
    virtual nsresult SetTitle(const nsAString& title) = 0;
    virtual nsresult GetReferrer(nsAString& referrer) = 0;
    virtual nsresult GetURL(nsAString& url) = 0;
    virtual nsresult GetBody(nsIDOMHTMLElement** body) = 0;
    // IMG elements.
    virtual nsresult GetImages(nsIDOMHTMLCollection** images) = 0;
    // A and AREA elements with an href.
    virtual nsresult GetLinks(nsIDOMHTMLCollection** links) = 0;
    virtual nsresult GetForms(nsIDOMHTMLCollection** forms) = 0;
    // A elements with a name.
    virtual nsresult GetAnchors(nsIDOMHTMLCollection** anchors) = 0;
    virtual nsresult GetElementsByName(const nsAString& name, nsIDOMNodeList** result) = 0;
};

// Colours are those of the BODY element's attributes (alink, link, vlink,
// bgcolor, text), empty when not set.
class nsIDOMNSHTMLDocument : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(52);
    using BaseInterface = nsISupports;

    virtual nsresult GetAlinkColor(nsAString& value) = 0;
    virtual nsresult SetAlinkColor(const nsAString& value) = 0;
    virtual nsresult GetLinkColor(nsAString& value) = 0;
    virtual nsresult SetLinkColor(const nsAString& value) = 0;
    virtual nsresult GetVlinkColor(nsAString& value) = 0;
    virtual nsresult SetVlinkColor(const nsAString& value) = 0;
    virtual nsresult GetBgColor(nsAString& value) = 0;
    virtual nsresult SetBgColor(const nsAString& value) = 0;
    virtual nsresult GetFgColor(nsAString& value) = 0;
    virtual nsresult SetFgColor(const nsAString& value) = 0;
    virtual nsresult GetLastModified(nsAString& value) = 0;
    // EMBED and OBJECT elements.
    virtual nsresult GetEmbeds(nsIDOMHTMLCollection** embeds) = 0;
    // The current selection as plain text.
    virtual nsresult GetSelection(nsAString& text) = 0;
};

// The host's internal side of a document, offered by every document.
class nsIDOMDocumentInternal : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(53);
    using BaseInterface = nsISupports;

    // Number of element nodes in the document's tree, kept up to date on
    // every insertion and removal (reading it costs nothing). Anonymous
    // content (the input inside a XUL textbox) is not counted.
    virtual nsresult GetElementCount(PRUint32* count) = 0;
    // The document's selection object (one per document, always present).
    virtual nsresult GetSelection(nsISelection** selection) = 0;
    // The URL the document was loaded from, for any kind of document.
    virtual nsresult GetDocumentURL(nsAString& url) = 0;
    // HTML: the TITLE; XUL: the document element's "title" attribute.
    virtual nsresult GetDocumentTitle(nsAString& title) = 0;
    // "text/html" or "application/vnd.xul+xml".
    virtual nsresult GetContentType(nsAString& type) = 0;
    // The window showing the document; null while none is attached.
    virtual nsresult GetWindow(nsIDOMWindow** window) = 0;
    virtual nsresult GetHostService(nsIDOMHostService** service) = 0;
};

class nsIDOMDocumentView : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(54);
    using BaseInterface = nsISupports;

    // The document's window (it offers nsIDOMViewCSS); null without one.
    virtual nsresult GetDefaultView(nsIDOMWindow** view) = 0;
};

class nsIDOMDocumentRange : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(55);
    using BaseInterface = nsISupports;

    // A range collapsed at the start of the document.
    virtual nsresult CreateRange(nsIDOMRange** range) = 0;
};

class nsIDOMDocumentEvent : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(56);
    using BaseInterface = nsISupports;

    // "Events", "HTMLEvents", "UIEvents", "MouseEvents" (and the singular
    // forms); another name fails (NS_ERROR_NOT_IMPLEMENTED).
    virtual nsresult CreateEvent(const nsAString& eventType, nsIDOMEvent** event) = 0;
};
