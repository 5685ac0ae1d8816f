#include "agent/elements/CNS6Table.h"

#include "agent/classutil/ClassUtilities.h"
#include "agent/common/DomHelpers.h"
#include "agent/elements/ElementClasses.h"
#include "agent/elements/LayoutTreeBuilder.h"
#include "agent/elements/internal/DomTree.h"
#include "agent/elements/internal/PropertyTable.h"
#include "agent/model/CNS6Frame.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

#include <algorithm>

using element_internal::FindProperty;
using element_internal::ParentOf;
using element_internal::TableHit;

namespace {

constexpr std::array<std::string_view, CNS6Table::kOwnPropertyCount> kTableProperties = {
    "name", "rows", "columns", "child", "table_index", "IsIgnored", "text", "data"};
constexpr std::array<std::string_view, CNS6Row::kOwnPropertyCount> kRowProperties = {
    "class", "row", "cell_count", "text", "table_index", "IsIgnored"};
constexpr std::array<std::string_view, CNS6Cell::kOwnPropertyCount> kCellProperties = {
    "name", "row", "col", "parent", "table_index", "text", "IsIgnored", "data"};
constexpr std::array<std::string_view, CNS6GeneralObj::kOwnPropertyCount> kGeneralProperties = {
    "name", "text", "IsIgnored"};

constexpr std::string_view kDefaultTableName = "table";

// The nearest ancestor element with the tag; null when there is none.
nsCOMPtr<nsIDOMNode> AncestorWithTag(nsIDOMNode* node, std::string_view tag) {
    for (nsCOMPtr<nsIDOMNode> above = ParentOf(node); above; above = ParentOf(above.get())) {
        if (!element_internal::IsElementNode(above.get())) {
            return nullptr;
        }
        if (EqualsIgnoringCase(GetTagName(above.get()), tag)) {
            return above;
        }
    }
    return nullptr;
}

// The objects of a collection's items that are elements.
void CollectionObjects(nsIDOMHTMLCollection* items, CLayoutTreeBuilder* builder,
                       const CWebObjRef& frame, std::vector<CWebObjRef>& out) {
    if (items == nullptr || builder == nullptr) {
        return;
    }
    PRUint32 length = 0;
    items->GetLength(&length);
    for (PRUint32 i = 0; i < length; ++i) {
        nsCOMPtr<nsIDOMNode> item;
        items->Item(i, getter_AddRefs(item));
        if (!element_internal::IsElementNode(item.get())) {
            continue;
        }
        if (CWebObjRef object =
                builder->ObjectForNode(item.get(), frame, kSpecificObjects, MapImage::Disallow)) {
            out.push_back(std::move(object));
        }
    }
}

nsCOMPtr<nsIDOMHTMLCollection> RowsOf(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMHTMLTableElement> table = do_QueryInterface(node);
    nsCOMPtr<nsIDOMHTMLCollection> rows;
    if (!table || NS_FAILED(table->GetRows(getter_AddRefs(rows)))) {
        return nullptr;
    }
    return rows;
}

nsCOMPtr<nsIDOMHTMLCollection> CellsOf(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMHTMLTableRowElement> row = do_QueryInterface(node);
    nsCOMPtr<nsIDOMHTMLCollection> cells;
    if (!row || NS_FAILED(row->GetCells(getter_AddRefs(cells)))) {
        return nullptr;
    }
    return cells;
}

int LengthOf(nsIDOMHTMLCollection* items) {
    PRUint32 length = 0;
    if (items == nullptr || NS_FAILED(items->GetLength(&length))) {
        return 0;
    }
    return static_cast<int>(std::min<PRUint32>(length, INT32_MAX));
}

// The 0-based position of a table element among the document's tables; 0
// when it is not found or the document cannot be read.
int32_t DocumentTablePosition(CNS6Frame* frame, nsIDOMNode* table) {
    nsCOMPtr<nsIDOMDocument> document = frame != nullptr ? frame->GetDocument() : nullptr;
    nsCOMPtr<nsIDOMNodeList> tables;
    if (!document || NS_FAILED(document->GetElementsByTagName(u"table", getter_AddRefs(tables))) ||
        !tables) {
        return 0;
    }
    PRUint32 length = 0;
    tables->GetLength(&length);
    for (PRUint32 i = 0; i < length; ++i) {
        nsCOMPtr<nsIDOMNode> item;
        tables->Item(i, getter_AddRefs(item));
        if (item.get() == table) {
            return static_cast<int32_t>(i);
        }
    }
    return 0;
}

void SetString(CWebVariantList& value, std::string_view text) {
    value.Clear();
    value.Set(text);
}

void SetInteger(CWebVariantList& value, int32_t number) {
    value.Clear();
    value.Set(number);
}

const std::string* FirstString(const CWebVariantList& value) {
    const CWebVariant* first = value.GetAt(0);
    if (value.GetType() != WebVariantType::String || first == nullptr) {
        return nullptr;
    }
    return &first->GetString();
}

} // namespace

