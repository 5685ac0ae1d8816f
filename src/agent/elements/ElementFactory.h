#pragma once
// One creation function per element class the layout tree builder makes;
// each is the single place where its class is chosen. The form control and
// list rows are defined by the controls layer (controls/ControlFactory.cpp).
//
//     CWebObjRef link = element_factory::MakeTextLink(anchor, frame);

#include "agent/model/CWebObj.h"

#include <cstdint>

class nsIDOMNode;

namespace element_factory {

// Links and images.
CWebObjRef MakeTextLink(nsIDOMNode* node, const CWebObjRef& parent);
CWebObjRef MakeImage(nsIDOMNode* node, const CWebObjRef& parent);
CWebObjRef MakeImageLink(nsIDOMNode* node, const CWebObjRef& parent);
CWebObjRef MakeImageButton(nsIDOMNode* node, const CWebObjRef& parent);

// Tables and general elements.
CWebObjRef MakeTable(nsIDOMNode* node, const CWebObjRef& parent, int32_t table);
CWebObjRef MakeRow(nsIDOMNode* node, const CWebObjRef& parent, int32_t table, int32_t row);
CWebObjRef MakeCell(nsIDOMNode* node, const CWebObjRef& parent, int32_t table, int32_t row);
CWebObjRef MakeGeneral(nsIDOMNode* node, const CWebObjRef& parent);

// Form controls and lists.
CWebObjRef MakeEdit(nsIDOMNode* node, const CWebObjRef& parent);
CWebObjRef MakePushButton(nsIDOMNode* node, const CWebObjRef& parent);
CWebObjRef MakeRadioButton(nsIDOMNode* node, const CWebObjRef& parent);
CWebObjRef MakeCheckButton(nsIDOMNode* node, const CWebObjRef& parent);
CWebObjRef MakeFile(nsIDOMNode* node, const CWebObjRef& parent);
CWebObjRef MakeComboBox(nsIDOMNode* node, const CWebObjRef& parent);
CWebObjRef MakeListBox(nsIDOMNode* node, const CWebObjRef& parent);

} // namespace element_factory
