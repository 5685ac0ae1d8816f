// The layout tree builder's rows for the form controls and lists: the
// builder names them in its factory (elements/ElementFactory.h), the controls
// make them, so the element layer never includes a layer above it.
#include "agent/controls/CNS6Edit.h"
#include "agent/controls/CNS6List.h"
#include "agent/controls/CNS6StdObj.h"
#include "agent/elements/ElementFactory.h"

namespace element_factory {

CWebObjRef MakeEdit(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6Edit(node, parent));
}

CWebObjRef MakePushButton(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6PushButton(node, parent));
}

CWebObjRef MakeRadioButton(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6RadioButton(node, parent));
}

CWebObjRef MakeCheckButton(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6CheckButton(node, parent));
}

CWebObjRef MakeFile(nsIDOMNode* node, const CWebObjRef& parent) {
    return CNS6File::Create(node, parent);
}

CWebObjRef MakeComboBox(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6ComboBox(node, parent));
}

CWebObjRef MakeListBox(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6ListBox(node, parent));
}

} // namespace element_factory
