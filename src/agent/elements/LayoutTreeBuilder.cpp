#include "agent/elements/LayoutTreeBuilder.h"

#include "agent/common/DomHelpers.h"
#include "agent/elements/ElementClasses.h"
#include "agent/elements/ElementFactory.h"
#include "agent/elements/internal/DomTree.h"
#include "agent/model/CNS6Frame.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

#include <string>

namespace {

using element_internal::IsElementNode;
using element_internal::ParentElementOf;
using element_internal::ParentOf;

bool WantsSpecific(uint32_t flags) {
    return flags == 0 || (flags & kSpecificObjects) != 0;
}

bool WantsGeneral(uint32_t flags) {
    return flags == 0 || (flags & kGeneralObjects) != 0;
}

// A link with an address and a visible text is a text link.
CWebObjRef LinkDecision(nsIDOMNode* node, const CWebObjRef& parent) {
    nsCOMPtr<nsIDOMHTMLAnchorElement> anchor = do_QueryInterface(node);
    if (!anchor) {
        return {};
    }
    nsString href;
    if (NS_FAILED(anchor->GetHref(href)) || href.empty()) {
        return {};
    }
    std::string text;
    if (!GetNodeText(node, text, TextFlag::Element)) {
        return {};
    }
    TrimLeadingSpace(text);
    TrimTrailingSpace(text);
    if (text.empty()) {
        return {};
    }
    return element_factory::MakeTextLink(node, parent);
}

// An image is an image link when only formatting wrappers stand between it
// and its link, and a plain image otherwise.
CWebObjRef ImageDecision(nsIDOMNode* node, const CWebObjRef& parent) {
    nsCOMPtr<nsIDOMNode> current = node;
    while (true) {
        nsCOMPtr<nsIDOMNode> above = ParentElementOf(current.get());
        if (!above) {
            return {};
        }
        std::string tag = GetTagName(above.get());
        if (EqualsIgnoringCase(tag, "A")) {
            nsCOMPtr<nsIDOMHTMLAnchorElement> anchor = do_QueryInterface(above);
            return anchor ? element_factory::MakeImageLink(node, parent) : CWebObjRef();
        }
        if (!IsImageWrapperTag(tag)) {
            return element_factory::MakeImage(node, parent);
        }
        current = above;
    }
}

CWebObjRef InputDecision(nsIDOMNode* node, const CWebObjRef& parent) {
    std::string type;
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(node);
    nsString hostType;
    if (input && NS_SUCCEEDED(input->GetType(hostType))) {
        type = ToNarrow(hostType);
    } else {
        type = GetAttributeText(node, "type");
    }
    if (EqualsIgnoringCase(type, "SUBMIT") || EqualsIgnoringCase(type, "RESET") ||
        EqualsIgnoringCase(type, "BUTTON")) {
        return element_factory::MakePushButton(node, parent);
    }
    if (EqualsIgnoringCase(type, "RADIO")) {
        return element_factory::MakeRadioButton(node, parent);
    }
    if (EqualsIgnoringCase(type, "CHECKBOX")) {
        return element_factory::MakeCheckButton(node, parent);
    }
    if (EqualsIgnoringCase(type, "IMAGE")) {
        return element_factory::MakeImageButton(node, parent);
    }
    if (EqualsIgnoringCase(type, "FILE")) {
        return element_factory::MakeFile(node, parent);
    }
    // Empty, "HIDDEN", "TEXT", "TEXTAREA", "PASSWORD" and anything else.
    return element_factory::MakeEdit(node, parent);
}

// A select showing one line (size 1, 0 or -1) of a single choice is a combo
// box; anything else a list box.
CWebObjRef SelectDecision(nsIDOMNode* node, const CWebObjRef& parent) {
    nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(node);
    if (!select) {
        return {};
    }
    PRInt32 size = 0;
    if (NS_FAILED(select->GetSize(&size))) {
        size = 0;
    }
    PRBool multiple = PR_FALSE;
    if (NS_FAILED(select->GetMultiple(&multiple))) {
        multiple = PR_FALSE;
    }
    if ((size == 1 || size == 0 || size == -1) && !multiple) {
        return element_factory::MakeComboBox(node, parent);
    }
    return element_factory::MakeListBox(node, parent);
}

CWebObjRef Classify(nsIDOMNode* node, const CWebObjRef& parent, std::string_view tag,
                    const LayoutPosition& position, bool imageAllowed) {
    if (EqualsIgnoringCase(tag, "A")) {
        return LinkDecision(node, parent);
    }
    if (EqualsIgnoringCase(tag, "IMG") || EqualsIgnoringCase(tag, "image")) {
        return imageAllowed ? ImageDecision(node, parent) : CWebObjRef();
    }
    if (EqualsIgnoringCase(tag, "TD") || EqualsIgnoringCase(tag, "TH")) {
        return element_factory::MakeCell(node, parent, position.table, position.row);
    }
    if (EqualsIgnoringCase(tag, "TR")) {
        return element_factory::MakeRow(node, parent, position.table, position.row);
    }
    if (EqualsIgnoringCase(tag, "TABLE")) {
        return element_factory::MakeTable(node, parent, position.table);
    }
    if (EqualsIgnoringCase(tag, "INPUT") || EqualsIgnoringCase(tag, "textfield") ||
        EqualsIgnoringCase(tag, "textbox")) {
        return InputDecision(node, parent);
    }
    if (EqualsIgnoringCase(tag, "radio")) {
        return element_factory::MakeRadioButton(node, parent);
    }
    if (EqualsIgnoringCase(tag, "checkbox")) {
        return element_factory::MakeCheckButton(node, parent);
    }
    if (EqualsIgnoringCase(tag, "TEXTAREA")) {
        return element_factory::MakeEdit(node, parent);
    }
    if (EqualsIgnoringCase(tag, "BUTTON")) {
        return element_factory::MakePushButton(node, parent);
    }
    if (EqualsIgnoringCase(tag, "SELECT")) {
        return SelectDecision(node, parent);
    }
    if (EqualsIgnoringCase(tag, "TREE") || EqualsIgnoringCase(tag, "listbox")) {
        return element_factory::MakeListBox(node, parent);
    }
    // "OBJECT" and every other tag.
    return {};
}

// The frame object above `object` (the object itself when it is one). Frame
// and page objects are the objects of class "html_frame"; telling them by
// their type keeps this free of the pattern matcher.
CNS6Frame* EnclosingFrame(const CWebObjRef& object) {
    for (CWebObjRef current = object; current; current = current->GetParent()) {
        if (auto* frame = dynamic_cast<CNS6Frame*>(current.Get())) {
            return frame;
        }
    }
    return nullptr;
}

} // namespace

