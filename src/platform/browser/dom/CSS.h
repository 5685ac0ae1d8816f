// Style declarations of elements: the inline style (the style attribute as a
// declaration block) and the computed style a window's nsIDOMViewCSS gives.
#pragma once

#include "platform/browser/dom/Element.h"
#include "platform/xpcom/dom/nsIDOMCSS.h"

#include <vector>

namespace dom {

struct CSSDeclaration {
    nsString name; // lower case
    nsString value;
    bool important = false;
};

// The declarations of a style attribute; malformed ones are skipped, a
// later declaration of the same property replaces an earlier one.
std::vector<CSSDeclaration> ParseDeclarations(std::u16string_view text);
nsString SerializeDeclarations(const std::vector<CSSDeclaration>& declarations);

// A value from its CSS text ("2px", "1.5em", "red"); null for empty text.
nsCOMPtr<nsIDOMCSSPrimitiveValue> NewCSSValue(std::u16string_view text);

// The declaration block over `element`'s style attribute: reads parse it,
// writes set it.
nsresult NewInlineStyle(Element& element, nsIDOMCSSStyleDeclaration** style);

// The read-only computed style of `element`: the document's layout answers
// when it has one; else the inline style, with the CSS initial value "0px"
// for the widths of margins, borders and padding.
nsresult NewComputedStyle(Element& element, nsIDOMCSSStyleDeclaration** style);

} // namespace dom
