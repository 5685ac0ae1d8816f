#include "agent/controls/CNS6List.h"

#include "agent/channel/RequestArgs.h"
#include "agent/classutil/ClassUtilities.h"
#include "agent/controls/internal/ControlProperties.h"
#include "agent/model/CNS6Frame.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"

#include <optional>

using namespace controls;

namespace {

constexpr nsresult kInvalidArgument = 0x80070057u;
constexpr nsresult kFailure = 0x80004005u;

std::string LocalName(nsIDOMNode* node) {
    return ReadText(node, &nsIDOMNode::GetLocalName).value_or("");
}

// The items of a list, read from the DOM at the moment of the call: the
// options of an HTML select, or the child elements of a XUL tree's item
// container. A page may remove items at any time, so every access checks
// its position against the live count.
class ListItems {
public:
    explicit ListItems(nsIDOMNode* list) {
        m_Select = do_QueryInterface(list);
        if (m_Select) {
            m_Select->GetOptions(getter_AddRefs(m_Options));
            return;
        }
        m_Tree = do_QueryInterface(list);
        if (m_Tree) {
            FindXulItems(list);
        }
    }

    bool IsHtml() const { return m_Select != nullptr; }
    bool IsXul() const { return m_Tree != nullptr; }
    // A list of either kind whose items can be read.
    bool IsReadable() const { return m_Options != nullptr || m_XulItems.has_value(); }
    nsIDOMHTMLSelectElement* Select() const { return m_Select.get(); }
    nsIDOMXULTreeElement* Tree() const { return m_Tree.get(); }

    uint32_t Count() const {
        if (m_Options) {
            PRUint32 length = 0;
            return NS_SUCCEEDED(m_Options->GetLength(&length)) ? length : 0;
        }
        return m_XulItems ? static_cast<uint32_t>(m_XulItems->size()) : 0;
    }

    nsCOMPtr<nsIDOMNode> At(uint32_t index) const {
        nsCOMPtr<nsIDOMNode> item;
        if (m_Options) {
            m_Options->Item(index, getter_AddRefs(item));
        } else if (m_XulItems && index < m_XulItems->size()) {
            item = (*m_XulItems)[index];
        }
        return item;
    }

    // The item's own text: the option text, or the XUL item's label.
    std::string RawText(nsIDOMNode* item) const {
        if (m_Options) {
            nsCOMPtr<nsIDOMHTMLOptionElement> option = do_QueryInterface(item);
            return ReadText(option.get(), &nsIDOMHTMLOptionElement::GetText).value_or("");
        }
        return GetAttributeText(item, "label");
    }

    // The text the tool knows the item by: an empty text becomes "#n".
    std::string Text(nsIDOMNode* item, uint32_t index) const {
        std::string text = RawText(item);
        return text.empty() ? "#" + std::to_string(index) : text;
    }

    bool IsSelected(nsIDOMNode* item) const {
        if (m_Options) {
            nsCOMPtr<nsIDOMHTMLOptionElement> option = do_QueryInterface(item);
            return ReadFlag(option.get(), &nsIDOMHTMLOptionElement::GetSelected).value_or(false);
        }
        return HasNonEmptyAttribute(item, "selected");
    }

private:
    void FindXulItems(nsIDOMNode* list) {
        nsCOMPtr<nsIDOMNode> child;
        list->GetFirstChild(getter_AddRefs(child));
        while (child) {
            if (EqualsIgnoringCase(LocalName(child.get()), "treechildren")) {
                m_XulItems.emplace();
                nsCOMPtr<nsIDOMNode> item;
                child->GetFirstChild(getter_AddRefs(item));
                while (item) {
                    if (!GetTagName(item.get()).empty()) {
                        m_XulItems->push_back(item);
                    }
                    nsCOMPtr<nsIDOMNode> next;
                    item->GetNextSibling(getter_AddRefs(next));
                    item = next;
                }
                return;
            }
            nsCOMPtr<nsIDOMNode> next;
            child->GetNextSibling(getter_AddRefs(next));
            child = next;
        }
    }

    nsCOMPtr<nsIDOMHTMLSelectElement> m_Select;
    nsCOMPtr<nsIDOMHTMLCollection> m_Options;
    nsCOMPtr<nsIDOMXULTreeElement> m_Tree;
    std::optional<std::vector<nsCOMPtr<nsIDOMNode>>> m_XulItems;
};

std::optional<std::string> ListName(nsIDOMNode* node) {
    if (nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(node)) {
        return ReadText(select.get(), &nsIDOMHTMLSelectElement::GetName);
    }
    if (nsCOMPtr<nsIDOMXULTreeElement> tree = do_QueryInterface(node)) {
        return GetAttributeText(node, "name");
    }
    return std::nullopt;
}

} // namespace

