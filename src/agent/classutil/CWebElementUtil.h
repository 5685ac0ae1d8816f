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

#include <cstdint>
#include <string>
#include <string_view>

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

    // Link tables: "Text", TAB, "Href" starts the file; each link adds its
    // cleaned name and url. Both refuse a request whose "class" is not a link.
    bool WriteObjInfoHeader(const CWebObjRef& link, CWebInfo& record) const;
    bool WriteObjInfo(const CWebObjRef& link, CWebInfo& record) const;
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

    // Image tables: "Name", "Type", "Width", "Height" start the file; each
    // image adds one line of them. Both refuse a request whose "class" does
    // not match "html_rect".
    bool WriteObjInfoHeader(const CWebObjRef& image, CWebInfo& record) const;
    bool WriteObjInfo(const CWebObjRef& image, CWebInfo& record) const;
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

    // "WriteInfoToFile": the text grid of the table, a "Col #n" header and
    // one line per row, each cell appending its own data.
    bool WriteInfoToFile(const CWebObjRef& table, CWebInfo& record) const;
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

    // "WriteInfoToFile": appends the cell's "data", without a line end.
    bool WriteInfoToFile(const CWebObjRef& cell, CWebInfo& record) const;
};

class CWebGeneralObjUtil : public CWebObjUtil {
public:
    CWebGeneralObjUtil() : CWebObjUtil(0, {"html_general_element", "html_object"}) {}
};

class CWebStdObjUtil : public CWebObjUtil {
public:
    CWebStdObjUtil() : CWebObjUtil(0, {"html_std_obj", "html_object"}) {}

    // The native window of a control: the child window of its frame's window
    // found under the control's top left corner (5 pixels in), after the
    // control was scrolled into view and its browser window brought to the
    // front. 0 for a hidden control or when the window found is not a child
    // of the frame's window.
    int32_t GetNativeWindowHandle(CWebObj& control) const;
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

    // The statement that records a change of a list's selection from `before`
    // to `after` (item texts separated by U+001E): one item added to a
    // non-empty selection extends it, one item removed deselects it, several
    // items selected select them all, anything else selects the new
    // selection. `items` gets the items the statement names, separated by
    // commas.
    static void ListStatement(std::string_view before, std::string_view after, std::string& items,
                              std::string& command);
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
