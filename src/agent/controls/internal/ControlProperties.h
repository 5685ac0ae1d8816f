// Shared by the form control classes: the own-property table walk that every
// class of the family runs before passing a query to its base, and short
// readers of the host's DOM interfaces.
#pragma once

#include "agent/channel/CWebVariant.h"
#include "agent/common/DomHelpers.h"
#include "platform/xpcom/nsCOMPtr.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace controls {

template <class Object> struct OwnProperty {
    std::string_view name;
    void (Object::*read)(CWebVariantList& value);
};

// Selects one of a class's own properties: by position, or by exact name
// (a lookup passes position -1). A property selected by position writes its
// name back, so an enumerating caller learns it. When nothing is selected,
// a positive position is moved past this table for the base class.
template <class Object, size_t N>
bool SelectOwnProperty(Object& object, const std::array<OwnProperty<Object>, N>& table,
                       std::string& name, CWebVariantList& value, int& position) {
    for (size_t i = 0; i < N; ++i) {
        const bool byPosition = position == static_cast<int>(i);
        if (byPosition || name == table[i].name) {
            if (byPosition) {
                name = table[i].name;
            }
            value.Clear();
            (object.*table[i].read)(value);
            return true;
        }
    }
    if (position > 0) {
        position -= static_cast<int>(N);
    }
    return false;
}

// The status form: the property does not apply to this element.
inline void SetNotApplicable(CWebVariantList& value) {
    value.Clear();
    value.SetStatus(kWebStatusNotApplicable);
}

// A text getter of a host interface, narrowed; nothing when the interface is
// missing or the call fails.
template <class Interface>
std::optional<std::string> ReadText(Interface* object, nsresult (Interface::*getter)(nsAString&)) {
    nsString text;
    if (object == nullptr || NS_FAILED((object->*getter)(text))) {
        return std::nullopt;
    }
    return ToNarrow(text);
}

template <class Interface>
std::optional<bool> ReadFlag(Interface* object, nsresult (Interface::*getter)(PRBool*)) {
    PRBool flag = PR_FALSE;
    if (object == nullptr || NS_FAILED((object->*getter)(&flag))) {
        return std::nullopt;
    }
    return flag != PR_FALSE;
}

template <class Interface, class Number>
std::optional<Number> ReadNumber(Interface* object, nsresult (Interface::*getter)(Number*)) {
    Number number{};
    if (object == nullptr || NS_FAILED((object->*getter)(&number))) {
        return std::nullopt;
    }
    return number;
}

// "element_name" of controls that only HTML inputs name: the input's name,
// the empty string when it cannot be read, the status form for any other
// element.
void ReadInputName(nsIDOMNode* node, CWebVariantList& value);

// A XUL element's "disabled" attribute: "true" as the chrome writes it, or
// a number other than 0. (Reading it as a number only would report every
// disabled chrome button as enabled.)
bool IsXulDisabled(nsIDOMNode* node);

} // namespace controls