CNS6List::CNS6List(nsIDOMNode* node, const CWebObjRef& frame) : CNS6StdObj(node, frame) {
    // No utility of its own: the list box and the combo box attach theirs.
}

bool CNS6List::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    static constexpr std::array<OwnProperty<CNS6List>, 14> kOwn{{
        {"name", &CNS6List::ReadName},
        {"selection", &CNS6List::ReadSelection},
        {"option_list", &CNS6List::ReadOptionList},
        {"record_selection", &CNS6List::ReadRecordSelection},
        {"record_command", &CNS6List::ReadRecordCommand},
        {"is_multiple", &CNS6List::ReadIsMultiple},
        {"handle", &CNS6List::ReadHandle},
        {"IsIgnored", &CNS6List::ReadIsIgnored},
        {"element_name", &CNS6List::ReadElementName},
        {"options_rect", &CNS6List::ReadOptionsRect},
        {"visible_items", &CNS6List::ReadVisibleItems},
        {"count_items", &CNS6List::ReadCountItems},
        {"selected_index", &CNS6List::ReadSelectedIndex},
        {"enabled", &CNS6List::ReadEnabled},
    }};
    if (SelectOwnProperty(*this, kOwn, name, value, position)) {
        return true;
    }
    return CNS6StdObj::GetPropertyAt(name, value, position);
}

bool CNS6List::ListQuery(std::string_view keyword, CWebVariantList& value) {
    ListItems items(DomNode());
    if (!items.IsReadable()) {
        value.Clear();
        return false;
    }
    const uint32_t count = items.Count();
    if (keyword == "NumOfItems") {
        value.Set(static_cast<int32_t>(count));
        return true;
    }
    if (keyword == "Selection" || keyword == "All Items") {
        const bool selectedOnly = keyword == "Selection";
        std::string joined;
        bool first = true;
        for (uint32_t i = 0; i < count; ++i) {
            nsCOMPtr<nsIDOMNode> item = items.At(i);
            if (!item) {
                continue;
            }
            if (!selectedOnly) {
                joined += items.RawText(item.get());
            } else if (items.IsSelected(item.get())) {
                if (!first) {
                    joined.push_back(kItemSeparator);
                }
                joined += items.Text(item.get(), i);
                first = false;
            }
        }
        value.Set(joined);
        return true;
    }
    if (keyword == "Item to Num") {
        const CWebVariant* wanted = value.GetAt(0);
        if (value.GetType() == WebVariantType::String && wanted != nullptr) {
            const std::string text = wanted->GetString();
            for (uint32_t i = 0; i < count; ++i) {
                nsCOMPtr<nsIDOMNode> item = items.At(i);
                if (item && items.Text(item.get(), i) == text) {
                    value.Set(static_cast<int32_t>(i));
                    return true;
                }
            }
        }
        value.Clear();
        return false;
    }
    if (keyword == "Num to Item" || keyword == "Num to Rect") {
        const CWebVariant* wanted = value.GetAt(0);
        nsCOMPtr<nsIDOMNode> item;
        if (value.GetType() == WebVariantType::Integer && wanted != nullptr &&
            wanted->GetInteger() >= 0 && static_cast<uint32_t>(wanted->GetInteger()) < count) {
            item = items.At(static_cast<uint32_t>(wanted->GetInteger()));
        }
        value.Clear();
        if (!item) {
            return false;
        }
        if (keyword == "Num to Item") {
            value.Set(items.RawText(item.get()));
            return true;
        }
        RECT rect{};
        if (!GetRect(item.get(), rect)) {
            return false;
        }
        value.Set(rect);
        return true;
    }
    if (keyword == "Options Rect") {
        // A list of one item spans that item alone.
        value.Clear();
        nsCOMPtr<nsIDOMNode> firstItem = count > 0 ? items.At(0) : nullptr;
        nsCOMPtr<nsIDOMNode> lastItem = count > 0 ? items.At(count - 1) : nullptr;
        RECT top{};
        RECT bottom{};
        if (!firstItem || !lastItem || !GetRect(firstItem.get(), top) ||
            !GetRect(lastItem.get(), bottom)) {
            return false;
        }
        value.Set(RECT{top.left, top.top, top.right, bottom.bottom});
        return true;
    }
    value.Clear();
    return false;
}

void CNS6List::ReadName(CWebVariantList& value) {
    std::optional<std::string> name = ListName(DomNode());
    value.Set(name && !name->empty() ? *name : std::string("select"));
}