CWebObjRef CLayoutTreeBuilder::CreateElementObject(nsIDOMNode* node, const CWebObjRef& parent,
                                                   LayoutPosition position, MapImage mapImage) {
    if (node == nullptr || !parent) {
        return {};
    }
    std::string tag = GetTagName(node);
    nsCOMPtr<nsIDOMNode> resolved = ResolveImageMapNode(node, parent, tag);
    if (!resolved) {
        return {};
    }
    const bool unchanged = resolved.get() == node;
    if (!unchanged) {
        tag = GetTagName(resolved.get());
    }
    if (tag.empty()) {
        return {};
    }
    CWebObjRef object;
    if (WantsSpecific(position.flags)) {
        object = Classify(resolved.get(), parent, tag, position,
                          mapImage == MapImage::Allow || unchanged);
    }
    if (!object && WantsGeneral(position.flags) && !EqualsIgnoringCase(tag, "OPTION")) {
        object = element_factory::MakeGeneral(resolved.get(), parent);
    }
    return object;
}

CWebObjRef CLayoutTreeBuilder::ObjectForNode(nsIDOMNode* node, const CWebObjRef& parent,
                                             uint32_t flags, MapImage mapImage) {
    return CreateElementObject(node, parent, LayoutPosition{-1, -1, flags}, mapImage);
}

nsCOMPtr<nsIDOMNode> CLayoutTreeBuilder::ResolveImageMapNode(nsIDOMNode* node,
                                                             const CWebObjRef& parent) {
    return ResolveImageMapNode(node, parent, GetTagName(node));
}

nsCOMPtr<nsIDOMNode> CLayoutTreeBuilder::ResolveImageMapNode(nsIDOMNode* node,
                                                             const CWebObjRef& parent,
                                                             std::string_view tag) {
    nsCOMPtr<nsIDOMNode> start(node);
    if (tag.empty()) {
        return start;
    }
    nsCOMPtr<nsIDOMNode> map = start;
    if (EqualsIgnoringCase(tag, "AREA")) {
        map = nullptr;
        for (nsCOMPtr<nsIDOMNode> above = ParentOf(node); above;) {
            if (!IsElementNode(above.get())) {
                return start;
            }
            std::string aboveTag = GetTagName(above.get());
            if (aboveTag.empty()) {
                return start;
            }
            if (EqualsIgnoringCase(aboveTag, "MAP")) {
                map = above;
                break;
            }
            above = ParentOf(above.get());
        }
        if (!map) {
            return start;
        }
    } else if (!EqualsIgnoringCase(tag, "MAP")) {
        return start;
    }
    CNS6Frame* frame = EnclosingFrame(parent);
    if (frame == nullptr) {
        return map;
    }
    nsCOMPtr<nsIDOMHTMLMapElement> mapElement = do_QueryInterface(map);
    nsString hostName;
    if (!mapElement || NS_FAILED(mapElement->GetName(hostName)) || hostName.empty()) {
        return map;
    }
    const std::string name = ToNarrow(hostName);
    nsCOMPtr<nsIDOMDocument> document = frame->GetDocument();
    if (!document) {
        return nullptr;
    }
    nsCOMPtr<nsIDOMNodeList> images;
    if (NS_FAILED(document->GetElementsByTagName(u"IMG", getter_AddRefs(images))) || !images) {
        return map;
    }
    PRUint32 length = 0;
    images->GetLength(&length);
    for (PRUint32 i = 0; i < length; ++i) {
        nsCOMPtr<nsIDOMNode> item;
        images->Item(i, getter_AddRefs(item));
        nsCOMPtr<nsIDOMHTMLImageElement> image = do_QueryInterface(item);
        nsString useMap;
        if (image && NS_SUCCEEDED(image->GetUseMap(useMap)) &&
            ToNarrow(useMap).find(name) != std::string::npos) {
            return item;
        }
    }
    return map;
}

