#pragma once
// Tables, rows, cells and general elements: the element objects of "TABLE",
// "TR", "TD"/"TH" elements, and of any element without a class of its own.
//
//     CWebObjRef table = builder.ObjectForNode(node, frame, kSpecificObjects,
//                                              MapImage::Disallow);
//     table->GetProperty("rows", value);         // the rows collection's length
//     CWebObjRef row = table->GetChild(2);       // rows in collection order
//     row->GetProperty("row", value);            // 2, computed through the table
//
// Table and row indexes are those of the collection walk that made the
// object, or -1 for an object made for a single node, which then computes
// them from the DOM when asked.

#include "agent/elements/CNS6Obj.h"

class CNS6Table : public CNS6Obj {
public:
    static constexpr int kOwnPropertyCount = 8;

    CNS6Table(nsIDOMNode* node, const CWebObjRef& owningFrame, int32_t tableIndex);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    // The length of the rows collection.
    int GetChildCount() override;
    // With flags exactly 1, the rows collection's row objects.
    bool CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) override;
    bool CallMethod(std::string_view method, CWebInfo& record) override;

    int32_t GetTableIndex() const { return m_TableIndex; }

private:
    bool GetTablePropertyAt(int index, CWebVariantList& value);
    std::string GetTableName();

    std::string m_NameCache; // lives as long as this object
    int32_t m_TableIndex;
};

class CNS6Row : public CNS6Obj {
public:
    static constexpr int kOwnPropertyCount = 6;

    CNS6Row(nsIDOMNode* node, const CWebObjRef& owningFrame, int32_t tableIndex, int32_t rowIndex);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    // The length of the cells collection.
    int GetChildCount() override;
    // With flags exactly 1, the cells collection's cell objects.
    bool CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) override;
    bool CallMethod(std::string_view method, CWebInfo& record) override;

    int32_t GetTableIndex() const { return m_TableIndex; }
    int32_t GetRowIndex() const { return m_RowIndex; }

private:
    bool GetRowPropertyAt(int index, CWebVariantList& value);
    // The 1-based row number within the row's table, computed through a
    // walk of the table; nothing without a table.
    std::optional<int32_t> ComputeRowNumber();

    int32_t m_TableIndex;
    int32_t m_RowIndex;
};

class CNS6Cell : public CNS6Obj {
public:
    static constexpr int kOwnPropertyCount = 8;

    CNS6Cell(nsIDOMNode* node, const CWebObjRef& owningFrame, int32_t tableIndex, int32_t rowIndex);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
    bool CallMethod(std::string_view method, CWebInfo& record) override;

    int32_t GetTableIndex() const { return m_TableIndex; }
    int32_t GetRowIndex() const { return m_RowIndex; }

private:
    bool GetCellPropertyAt(int index, CWebVariantList& value);

    int32_t m_TableIndex;
    int32_t m_RowIndex;
};

class CNS6GeneralObj : public CNS6Obj {
public:
    static constexpr int kOwnPropertyCount = 3;

    CNS6GeneralObj(nsIDOMNode* node, const CWebObjRef& owningFrame);

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override;
};
