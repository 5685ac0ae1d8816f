#include "agent/controls/CNS6StdObj.h"

#include "agent/classutil/ClassUtilities.h"
#include "agent/controls/internal/ControlProperties.h"
#include "agent/model/CNS6Frame.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

#include <algorithm>

namespace controls {

void ReadInputName(nsIDOMNode* node, CWebVariantList& value) {
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(node);
    if (!input) {
        SetNotApplicable(value);
        return;
    }
    value.Set(ReadText(input.get(), &nsIDOMHTMLInputElement::GetName).value_or(""));
}

bool IsXulDisabled(nsIDOMNode* node) {
    return EqualsIgnoringCase(GetAttributeText(node, "disabled"), "true") ||
           GetAttributeInt(node, "disabled") != 0;
}

} // namespace controls

using namespace controls;

namespace {

// The logical name of an input or a button element: a value or, for inputs
// without one, the name the browser shows on submit and reset buttons; for
// other tags the inner text; the control's name when all of that is empty.
template <class Element>
std::string ButtonName(Element* element, bool isInputTag, const std::string& innerText) {
    std::string name;
    if (isInputTag) {
        name = ReadText(element, &Element::GetValue).value_or("");
        if (name.empty()) {
            const std::string type = ReadText(element, &Element::GetType).value_or("");
            if (EqualsIgnoringCase(type, "SUBMIT")) {
                name = "Submit Query";
            } else if (EqualsIgnoringCase(type, "RESET")) {
                name = "Reset";
            }
        }
    } else {
        name = innerText;
    }
    if (name.empty()) {
        name = ReadText(element, &Element::GetName).value_or("");
    }
    return name;
}

} // namespace

// --- CNS6StdObj ---

CNS6StdObj::CNS6StdObj(nsIDOMNode* node, const CWebObjRef& frame) : CNS6Obj(node, frame) {
    SetUtil(&GetClassUtilities().stdObj);
}

bool CNS6StdObj::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    static constexpr std::array<OwnProperty<CNS6StdObj>, 1> kOwn{{
        {"IsIgnored", &CNS6StdObj::ReadIsIgnored},
    }};
    if (SelectOwnProperty(*this, kOwn, name, value, position)) {
        return true;
    }
    return CNS6Obj::GetPropertyAt(name, value, position);
}

void CNS6StdObj::ReadIsIgnored(CWebVariantList& value) {
    value.Set(0);
}

std::string CNS6StdObj::InnerText() {
    CWebVariantList text;
    if (!GetProperty("inner_text", text) || text.GetType() != WebVariantType::String ||
        text.IsEmpty()) {
        return {};
    }
    return text.GetAt(0)->GetString();
}

std::string CNS6StdObj::TagName() const {
    return GetTagName(DomNode());
}

// --- CNS6PushButton ---

CNS6PushButton::CNS6PushButton(nsIDOMNode* node, const CWebObjRef& frame)
    : CNS6StdObj(node, frame) {
    SetUtil(&GetClassUtilities().pushButton);
}

bool CNS6PushButton::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    static constexpr std::array<OwnProperty<CNS6PushButton>, 5> kOwn{{
        {"name", &CNS6PushButton::ReadName},
        {"value", &CNS6PushButton::ReadValue},
        {"enabled", &CNS6PushButton::ReadEnabled},
        {"part_value", &CNS6PushButton::ReadPartValue},
        {"element_name", &CNS6PushButton::ReadElementName},
    }};
    if (SelectOwnProperty(*this, kOwn, name, value, position)) {
        return true;
    }
    return CNS6StdObj::GetPropertyAt(name, value, position);
}

void CNS6PushButton::ReadName(CWebVariantList& value) {
    const bool isInputTag = EqualsIgnoringCase(TagName(), "INPUT");
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        value.Set(ButtonName(input.get(), isInputTag, isInputTag ? std::string() : InnerText()));
    } else if (nsCOMPtr<nsIDOMHTMLButtonElement> button = do_QueryInterface(DomNode())) {
        value.Set(ButtonName(button.get(), isInputTag, isInputTag ? std::string() : InnerText()));
    } else {
        value.Set(GetAttributeText(DomNode(), "label"));
    }
}

void CNS6PushButton::ReadValue(CWebVariantList& value) {
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        value.Set(ReadText(input.get(), &nsIDOMHTMLInputElement::GetValue).value_or(""));
    } else if (nsCOMPtr<nsIDOMHTMLButtonElement> button = do_QueryInterface(DomNode())) {
        value.Set(ReadText(button.get(), &nsIDOMHTMLButtonElement::GetValue).value_or(""));
    } else {
        value.Set(GetAttributeText(DomNode(), "label"));
    }
}

