// The one class utility of every test class, created when the component
// loads and kept until it unloads. Test objects point to their class's
// utility and never own it.
//
//     SetUtil(&GetClassUtilities().link);            // in a test object's constructor
//     ClassTable table;
//     FillClassTable(table);                         // the description class table
#pragma once

#include "agent/classutil/CWebElementUtil.h"
#include "agent/model/CWebFrameUtil.h"
#include "agent/model/CWebObjUtil.h"

#include <map>
#include <string>

struct ClassUtilities {
    CWebObjUtil object;
    CWebTextUtil text;
    CWebLabelUtil label;
    CWebLinkUtil link;
    CWebTextLinkUtil textLink;
    CWebImageUtil image;
    CWebImageLinkUtil imageLink;
    CWebTableUtil table;
    CWebRowUtil row;
    CWebCellUtil cell;
    CWebGeneralObjUtil generalObj;
    CWebStdObjUtil stdObj;
    CWebPushButtonUtil pushButton;
    CWebToggleElementUtil toggleElement;
    CWebRadioButtonUtil radioButton;
    CWebCheckButtonUtil checkButton;
    CWebEditUtil edit;
    CWebSelectElementUtil selectElement;
    CWebListBoxUtil listBox;
    CWebComboBoxUtil comboBox;
    CWebFileUtil file;
    // The page structure's utilities live with the page structure objects.
    CWebFrameUtil& frame = FrameClassUtil();
    CWebBrowserUtil& browser = BrowserClassUtil();
};

// Created on first use; the module touches it at load.
ClassUtilities& GetClassUtilities();

// Test class name -> its class utility (pointers to the process-wide
// utilities).
using ClassTable = std::map<std::string, CWebObjUtil*, std::less<>>;

// Enters every described class with its utility and resets each of those
// utilities to its default description template.
void FillClassTable(ClassTable& table);