// ---- CNS6Table ----

CNS6Table::CNS6Table(nsIDOMNode* node, const CWebObjRef& owningFrame, int32_t tableIndex)
    : CNS6Obj(node, owningFrame), m_TableIndex(tableIndex) {
    SetUtil(&GetClassUtilities().table);
}

int CNS6Table::GetChildCount() {
    return LengthOf(RowsOf(GetElementNode()).get());
}

bool CNS6Table::CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) {
    if (flags != kChildFilterOrdinary || GetElementNode() == nullptr) {
        return CNS6Obj::CollectChildren(out, flags);
    }
    CollectionObjects(RowsOf(GetElementNode()).get(), Builder(), GetOwnerFrame(), out);
    return true;
}

bool CNS6Table::CallMethod(std::string_view method, CWebInfo& record) {
    if (method == "WriteInfoToFile") {
        return GetClassUtilities().table.WriteInfoToFile(CWebObjRef(this), record);
    }
    return CNS6Obj::CallMethod(method, record);
}

std::string CNS6Table::GetTableName() {
    if (!m_NameCache.empty()) {
        return m_NameCache;
    }
    // Keeps this object alive while the naming walk hands it around.
    CWebObjRef self(this);
    std::string name;
    if (!GetClassUtilities().table.GetTableName(self, name) || name.empty()) {
        name = kDefaultTableName;
    }
    m_NameCache = name;
    return name;
}

bool CNS6Table::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    if (GetElementNode() == nullptr) {
        return false;
    }
    TableHit hit = FindProperty(kTableProperties, name, position);
    if (hit.index < 0) {
        return CNS6Obj::GetPropertyAt(name, value, hit.passOn);
    }
    return GetTablePropertyAt(hit.index, value);
}

bool CNS6Table::GetTablePropertyAt(int index, CWebVariantList& value) {
    switch (index) {
    case 0:
        SetString(value, GetTableName());
        return true;
    case 1:
        SetInteger(value, GetChildCount());
        return true;
    case 2:
        SetInteger(value, GetClassUtilities().table.GetColumnCount(CWebObjRef(this)));
        return true;
    case 3: {
        int32_t wanted = 1;
        const CWebVariant* first = value.GetAt(0);
        if (value.GetType() == WebVariantType::Integer && first != nullptr) {
            wanted = first->GetInteger();
        }
        value.Clear();
        if (wanted < 1) {
            return true;
        }
        std::vector<CWebObjRef> rows;
        CollectChildren(rows, kChildFilterOrdinary);
        int32_t seen = 0;
        for (const CWebObjRef& row : rows) {
            std::vector<CWebObjRef> cells;
            if (row) {
                row->CollectChildren(cells, kChildFilterOrdinary);
            }
            if (wanted - seen <= static_cast<int32_t>(cells.size())) {
                const CWebObjRef& cell = cells[static_cast<size_t>(wanted - seen - 1)];
                if (cell) {
                    value.Set(cell->RunTimeID());
                }
                return true;
            }
            seen += static_cast<int32_t>(cells.size());
        }
        return true;
    }
    case 4:
        SetInteger(value, m_TableIndex >= 0
                              ? m_TableIndex
                              : DocumentTablePosition(OwnerFrame(), GetElementNode()));
        return true;
    case 5:
        SetInteger(value, 0);
        return true;
    case 6:
        SetString(value, CleanedText());
        return true;
    case 7:
        SetString(value, "");
        return true;
    default:
        return false;
    }
}

