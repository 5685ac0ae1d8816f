#include "platform/browser/dom/Element.h"

#include "platform/browser/dom/Document.h"

namespace dom {

namespace {

// The local name of a XUL tag: the part after a namespace prefix.
nsString XulLocalName(std::u16string_view tag) {
    size_t colon = tag.find(u':');
    return nsString(colon == std::u16string_view::npos ? tag : tag.substr(colon + 1));
}

} // namespace

Element::Element(std::shared_ptr<DocumentLink> link, ElementNamespace ns, nsString tagName)
    : Node(NodeKind::Element, std::move(link)), m_namespace(ns) {
    if (ns == ElementNamespace::HTML) {
        m_tagName = AsciiUpper(tagName);
        m_localName = AsciiLower(tagName);
    } else {
        m_localName = XulLocalName(tagName);
        m_tagName = std::move(tagName);
    }
}

nsString Element::NormalisedName(std::u16string_view name) const {
    return IsHTML() ? AsciiLower(name) : nsString(name);
}

const nsString* Element::FindAttribute(std::u16string_view name) const {
    nsString key = NormalisedName(name);
    for (const auto& [attributeName, value] : m_attributes) {
        if (attributeName == key)
            return &value;
    }
    return nullptr;
}

nsString Element::Attribute(std::u16string_view name) const {
    const nsString* value = FindAttribute(name);
    return value ? *value : nsString();
}

void Element::SetAttribute(std::u16string_view name, nsString value) {
    if (name.empty())
        return;
    nsString key = NormalisedName(name);
    bool found = false;
    for (auto& [attributeName, current] : m_attributes) {
        if (attributeName == key) {
            current = std::move(value);
            found = true;
            break;
        }
    }
    if (!found)
        m_attributes.emplace_back(key, std::move(value));
    if (Document* document = OwnerDocument())
        document->NoteChange();
    AttributeChanged(key);
}

void Element::RemoveAttribute(std::u16string_view name) {
    nsString key = NormalisedName(name);
    for (auto it = m_attributes.begin(); it != m_attributes.end(); ++it) {
        if (it->first == key) {
            m_attributes.erase(it);
            if (Document* document = OwnerDocument())
                document->NoteChange();
            AttributeChanged(key);
            return;
        }
    }
}

std::optional<int32_t> Element::AttributeInt(std::u16string_view name) const {
    const nsString* value = FindAttribute(name);
    if (!value)
        return std::nullopt;
    size_t i = 0;
    while (i < value->size() &&
           ((*value)[i] == u' ' || (*value)[i] == u'\t' || (*value)[i] == u'\n' ||
            (*value)[i] == u'\r' || (*value)[i] == u'\f'))
        ++i;
    bool negative = false;
    if (i < value->size() && ((*value)[i] == u'-' || (*value)[i] == u'+')) {
        negative = (*value)[i] == u'-';
        ++i;
    }
    if (i >= value->size() || (*value)[i] < u'0' || (*value)[i] > u'9')
        return std::nullopt;
    int64_t number = 0;
    for (; i < value->size() && (*value)[i] >= u'0' && (*value)[i] <= u'9'; ++i) {
        number = number * 10 + ((*value)[i] - u'0');
        if (number > INT32_MAX)
            number = int64_t(INT32_MAX) + 1; // saturate; clamped below
    }
    if (negative)
        number = -number;
    if (number > INT32_MAX)
        number = INT32_MAX;
    if (number < INT32_MIN)
        number = INT32_MIN;
    return static_cast<int32_t>(number);
}

void Element::SetAttributeInt(std::u16string_view name, int32_t value) {
    std::string digits = std::to_string(value);
    SetAttribute(name, nsString(digits.begin(), digits.end()));
}

void Element::SetAttributeBool(std::u16string_view name, bool value) {
    if (value)
        SetAttribute(name, nsString());
    else
        RemoveAttribute(name);
}

Element* Element::Anonymous() const {
    return m_anonymous ? static_cast<Element*>(m_anonymous.get()) : nullptr;
}

void Element::SetAnonymous(NodeRef content) {
    if (m_anonymous)
        m_anonymous->SetParentForAnonymous(nullptr);
    m_anonymous = std::move(content);
    if (m_anonymous)
        m_anonymous->SetParentForAnonymous(this);
}

Element* Element::ClosestWithTag(std::u16string_view lowerTag) {
    for (Node* node = this; node; node = node->Parent()) {
        if (node->IsElement() && static_cast<Element*>(node)->HasTag(lowerTag))
            return static_cast<Element*>(node);
    }
    return nullptr;
}

NodeRef Element::Clone(bool deep) const {
    NodeRef copy = NewElement(Link(), m_namespace, m_tagName);
    if (!copy)
        return copy;
    auto& element = static_cast<Element&>(*copy);
    element.m_attributes = m_attributes;
    CopyStateTo(element);
    if (deep)
        CloneChildrenInto(element);
    return copy;
}

} // namespace dom