void CNS6List::ReadSelection(CWebVariantList& value) {
    ListQuery("Selection", value);
}

void CNS6List::ReadOptionList(CWebVariantList& value) {
    ListQuery("All Items", value);
}

void CNS6List::ReadRecordedString(CWebVariantList& value, int which) {
    CNS6Frame* owner = OwnerFrame();
    if (owner == nullptr) {
        SetNotApplicable(value);
        return;
    }
    std::string items;
    std::string command;
    owner->LookupRecordedState(RunTimeID(), nullptr, &items, &command);
    value.Set(which == 2 ? items : command);
}

void CNS6List::ReadRecordSelection(CWebVariantList& value) {
    ReadRecordedString(value, 2);
}

void CNS6List::ReadRecordCommand(CWebVariantList& value) {
    ReadRecordedString(value, 3);
}

void CNS6List::ReadIsMultiple(CWebVariantList& value) {
    if (nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(DomNode())) {
        value.Set(
            ReadFlag(select.get(), &nsIDOMHTMLSelectElement::GetMultiple).value_or(false) ? 1 : 0);
    } else if (nsCOMPtr<nsIDOMXULTreeElement> tree = do_QueryInterface(DomNode())) {
        value.Set(HasNonEmptyAttribute(DomNode(), "multiple") ? 1 : 0);
    } else {
        value.Set(0);
    }
}

void CNS6List::ReadHandle(CWebVariantList& value) {
    if (m_Handle == 0) {
        m_Handle = GetClassUtilities().stdObj.GetNativeWindowHandle(*this);
    }
    value.Set(m_Handle);
}

void CNS6List::ReadIsIgnored(CWebVariantList& value) {
    value.Set(1);
}

void CNS6List::ReadElementName(CWebVariantList& value) {
    if (std::optional<std::string> name = ListName(DomNode())) {
        value.Set(*name);
    } else {
        SetNotApplicable(value);
    }
}

void CNS6List::ReadOptionsRect(CWebVariantList& value) {
    ListItems items(DomNode());
    if (items.IsHtml() && items.Count() == 0) {
        SetNotApplicable(value);
        return;
    }
    if (!ListQuery("Options Rect", value) && !items.IsHtml()) {
        SetNotApplicable(value);
    }
}

void CNS6List::ReadVisibleItems(CWebVariantList& value) {
    if (nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(DomNode())) {
        const int32_t size =
            ReadNumber(select.get(), &nsIDOMHTMLSelectElement::GetSize).value_or(0);
        value.Set(size > 0 ? size : 1);
        return;
    }
    if (!ListQuery("NumOfItems", value)) {
        SetNotApplicable(value);
    }
}

void CNS6List::ReadCountItems(CWebVariantList& value) {
    if (!ListQuery("NumOfItems", value)) {
        SetNotApplicable(value);
    }
}

void CNS6List::ReadSelectedIndex(CWebVariantList& value) {
    ListItems items(DomNode());
    if (items.IsHtml()) {
        value.Set(
            ReadNumber(items.Select(), &nsIDOMHTMLSelectElement::GetSelectedIndex).value_or(-1));
        return;
    }
    int32_t selected = -1;
    const uint32_t count = items.Count();
    for (uint32_t i = 0; i < count && selected < 0; ++i) {
        nsCOMPtr<nsIDOMNode> item = items.At(i);
        if (item && items.IsSelected(item.get())) {
            selected = static_cast<int32_t>(i);
        }
    }
    value.Set(selected);
}

void CNS6List::ReadEnabled(CWebVariantList& value) {
    bool disabled = false;
    if (nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(DomNode())) {
        disabled = ReadFlag(select.get(), &nsIDOMHTMLSelectElement::GetDisabled).value_or(false);
    } else {
        disabled = IsXulDisabled(DomNode());
    }
    value.Set(disabled ? 0 : 1);
}

bool CNS6List::CallMethod(std::string_view method, CWebInfo& record) {
    if (method == "ItemToNum") {
        Convert(record, "item_text", "Item to Num", "item_num");
    } else if (method == "NumToItem") {
        Convert(record, "item_num", "Num to Item", "item_text");
    } else if (method == "NumtoRect") {
        Convert(record, "item_num", "Num to Rect", "item_rect");
    } else if (method == "IsRecordEnabled") {
        IsRecordEnabled(record);
    } else if (method == "ListSelect") {
        ReplaySelection(record, Replay::Select);
    } else if (method == "ListExtendSelect") {
        ReplaySelection(record, Replay::Extend);
    } else if (method == "ListDeselect") {
        ReplaySelection(record, Replay::Deselect);
    } else {
        return CNS6StdObj::CallMethod(method, record);
    }
    return true;
}

