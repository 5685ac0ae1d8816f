// Elements: tag name and attributes. Attribute names of HTML elements compare
// without regard to case; those of XUL elements exactly.
#pragma once

#include "platform/xpcom/dom/nsIDOMNode.h"

class nsIDOMElement : public nsIDOMNode {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(8);
    using BaseInterface = nsIDOMNode;

    virtual nsresult GetTagName(nsAString& tagName) = 0;
    // An empty value (and NS_OK) when the attribute is missing.
    virtual nsresult GetAttribute(const nsAString& name, nsAString& value) = 0;
    virtual nsresult SetAttribute(const nsAString& name, const nsAString& value) = 0;
    virtual nsresult RemoveAttribute(const nsAString& name) = 0;
    virtual nsresult HasAttribute(const nsAString& name, PRBool* result) = 0;
    // Descendants in document order; "*" matches every element.
    virtual nsresult GetElementsByTagName(const nsAString& name, nsIDOMNodeList** result) = 0;
};
