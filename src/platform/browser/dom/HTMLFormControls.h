// Form controls and forms: their live values (value, checked, selected) kept
// apart from the attributes that give their defaults, as the DOM defines.
#pragma once

#include "platform/browser/dom/HTMLElements.h"

namespace dom {

// Makes the form element or control `lowerTag` names (input, button,
// textarea, select, option, form); null for other tags.
NodeRef NewFormElement(const std::shared_ptr<DocumentLink>& link, std::u16string_view lowerTag);

// Restores the default value, checked or selected state of a control; other
// elements are left alone.
void ResetControl(Element& element);

} // namespace dom