bool CLayoutTreeBuilder::CollectElementObjects(nsIDOMNode* root, const CWebObjRef& parent,
                                               std::vector<CWebObjRef>& out, uint32_t flags) {
    m_TableCounter = -1;
    return Walk(root, parent, out, flags);
}

// The walk keeps its own stack, so that deeply nested pages cannot exhaust
// the thread's stack. Every level walks the children of one node with a
// position: a table's children get a new position of their own, any other
// node's children share the position of the level the node is on (so rows
// inside row groups keep counting the table's rows).
bool CLayoutTreeBuilder::Walk(nsIDOMNode* root, const CWebObjRef& parent,
                              std::vector<CWebObjRef>& out, uint32_t flags) {
    struct Level {
        nsCOMPtr<nsIDOMNode> next; // the next child to visit
        size_t position;           // index into `positions`
        bool ownsPosition;         // the level of a table's children
    };
    if (root == nullptr) {
        return false;
    }
    nsCOMPtr<nsIDOMNode> first;
    if (NS_FAILED(root->GetFirstChild(getter_AddRefs(first)))) {
        return false;
    }
    std::vector<LayoutPosition> positions{LayoutPosition{-1, -1, flags}};
    std::vector<Level> stack;
    stack.push_back(Level{first, 0, false});
    while (!stack.empty()) {
        Level& level = stack.back();
        if (!level.next) {
            if (level.ownsPosition) {
                positions.pop_back();
            }
            stack.pop_back();
            continue;
        }
        nsCOMPtr<nsIDOMNode> child = level.next;
        nsCOMPtr<nsIDOMNode> sibling;
        child->GetNextSibling(getter_AddRefs(sibling));
        level.next = sibling;
        const size_t enclosing = level.position;

        bool isTable = false;
        LayoutPosition position = positions[enclosing];
        if (IsElementNode(child.get())) {
            std::string tag = GetTagName(child.get());
            if (EqualsIgnoringCase(tag, "TABLE")) {
                isTable = true;
                ++m_TableCounter;
                position = LayoutPosition{m_TableCounter, -1, flags};
            } else if (EqualsIgnoringCase(tag, "TR")) {
                ++positions[enclosing].row;
                position = positions[enclosing];
            }
        }
        if (CWebObjRef object =
                CreateElementObject(child.get(), parent, position, MapImage::Disallow)) {
            out.push_back(std::move(object));
        }
        nsCOMPtr<nsIDOMNode> grandchild;
        if (NS_SUCCEEDED(child->GetFirstChild(getter_AddRefs(grandchild))) && grandchild) {
            if (isTable) {
                positions.push_back(position);
                stack.push_back(Level{grandchild, positions.size() - 1, true});
            } else {
                stack.push_back(Level{grandchild, enclosing, false});
            }
        }
    }
    return true;
}

CWebObjRef CLayoutTreeBuilder::FindRecordableObject(nsIDOMNode* node, const CWebObjRef& parent,
                                                    TableCheck tableCheck) {
    if (node == nullptr || !parent) {
        return {};
    }
    nsCOMPtr<nsIDOMNode> current(node);
    while (current) {
        CWebObjRef object = ObjectForNode(current.get(), parent, kSpecificObjects, MapImage::Allow);
        if (object) {
            if (tableCheck == TableCheck::No) {
                return object;
            }
            CWebVariantList classes;
            object->GetProperty("class", classes);
            const CWebVariant* first = classes.GetAt(0);
            if (classes.GetType() != WebVariantType::String || first == nullptr) {
                return {};
            }
            if (first->GetString() != "html_table" || current.get() == node) {
                return object;
            }
        }
        current = ParentElementOf(current.get());
    }
    if (tableCheck == TableCheck::Yes) {
        return ObjectForNode(node, parent, 0, MapImage::Allow);
    }
    return {};
}

nsCOMPtr<nsIDOMNode> CLayoutTreeBuilder::NearestSignificantElement(nsIDOMNode* node) {
    if (node == nullptr) {
        return nullptr;
    }
    if (IsElementNode(node)) {
        return nsCOMPtr<nsIDOMNode>(node);
    }
    for (nsCOMPtr<nsIDOMNode> above = ParentOf(node); above; above = ParentOf(above.get())) {
        if (!IsElementNode(above.get())) {
            continue;
        }
        if (!IsEventTargetWrapperTag(GetTagName(above.get()))) {
            return above;
        }
    }
    return nullptr;
}