void CNS6PushButton::ReadEnabled(CWebVariantList& value) {
    bool disabled = false;
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        disabled = ReadFlag(input.get(), &nsIDOMHTMLInputElement::GetDisabled).value_or(false);
    } else if (nsCOMPtr<nsIDOMHTMLButtonElement> button = do_QueryInterface(DomNode())) {
        disabled = ReadFlag(button.get(), &nsIDOMHTMLButtonElement::GetDisabled).value_or(false);
    } else {
        disabled = IsXulDisabled(DomNode());
    }
    value.Set(disabled ? 0 : 1);
}

void CNS6PushButton::ReadPartValue(CWebVariantList& value) {
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode());
    nsCOMPtr<nsIDOMHTMLButtonElement> button = do_QueryInterface(DomNode());
    if (!input && !button) {
        SetNotApplicable(value);
        return;
    }
    std::string part = input
                           ? ReadText(input.get(), &nsIDOMHTMLInputElement::GetName).value_or("")
                           : ReadText(button.get(), &nsIDOMHTMLButtonElement::GetName).value_or("");
    if (part.empty()) {
        if (EqualsIgnoringCase(TagName(), "INPUT")) {
            part = input ? ReadText(input.get(), &nsIDOMHTMLInputElement::GetValue).value_or("")
                         : ReadText(button.get(), &nsIDOMHTMLButtonElement::GetValue).value_or("");
        } else {
            part = InnerText();
        }
    }
    value.Set(part);
}

void CNS6PushButton::ReadElementName(CWebVariantList& value) {
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        value.Set(ReadText(input.get(), &nsIDOMHTMLInputElement::GetName).value_or(""));
    } else if (nsCOMPtr<nsIDOMHTMLButtonElement> button = do_QueryInterface(DomNode())) {
        value.Set(ReadText(button.get(), &nsIDOMHTMLButtonElement::GetName).value_or(""));
    } else {
        SetNotApplicable(value);
    }
}

// --- CNS6ToggleElement ---

CNS6ToggleElement::CNS6ToggleElement(nsIDOMNode* node, const CWebObjRef& frame)
    : CNS6StdObj(node, frame) {
    SetUtil(&GetClassUtilities().toggleElement);
}

bool CNS6ToggleElement::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    static constexpr std::array<OwnProperty<CNS6ToggleElement>, 6> kOwn{{
        {"name", &CNS6ToggleElement::ReadName},
        {"value", &CNS6ToggleElement::ReadValue},
        {"part_value", &CNS6ToggleElement::ReadPartValue},
        {"checked", &CNS6ToggleElement::ReadChecked},
        {"enabled", &CNS6ToggleElement::ReadEnabled},
        {"element_name", &CNS6ToggleElement::ReadElementName},
    }};
    if (SelectOwnProperty(*this, kOwn, name, value, position)) {
        return true;
    }
    return CNS6StdObj::GetPropertyAt(name, value, position);
}

void CNS6ToggleElement::ReadName(CWebVariantList& value) {
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode());
    std::optional<std::string> name = ReadText(input.get(), &nsIDOMHTMLInputElement::GetName);
    value.Set(name ? *name : GetAttributeText(DomNode(), "name"));
}

std::string CNS6ToggleElement::Value() {
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode());
    std::optional<std::string> text = ReadText(input.get(), &nsIDOMHTMLInputElement::GetValue);
    return text ? *text : GetAttributeText(DomNode(), "label");
}

void CNS6ToggleElement::ReadValue(CWebVariantList& value) {
    value.Set(Value());
}

void CNS6ToggleElement::ReadPartValue(CWebVariantList& value) {
    std::string part = Value();
    value.Set(part.empty() ? std::string("on") : part);
}

void CNS6ToggleElement::ReadChecked(CWebVariantList& value) {
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode());
    if (std::optional<bool> checked = ReadFlag(input.get(), &nsIDOMHTMLInputElement::GetChecked)) {
        value.Set(*checked ? 1 : 0);
        return;
    }
    // A XUL control's attribute still holds the state before the click while
    // its click is being recorded, so the recorder sees the new state
    // inverted back.
    bool checked = HasNonEmptyAttribute(DomNode(), "checked");
    if (GetOption("ToolMode") == 1) {
        checked = !checked;
    }
    value.Set(checked ? 1 : 0);
}

void CNS6ToggleElement::ReadEnabled(CWebVariantList& value) {
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode());
    std::optional<bool> disabled = ReadFlag(input.get(), &nsIDOMHTMLInputElement::GetDisabled);
    if (!disabled) {
        disabled = HasNonEmptyAttribute(DomNode(), "disabled");
    }
    value.Set(*disabled ? 0 : 1);
}

void CNS6ToggleElement::ReadElementName(CWebVariantList& value) {
    ReadInputName(DomNode(), value);
}

CNS6RadioButton::CNS6RadioButton(nsIDOMNode* node, const CWebObjRef& frame)
    : CNS6ToggleElement(node, frame) {
    SetUtil(&GetClassUtilities().radioButton);
}

CNS6CheckButton::CNS6CheckButton(nsIDOMNode* node, const CWebObjRef& frame)
    : CNS6ToggleElement(node, frame) {
    SetUtil(&GetClassUtilities().checkButton);
}
