// Style: the inline style of an element and computed style values.
//
//     nsCOMPtr<nsIDOMViewCSS> view = do_QueryInterface(window);
//     nsCOMPtr<nsIDOMCSSStyleDeclaration> style;
//     view->GetComputedStyle(element, nsString(), getter_AddRefs(style));
//     nsCOMPtr<nsIDOMCSSValue> value;
//     style->GetPropertyCSSValue(u"border-top-width", getter_AddRefs(value));
//     nsCOMPtr<nsIDOMCSSPrimitiveValue> primitive = do_QueryInterface(value);
//     float px = 0;
//     primitive->GetFloatValue(nsIDOMCSSPrimitiveValue::CSS_PX, &px);
#pragma once

#include "platform/xpcom/dom/nsDOMForward.h"

// A declaration block. Property names are lower case CSS names
// ("border-top-width"). The computed style is read-only.
class nsIDOMCSSStyleDeclaration : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(40);
    using BaseInterface = nsISupports;

    virtual nsresult GetCssText(nsAString& text) = 0;
    virtual nsresult SetCssText(const nsAString& text) = 0;
    // Empty when the property is not set.
    virtual nsresult GetPropertyValue(const nsAString& name, nsAString& value) = 0;
    // Null (and NS_OK) when the property is not set.
    virtual nsresult GetPropertyCSSValue(const nsAString& name, nsIDOMCSSValue** value) = 0;
    virtual nsresult SetProperty(const nsAString& name, const nsAString& value,
                                 const nsAString& priority) = 0;
    virtual nsresult RemoveProperty(const nsAString& name, nsAString& oldValue) = 0;
    virtual nsresult GetLength(PRUint32* length) = 0;
    virtual nsresult Item(PRUint32 index, nsAString& name) = 0;
};

class nsIDOMCSSValue : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(41);
    using BaseInterface = nsISupports;

    enum : PRUint16 {
        CSS_INHERIT = 0,
        CSS_PRIMITIVE_VALUE = 1,
        CSS_VALUE_LIST = 2,
        CSS_CUSTOM = 3
    };

    virtual nsresult GetCssText(nsAString& text) = 0;
    virtual nsresult GetCssValueType(PRUint16* type) = 0;
};

// A single value: a number with a unit, an identifier or a string.
class nsIDOMCSSPrimitiveValue : public nsIDOMCSSValue {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(42);
    using BaseInterface = nsIDOMCSSValue;

    enum : PRUint16 {
        CSS_UNKNOWN = 0,
        CSS_NUMBER = 1,
        CSS_PERCENTAGE = 2,
        CSS_EMS = 3,
        CSS_EXS = 4,
        CSS_PX = 5,
        CSS_CM = 6,
        CSS_MM = 7,
        CSS_IN = 8,
        CSS_PT = 9,
        CSS_PC = 10,
        CSS_STRING = 19,
        CSS_URI = 20,
        CSS_IDENT = 21,
        CSS_RGBCOLOR = 25,
    };

    virtual nsresult GetPrimitiveType(PRUint16* type) = 0;
    // Converts between absolute length units (px at 96 per inch); a value of
    // another kind, or a relative unit asked as absolute, fails
    // (NS_ERROR_INVALID_ARG).
    virtual nsresult GetFloatValue(PRUint16 unitType, float* value) = 0;
    virtual nsresult GetStringValue(nsAString& value) = 0;
};

// The style attribute of an HTML element, as a declaration block.
class nsIDOMElementCSSInlineStyle : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(43);
    using BaseInterface = nsISupports;

    virtual nsresult GetStyle(nsIDOMCSSStyleDeclaration** style) = 0;
};

// Offered by a DOM window (a document's default view).
class nsIDOMViewCSS : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(44);
    using BaseInterface = nsISupports;

    // The element's computed style: the layout's values when the document
    // has layout, else the inline style with CSS initial values for the box
    // properties (widths "0px").
    virtual nsresult GetComputedStyle(nsIDOMElement* element, const nsAString& pseudoElement,
                                      nsIDOMCSSStyleDeclaration** style) = 0;
};
