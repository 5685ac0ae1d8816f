#pragma once
// The standard form controls: push buttons, radio buttons and check boxes of
// HTML forms and of the browser's XUL chrome, on their shared base.
//
//     // Made by the layout tree builder for <INPUT type=submit> and the like:
//     CWebObjRef button(new CNS6PushButton(node, frame));
//     button->GetProperty("name", value);      // "Submit Query" without a value
//
// Nothing is cached: every property is read from the DOM when it is asked
// for. HTML interfaces are tried first; XUL elements answer through their
// attributes ("label", "disabled", "checked").

#include "agent/elements/CNS6Obj.h"

#include <string>
#include <string_view>

// The base of every form control and list (only built as a base).
class CNS6StdObj : public CNS6Obj {
public:
    CNS6StdObj(nsIDOMNode* node, const CWebObjRef& frame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;

protected:
    nsIDOMNode* DomNode() const { return GetElementNode(); }
    // The element's own "inner_text"; empty unless it is a string.
    std::string InnerText();
    std::string TagName() const;

private:
    void ReadIsIgnored(CWebVariantList& value);
};

class CNS6PushButton : public CNS6StdObj {
public:
    CNS6PushButton(nsIDOMNode* node, const CWebObjRef& frame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;

private:
    void ReadName(CWebVariantList& value);
    void ReadValue(CWebVariantList& value);
    void ReadEnabled(CWebVariantList& value);
    void ReadPartValue(CWebVariantList& value);
    void ReadElementName(CWebVariantList& value);
};

// Radio buttons and check boxes (only built as a base of the two below).
class CNS6ToggleElement : public CNS6StdObj {
public:
    CNS6ToggleElement(nsIDOMNode* node, const CWebObjRef& frame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;

private:
    void ReadName(CWebVariantList& value);
    void ReadValue(CWebVariantList& value);
    void ReadPartValue(CWebVariantList& value);
    void ReadChecked(CWebVariantList& value);
    void ReadEnabled(CWebVariantList& value);
    void ReadElementName(CWebVariantList& value);
    std::string Value();
};

class CNS6RadioButton : public CNS6ToggleElement {
public:
    CNS6RadioButton(nsIDOMNode* node, const CWebObjRef& frame);
};

class CNS6CheckButton : public CNS6ToggleElement {
public:
    CNS6CheckButton(nsIDOMNode* node, const CWebObjRef& frame);
};