void CNS6List::Convert(CWebInfo& record, std::string_view inName, std::string_view keyword,
                       std::string_view outName) {
    const CWebVariantList* argument = record.FindAttr(inName);
    CWebVariantList value = argument != nullptr ? *argument : CWebVariantList();
    if (argument == nullptr || !ListQuery(keyword, value)) {
        record.SetRetValue(kInvalidArgument);
        return;
    }
    record.SetAttr(outName, value);
    record.SetRetValue(0);
}

void CNS6List::IsRecordEnabled(CWebInfo& record) {
    record.SetRetValue(kFailure);
    CNS6Frame* owner = OwnerFrame();
    if (owner == nullptr) {
        return;
    }
    std::string old;
    owner->LookupRecordedState(RunTimeID(), &old);
    std::string items = old;
    std::string command = "list_select_item";
    CWebVariantList now;
    GetProperty("selection", now);
    record.SetRetValue(1);
    if (now.GetType() == WebVariantType::String && !now.IsEmpty() &&
        now.GetAt(0)->GetString() != old) {
        const std::string& selection = now.GetAt(0)->GetString();
        CWebSelectElementUtil::ListStatement(old, selection, items, command);
        old = selection;
    }
    owner->StoreRecordedState(RunTimeID(), old, items, command);
    record.SetRetValue(0);
}

void CNS6List::ReplaySelection(CWebInfo& record, Replay replay) {
    const CWebVariantList* argument = record.FindAttr("value");
    if (argument == nullptr || argument->IsEmpty()) {
        record.SetRetValue(kFailure);
        return;
    }
    ListItems items(DomNode());
    if (items.IsHtml()) {
        record.SetRetValue(ReplayHtml(record, replay));
    } else if (items.IsXul()) {
        record.SetRetValue(ReplayXul(record, replay));
    } else {
        record.SetRetValue(kFailure);
    }
}

nsresult CNS6List::ReplayHtml(CWebInfo& record, Replay replay) {
    ListItems items(DomNode());
    if (!items.IsReadable()) {
        return 0; // a select without options collection: nothing to do
    }
    std::optional<int32_t> wanted = IntegerArg(record, "value");
    if (!wanted) {
        return kInvalidArgument;
    }
    const uint32_t count = items.Count();
    if (*wanted < 0 || static_cast<uint32_t>(*wanted) >= count) {
        return kFailure;
    }
    nsCOMPtr<nsIDOMHTMLOptionElement> option =
        do_QueryInterface(items.At(static_cast<uint32_t>(*wanted)));
    if (!option ||
        ReadNumber(option.get(), &nsIDOMHTMLOptionElement::GetIndex).value_or(-1) != *wanted) {
        return kFailure;
    }
    switch (replay) {
    case Replay::Select:
        for (uint32_t i = 0; i < count; ++i) {
            if (nsCOMPtr<nsIDOMHTMLOptionElement> other = do_QueryInterface(items.At(i))) {
                other->SetSelected(PR_FALSE);
            }
        }
        return items.Select()->SetSelectedIndex(*wanted);
    case Replay::Extend:
        return option->SetSelected(PR_TRUE);
    case Replay::Deselect:
        return option->SetSelected(PR_FALSE);
    }
    return kFailure;
}

nsresult CNS6List::ReplayXul(CWebInfo& record, Replay replay) {
    ListItems items(DomNode());
    std::optional<int32_t> wanted = IntegerArg(record, "value");
    if (!wanted) {
        return kInvalidArgument;
    }
    if (*wanted < 0 || static_cast<uint32_t>(*wanted) >= items.Count()) {
        return kFailure;
    }
    nsCOMPtr<nsIDOMXULElement> item = do_QueryInterface(items.At(static_cast<uint32_t>(*wanted)));
    if (!item) {
        return kFailure;
    }
    nsIDOMXULTreeElement* tree = items.Tree();
    switch (replay) {
    case Replay::Select:
        tree->ClearItemSelection();
        return tree->SelectItem(item.get());
    case Replay::Extend:
        return tree->AddItemToSelection(item.get());
    case Replay::Deselect:
        return tree->RemoveItemFromSelection(item.get());
    }
    return kFailure;
}

CNS6ListBox::CNS6ListBox(nsIDOMNode* node, const CWebObjRef& frame) : CNS6List(node, frame) {
    SetUtil(&GetClassUtilities().listBox);
}

CNS6ComboBox::CNS6ComboBox(nsIDOMNode* node, const CWebObjRef& frame) : CNS6List(node, frame) {
    SetUtil(&GetClassUtilities().comboBox);
}
