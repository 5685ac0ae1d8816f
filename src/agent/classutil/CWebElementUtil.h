// The class utilities of the element classes: each fixes a class chain and a
// flags word, and some host the class-specific operations that the element
// objects call (image texts, table names and grids, cell data).
//
//     const CWebTableUtil& tables = GetClassUtilities().table;
//     std::string name;
//     if (tables.GetTableName(table, name)) ...
//     CWebObjRef cell = tables.GetCellAt(table, 2, 1);   // 1-based, may be null
#pragma once

#include "agent/model/CWebObjUtil.h"

#include <string>

class CWebTextUtil : public CWebObjUtil {
public:
    // Text objects stay out of the "id" lists of several matches.
    CWebTextUtil() : CWebObjUtil(kHiddenFromIdList, {"html_text", "html_object"}) {}
};

class CWebLabelUtil : public CWebObjUtil {
public:
    CWebLabelUtil() : CWebObjUtil(0, {"html_label", "html_object"}) {}
};

class CWebLinkUtil : public CWebObjUtil {
public:
    CWebLinkUtil() : CWebObjUtil(0, {"html_link", "html_object"}) {}
};

class CWebTextLinkUtil : public CWebObjUtil {
public:
    CWebTextLinkUtil()
        : CWebObjUtil(0, {"html_text_link", "html_link", "html_text", "html_object"}) {}
};

class CWebImageUtil : public CWebObjUtil {
public:
    CWebImageUtil() : CWebObjUtil(0, {"html_rect", "html_object"}) {}

    // True when "alt" is a non-empty string, else when "src" is a string.
    bool HasTextOrSource(const CWebObjRef& image) const;
};

class CWebImageLinkUtil : public CWebObjUtil {
public:
    CWebImageLinkUtil() : CWebObjUtil(0, {"html_rect", "html_link", "html_object"}) {}
};

class CWebTableUtil : public CWebObjUtil {
public:
    CWebTableUtil() : CWebObjUtil(0, {"html_table", "html_object"}) {}

    // The first cell text or object name among the table's specific
    // descendants that can name it; rows are skipped, and names that are
    // blank (matching "! *") do not count.
    bool GetTableName(const CWebObjRef& table, std::string& name) const;
    // The largest child count of any row; 0 without rows.
    int GetColumnCount(const CWebObjRef& table) const;
    // Column `column` of row `row`, both 1-based; null outside the grid.
    CWebObjRef GetCellAt(const CWebObjRef& table, int row, int column) const;
};

class CWebRowUtil : public CWebObjUtil {
public:
    CWebRowUtil() : CWebObjUtil(0, {"html_row", "html_object"}) {}
};

class CWebCellUtil : public CWebObjUtil {
public:
    CWebCellUtil() : CWebObjUtil(0, {"html_cell", "html_object"}) {}

    // The texts of the images in the cell, a space and the cell's own text,
    // cleaned of braces and trimmed. False when the cell's "text" is not a
    // string.
    bool GetCellData(const CWebObjRef& cell, std::string& data) const;
};

class CWebGeneralObjUtil : public CWebObjUtil {
public:
    CWebGeneralObjUtil() : CWebObjUtil(0, {"html_general_element", "html_object"}) {}
};

class CWebStdObjUtil : public CWebObjUtil {
public:
    CWebStdObjUtil() : CWebObjUtil(0, {"html_std_obj", "html_object"}) {}
};

class CWebPushButtonUtil : public CWebObjUtil {
public:
    CWebPushButtonUtil() : CWebObjUtil(0, {"html_push_button", "html_std_obj", "html_object"}) {}
};

class CWebToggleElementUtil : public CWebObjUtil {
public:
    CWebToggleElementUtil() : CWebObjUtil(0, {"html_toggle", "html_std_obj", "html_object"}) {}
};

class CWebRadioButtonUtil : public CWebObjUtil {
public:
    CWebRadioButtonUtil()
        : CWebObjUtil(0, {"html_radio_button", "html_toggle", "html_std_obj", "html_object"}) {}
};

class CWebCheckButtonUtil : public CWebObjUtil {
public:
    CWebCheckButtonUtil()
        : CWebObjUtil(0, {"html_check_button", "html_toggle", "html_std_obj", "html_object"}) {}
};

class CWebEditUtil : public CWebObjUtil {
public:
    CWebEditUtil() : CWebObjUtil(0, {"html_edit", "html_std_obj", "html_object"}) {}
};

class CWebSelectElementUtil : public CWebObjUtil {
public:
    CWebSelectElementUtil() : CWebObjUtil(0, {"html_select", "html_std_obj", "html_object"}) {}
};

class CWebListBoxUtil : public CWebObjUtil {
public:
    CWebListBoxUtil()
        : CWebObjUtil(0, {"html_listbox", "html_select", "html_std_obj", "html_object"}) {}
};

class CWebComboBoxUtil : public CWebObjUtil {
public:
    CWebComboBoxUtil()
        : CWebObjUtil(0, {"html_combobox", "html_select", "html_std_obj", "html_object"}) {}
};

class CWebFileUtil : public CWebObjUtil {
public:
    CWebFileUtil()
        : CWebObjUtil(0, {"html_file", "html_edit", "html_push_button", "html_object"}) {}
};