// ---- CNS6Row ----

CNS6Row::CNS6Row(nsIDOMNode* node, const CWebObjRef& owningFrame, int32_t tableIndex,
                 int32_t rowIndex)
    : CNS6Obj(node, owningFrame), m_TableIndex(tableIndex), m_RowIndex(rowIndex) {
    SetUtil(&GetClassUtilities().row);
}

int CNS6Row::GetChildCount() {
    return LengthOf(CellsOf(GetElementNode()).get());
}

bool CNS6Row::CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) {
    if (flags != kChildFilterOrdinary || GetElementNode() == nullptr) {
        return CNS6Obj::CollectChildren(out, flags);
    }
    CollectionObjects(CellsOf(GetElementNode()).get(), Builder(), GetOwnerFrame(), out);
    return true;
}

bool CNS6Row::CallMethod(std::string_view method, CWebInfo& record) {
    if (method == "SkipObjFromPoint") {
        record.SetRetValue(NS_OK);
        return true;
    }
    return CNS6Obj::CallMethod(method, record);
}

std::optional<int32_t> CNS6Row::ComputeRowNumber() {
    nsCOMPtr<nsIDOMNode> tableNode = AncestorWithTag(GetElementNode(), "TABLE");
    CWebObjRef table = tableNode ? ObjectFor(tableNode.get(), kSpecificObjects) : CWebObjRef();
    if (!table) {
        return std::nullopt;
    }
    std::vector<CWebObjRef> descendants;
    table->CollectDescendants(descendants, kChildFilterOrdinary);
    for (const CWebObjRef& object : descendants) {
        if (object && object->RunTimeID() == RunTimeID()) {
            auto* row = dynamic_cast<CNS6Row*>(object.Get());
            if (row != nullptr && row->GetRowIndex() >= 0) {
                return row->GetRowIndex() + 1;
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool CNS6Row::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    if (GetElementNode() == nullptr) {
        return false;
    }
    TableHit hit = FindProperty(kRowProperties, name, position);
    if (hit.index < 0) {
        return CNS6Obj::GetPropertyAt(name, value, hit.passOn);
    }
    return GetRowPropertyAt(hit.index, value);
}

bool CNS6Row::GetRowPropertyAt(int index, CWebVariantList& value) {
    switch (index) {
    case 0:
        value.Clear();
        GetUtil()->GetClassNames(value);
        return true;
    case 1: {
        value.Clear();
        std::optional<int32_t> number =
            m_RowIndex >= 0 ? std::optional<int32_t>(m_RowIndex + 1) : ComputeRowNumber();
        if (number) {
            value.Set(*number);
        }
        return true;
    }
    case 2:
        SetInteger(value, GetChildCount());
        return true;
    case 3:
        SetString(value, CleanedText());
        return true;
    case 4: {
        value.Clear();
        if (m_TableIndex >= 0) {
            value.Set(m_TableIndex);
        } else if (nsCOMPtr<nsIDOMNode> table = AncestorWithTag(GetElementNode(), "TABLE")) {
            value.Set(DocumentTablePosition(OwnerFrame(), table.get()));
        }
        return true;
    }
    case 5:
        SetInteger(value, 1);
        return true;
    default:
        return false;
    }
}

// ---- CNS6Cell ----

CNS6Cell::CNS6Cell(nsIDOMNode* node, const CWebObjRef& owningFrame, int32_t tableIndex,
                   int32_t rowIndex)
    : CNS6Obj(node, owningFrame), m_TableIndex(tableIndex), m_RowIndex(rowIndex) {
    SetUtil(&GetClassUtilities().cell);
}

bool CNS6Cell::CallMethod(std::string_view method, CWebInfo& record) {
    if (method == "WriteInfoToFile") {
        return GetClassUtilities().cell.WriteInfoToFile(CWebObjRef(this), record);
    }
    return CNS6Obj::CallMethod(method, record);
}

bool CNS6Cell::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    if (GetElementNode() == nullptr) {
        return false;
    }
    TableHit hit = FindProperty(kCellProperties, name, position);
    if (hit.index < 0) {
        return CNS6Obj::GetPropertyAt(name, value, hit.passOn);
    }
    return GetCellPropertyAt(hit.index, value);
}

bool CNS6Cell::GetCellPropertyAt(int index, CWebVariantList& value) {
    switch (index) {
    case 0: {
        // The cell's own text, normalised as a name.
        std::string name = "name";
        return CNS6Obj::GetPropertyAt(name, value, -1);
    }
    case 1: {
        value.Clear();
        if (m_RowIndex >= 0) {
            value.Set(m_RowIndex + 1);
            return true;
        }
        nsCOMPtr<nsIDOMNode> rowNode = AncestorWithTag(GetElementNode(), "TR");
        if (CWebObjRef row = rowNode ? ObjectFor(rowNode.get(), kSpecificObjects) : CWebObjRef()) {
            row->GetProperty("row", value);
        }
        return true;
    }
    case 2: {
        nsCOMPtr<nsIDOMHTMLTableCellElement> cell = do_QueryInterface(GetElementNode());
        PRInt32 column = -1;
        if (!cell || NS_FAILED(cell->GetCellIndex(&column))) {
            column = -1;
        }
        SetInteger(value, column + 1);
        return true;
    }
    case 3: {
        value.Clear();
        nsCOMPtr<nsIDOMNode> tableNode = AncestorWithTag(GetElementNode(), "TABLE");
        if (CWebObjRef table =
                tableNode ? ObjectFor(tableNode.get(), kSpecificObjects) : CWebObjRef()) {
            value.Set(table->RunTimeID());
        }
        return true;
    }
    case 4: {
        value.Clear();
        if (m_TableIndex >= 0) {
            value.Set(m_TableIndex);
        } else if (nsCOMPtr<nsIDOMNode> table = AncestorWithTag(GetElementNode(), "TABLE")) {
            value.Set(DocumentTablePosition(OwnerFrame(), table.get()));
        }
        return true;
    }
    case 5:
        SetString(value, CleanedText());
        return true;
    case 6:
        SetInteger(value, 1);
        return true;
    case 7: {
        std::string data;
        value.Clear();
        if (GetClassUtilities().cell.GetCellData(CWebObjRef(this), data)) {
            value.Set(std::string_view(data));
        }
        return true;
    }
    default:
        return false;
    }
}

// ---- CNS6GeneralObj ----

CNS6GeneralObj::CNS6GeneralObj(nsIDOMNode* node, const CWebObjRef& owningFrame)
    : CNS6Obj(node, owningFrame) {
    SetUtil(&GetClassUtilities().generalObj);
    CWebRunTimeID id = RunTimeID();
    id.SetFourth(0);
    SetId(id);
}

bool CNS6GeneralObj::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    if (GetElementNode() == nullptr) {
        return false;
    }
    TableHit hit = FindProperty(kGeneralProperties, name, position);
    if (hit.index < 0) {
        return CNS6Obj::GetPropertyAt(name, value, hit.passOn);
    }
    CWebVariantList inner;
    GetProperty("inner_text", inner);
    const std::string* innerText = FirstString(inner);
    switch (hit.index) {
    case 0:
        if (innerText != nullptr && !innerText->empty()) {
            SetString(value, *innerText);
            return true;
        }
        value.Clear();
        return GetProperty("class_name", value);
    case 1: {
        std::string text = innerText != nullptr ? *innerText : std::string();
        std::replace(text.begin(), text.end(), static_cast<char>(0xA0), ' ');
        CWebObjUtil::CleanText(text, false);
        SetString(value, text);
        return true;
    }
    case 2:
        SetInteger(value, 1);
        return true;
    default:
        return false;
    }
}
