#include "agent/elements/ElementFactory.h"

#include "agent/elements/CNS6Image.h"
#include "agent/elements/CNS6Link.h"
#include "agent/elements/CNS6Obj.h"
#include "agent/elements/CNS6Table.h"

namespace element_factory {

CWebObjRef MakeTextLink(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6Link(node, parent));
}

CWebObjRef MakeImage(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6Image(node, parent));
}

CWebObjRef MakeImageLink(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6ImageLink(node, parent));
}

CWebObjRef MakeImageButton(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6ImageButton(node, parent));
}

CWebObjRef MakeTable(nsIDOMNode* node, const CWebObjRef& parent, int32_t table) {
    return CWebObjRef(new CNS6Table(node, parent, table));
}

CWebObjRef MakeRow(nsIDOMNode* node, const CWebObjRef& parent, int32_t table, int32_t row) {
    return CWebObjRef(new CNS6Row(node, parent, table, row));
}

CWebObjRef MakeCell(nsIDOMNode* node, const CWebObjRef& parent, int32_t table, int32_t row) {
    return CWebObjRef(new CNS6Cell(node, parent, table, row));
}

CWebObjRef MakeGeneral(nsIDOMNode* node, const CWebObjRef& parent) {
    return CWebObjRef(new CNS6GeneralObj(node, parent));
}

// The form control and list rows are made by the controls
// (controls/ControlFactory.cpp).

} // namespace element_factory
