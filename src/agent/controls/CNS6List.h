#pragma once
// Selection lists: HTML SELECT elements (list boxes and drop-downs) and the
// tree-style lists of the browser's XUL chrome.
//
//     CWebObjRef list(new CNS6ComboBox(node, frame));
//     CWebInfo request;
//     AppendString(request, "item_text", "Green");
//     list->CallMethod("ItemToNum", request);     // "item_num" 1
//     AppendInteger(select, "value", 1);
//     list->CallMethod("ListSelect", select);     // E_FAIL out of range, nothing changes
//
// Items are numbered from 0 in their collection; an item without text is
// named "#" and its number ("#1"). A selection is the texts of the selected
// items in item order, separated by U+001E.

#include "agent/controls/CNS6StdObj.h"

#include <cstdint>
#include <string>
#include <string_view>

// The record separator between the item texts of a selection.
inline constexpr char kItemSeparator = '\x1e';

class CNS6List : public CNS6StdObj {
public:
    CNS6List(nsIDOMNode* node, const CWebObjRef& frame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    // "ItemToNum", "NumToItem", "NumtoRect", "IsRecordEnabled", "ListSelect",
    // "ListExtendSelect", "ListDeselect"; other names go to the element.
    bool CallMethod(std::string_view method, CWebInfo& record) override;

    // The list query shared by properties and methods. Keywords: "NumOfItems",
    // "Selection", "All Items", "Item to Num" (string in), "Num to Item" and
    // "Num to Rect" (integer in), "Options Rect" (XUL lists). False, with the
    // value cleared, when the list or the item cannot answer.
    bool ListQuery(std::string_view keyword, CWebVariantList& value);

private:
    enum class Replay { Select, Extend, Deselect };

    void ReadName(CWebVariantList& value);
    void ReadSelection(CWebVariantList& value);
    void ReadOptionList(CWebVariantList& value);
    void ReadRecordSelection(CWebVariantList& value);
    void ReadRecordCommand(CWebVariantList& value);
    void ReadIsMultiple(CWebVariantList& value);
    void ReadHandle(CWebVariantList& value);
    void ReadIsIgnored(CWebVariantList& value);
    void ReadElementName(CWebVariantList& value);
    void ReadOptionsRect(CWebVariantList& value);
    void ReadVisibleItems(CWebVariantList& value);
    void ReadCountItems(CWebVariantList& value);
    void ReadSelectedIndex(CWebVariantList& value);
    void ReadEnabled(CWebVariantList& value);
    void ReadRecordedString(CWebVariantList& value, int which);

    // "item_text" <-> "item_num" and "item_num" -> "item_rect".
    void Convert(CWebInfo& record, std::string_view inName, std::string_view keyword,
                 std::string_view outName);
    void IsRecordEnabled(CWebInfo& record);
    void ReplaySelection(CWebInfo& record, Replay replay);
    nsresult ReplayHtml(CWebInfo& record, Replay replay);
    nsresult ReplayXul(CWebInfo& record, Replay replay);

    int32_t m_Handle = 0; // the native window, 0 until found
};

class CNS6ListBox : public CNS6List {
public:
    CNS6ListBox(nsIDOMNode* node, const CWebObjRef& frame);
};

class CNS6ComboBox : public CNS6List {
public:
    CNS6ComboBox(nsIDOMNode* node, const CWebObjRef& frame);
};
