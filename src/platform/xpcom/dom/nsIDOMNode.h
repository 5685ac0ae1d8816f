// Nodes of the DOM: the node itself, node lists, attribute maps, attributes
// and character data (text and comments).
//
//     nsCOMPtr<nsIDOMNode> child;
//     for (node->GetFirstChild(getter_AddRefs(child)); child; ...)
//         child->GetNextSibling(getter_AddRefs(child));
//
// Node names are those the DOM defines: the tag name for elements ("DIV" for
// HTML, as written for XUL), "#text", "#comment", "#document".
#pragma once

#include "platform/xpcom/dom/nsDOMForward.h"

class nsIDOMNode : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(1);
    using BaseInterface = nsISupports;

    enum : PRUint16 {
        ELEMENT_NODE = 1,
        ATTRIBUTE_NODE = 2,
        TEXT_NODE = 3,
        CDATA_SECTION_NODE = 4,
        ENTITY_REFERENCE_NODE = 5,
        ENTITY_NODE = 6,
        PROCESSING_INSTRUCTION_NODE = 7,
        COMMENT_NODE = 8,
        DOCUMENT_NODE = 9,
        DOCUMENT_TYPE_NODE = 10,
        DOCUMENT_FRAGMENT_NODE = 11,
        NOTATION_NODE = 12,
    };

    virtual nsresult GetNodeName(nsAString& name) = 0;
    virtual nsresult GetNodeValue(nsAString& value) = 0;
    virtual nsresult SetNodeValue(const nsAString& value) = 0;
    virtual nsresult GetNodeType(PRUint16* type) = 0;
    virtual nsresult GetParentNode(nsIDOMNode** parent) = 0;
    virtual nsresult GetChildNodes(nsIDOMNodeList** children) = 0;
    virtual nsresult GetFirstChild(nsIDOMNode** child) = 0;
    virtual nsresult GetLastChild(nsIDOMNode** child) = 0;
    virtual nsresult GetPreviousSibling(nsIDOMNode** sibling) = 0;
    virtual nsresult GetNextSibling(nsIDOMNode** sibling) = 0;
    // Null for nodes other than elements.
    virtual nsresult GetAttributes(nsIDOMNamedNodeMap** attributes) = 0;
    // Null for a document.
    virtual nsresult GetOwnerDocument(nsIDOMDocument** document) = 0;
    // A null reference child appends. A node that already has a parent is
    // moved. Inserting a node into itself or its own descendant, or a node of
    // another document, fails (NS_ERROR_INVALID_ARG).
    virtual nsresult InsertBefore(nsIDOMNode* newChild, nsIDOMNode* refChild,
                                  nsIDOMNode** result) = 0;
    virtual nsresult ReplaceChild(nsIDOMNode* newChild, nsIDOMNode* oldChild,
                                  nsIDOMNode** result) = 0;
    virtual nsresult RemoveChild(nsIDOMNode* oldChild, nsIDOMNode** result) = 0;
    virtual nsresult AppendChild(nsIDOMNode* newChild, nsIDOMNode** result) = 0;
    virtual nsresult HasChildNodes(PRBool* result) = 0;
    virtual nsresult CloneNode(PRBool deep, nsIDOMNode** result) = 0;
    virtual nsresult GetNamespaceURI(nsAString& uri) = 0;
    virtual nsresult GetLocalName(nsAString& name) = 0;
    virtual nsresult HasAttributes(PRBool* result) = 0;
};

// A live list: it reflects the tree at the moment of each call.
class nsIDOMNodeList : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(2);
    using BaseInterface = nsISupports;

    virtual nsresult GetLength(PRUint32* length) = 0;
    // Null (and NS_OK) for an index out of range.
    virtual nsresult Item(PRUint32 index, nsIDOMNode** item) = 0;
};

// The attributes of an element, in document order; items are nsIDOMAttr.
class nsIDOMNamedNodeMap : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(3);
    using BaseInterface = nsISupports;

    virtual nsresult GetLength(PRUint32* length) = 0;
    virtual nsresult Item(PRUint32 index, nsIDOMNode** item) = 0;
    virtual nsresult GetNamedItem(const nsAString& name, nsIDOMNode** item) = 0;
};

class nsIDOMAttr : public nsIDOMNode {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(4);
    using BaseInterface = nsIDOMNode;

    virtual nsresult GetName(nsAString& name) = 0;
    virtual nsresult GetSpecified(PRBool* specified) = 0;
    virtual nsresult GetValue(nsAString& value) = 0;
    virtual nsresult SetValue(const nsAString& value) = 0;
    virtual nsresult GetOwnerElement(nsIDOMElement** owner) = 0;
};

// Offsets and counts are in UTF-16 code units.
class nsIDOMCharacterData : public nsIDOMNode {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(5);
    using BaseInterface = nsIDOMNode;

    virtual nsresult GetData(nsAString& data) = 0;
    virtual nsresult SetData(const nsAString& data) = 0;
    virtual nsresult GetLength(PRUint32* length) = 0;
    // An offset beyond the length fails (NS_ERROR_INVALID_ARG); a count
    // reaching past the end takes the rest.
    virtual nsresult SubstringData(PRUint32 offset, PRUint32 count, nsAString& result) = 0;
    virtual nsresult AppendData(const nsAString& data) = 0;
    virtual nsresult InsertData(PRUint32 offset, const nsAString& data) = 0;
    virtual nsresult DeleteData(PRUint32 offset, PRUint32 count) = 0;
    virtual nsresult ReplaceData(PRUint32 offset, PRUint32 count, const nsAString& data) = 0;
};

class nsIDOMText : public nsIDOMCharacterData {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(6);
    using BaseInterface = nsIDOMCharacterData;

    virtual nsresult SplitText(PRUint32 offset, nsIDOMText** newText) = 0;
};

class nsIDOMComment : public nsIDOMCharacterData {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(7);
    using BaseInterface = nsIDOMCharacterData;
};
