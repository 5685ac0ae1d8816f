#pragma once
// Edit fields (text and password inputs, text areas, the chrome's XUL text
// box) and file-upload fields.
//
//     CWebObjRef edit(new CNS6Edit(node, frame));  // seeds the frame's memory
//     CWebInfo request;
//     AppendString(request, "value", "typed text");
//     edit->CallMethod("SetValue", request);        // E_INVALIDARG without a text
//     edit->CallMethod("IsRecordEnabled", reply);   // 0: the change is new
//
// An edit field remembers the value it last recorded in its frame's
// recorded-state table (first string), so the recorder records a change once.

#include "agent/controls/CNS6StdObj.h"

class CNS6Edit : public CNS6StdObj {
public:
    // Fields whose first value is visible in the page (all but password and
    // XUL text fields) enter their value into the frame's table when the
    // frame has none for them yet.
    CNS6Edit(nsIDOMNode* node, const CWebObjRef& frame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    // "IsRecordEnabled" and "SetValue"; every other name goes to the element.
    bool CallMethod(std::string_view method, CWebInfo& record) override;

    bool IsPassword();
    bool IsXulTextField();

private:
    void ReadName(CWebVariantList& value);
    void ReadValue(CWebVariantList& value);
    void ReadCols(CWebVariantList& value);
    void ReadRows(CWebVariantList& value);
    void ReadKind(CWebVariantList& value);
    void ReadElementName(CWebVariantList& value);
    void ReadType(CWebVariantList& value);
    void ReadEnabled(CWebVariantList& value);

    // Reply 0 when the value differs from the one last recorded, else 1;
    // remembers the value.
    void IsRecordEnabled(CWebInfo& record);
    void SetValue(CWebInfo& record);
};

// A file field is an edit field (the text of the file name) and a push button
// (the browse button) at once: two object parts over the same node. Handles
// refer to it through its edit part.
class CNS6File : public CNS6Edit, public CNS6PushButton {
public:
    CNS6File(nsIDOMNode* node, const CWebObjRef& frame);

    // A new file field in a handle (through its edit part).
    static CWebObjRef Create(nsIDOMNode* node, const CWebObjRef& frame);

    // "element_name"; then the edit properties; then what only the push
    // button answers ("part_value").
    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    bool CallMethod(std::string_view method, CWebInfo& record) override {
        return CNS6Edit::CallMethod(method, record);
    }
};
