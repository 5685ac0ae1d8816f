// Element cores: tag, attributes and the hooks element kinds override.
#pragma once

#include "platform/browser/Ascii.h"
#include "platform/browser/dom/Node.h"

#include <optional>

namespace dom {

enum class ElementNamespace : uint8_t { HTML, XUL };

class Element : public Node {
public:
    ElementNamespace Namespace() const { return m_namespace; }
    bool IsHTML() const { return m_namespace == ElementNamespace::HTML; }
    // As the DOM gives it: upper case for HTML, as written for XUL.
    const nsString& TagName() const { return m_tagName; }
    // Lower-case tag name of HTML elements, the tag as written for XUL.
    const nsString& LocalName() const { return m_localName; }
    // Compares the tag without regard to case (`lowerTag` in lower case).
    bool HasTag(std::u16string_view lowerTag) const { return m_localName == lowerTag; }
    nsString NodeName() const override { return m_tagName; }

    // Attributes in the order they were set. HTML attribute names are
    // stored and compared in lower case.
    size_t AttributeCount() const { return m_attributes.size(); }
    const std::pair<nsString, nsString>& AttributeAt(size_t index) const {
        return m_attributes[index];
    }
    const nsString* FindAttribute(std::u16string_view name) const;
    nsString Attribute(std::u16string_view name) const;
    bool HasAttribute(std::u16string_view name) const { return FindAttribute(name) != nullptr; }
    void SetAttribute(std::u16string_view name, nsString value);
    void RemoveAttribute(std::u16string_view name);
    // The attribute read as a decimal integer (leading white space and sign
    // allowed, trailing text ignored); nullopt when missing or not a number.
    std::optional<int32_t> AttributeInt(std::u16string_view name) const;
    void SetAttributeInt(std::u16string_view name, int32_t value);
    void SetAttributeBool(std::u16string_view name, bool value);

    // The anonymous content of the element (the input of a XUL textbox):
    // its parent is this element, but it is not among the children.
    Element* Anonymous() const;
    void SetAnonymous(NodeRef content);

    // The first ancestor (or this element) with the lower-case tag.
    Element* ClosestWithTag(std::u16string_view lowerTag);

    NodeRef Clone(bool deep) const override;

protected:
    Element(std::shared_ptr<DocumentLink> link, ElementNamespace ns, nsString tagName);
    // Called after an attribute was set or removed.
    virtual void AttributeChanged(std::u16string_view) {}
    // Copies kind-specific state (values, checked state) into a clone.
    virtual void CopyStateTo(Element&) const {}
    nsString NormalisedName(std::u16string_view name) const;

private:
    ElementNamespace m_namespace;
    nsString m_tagName;
    nsString m_localName;
    std::vector<std::pair<nsString, nsString>> m_attributes;
    NodeRef m_anonymous;
};

// Makes an element of the kind its tag calls for (HTMLElements.cpp,
// XULElements.cpp). HTML tags are taken in any case.
NodeRef NewElement(const std::shared_ptr<DocumentLink>& link, ElementNamespace ns,
                   std::u16string_view tag);

// Case helpers for ASCII (tag and attribute names).
using browser::AsciiLower;
using browser::AsciiUpper;
using browser::EqualsIgnoringAsciiCase;
// White space runs collapsed to one blank, leading and trailing ones removed.
nsString CollapseWhiteSpace(std::u16string_view text);

} // namespace dom
