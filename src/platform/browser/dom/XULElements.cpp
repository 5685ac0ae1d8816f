#include "platform/browser/dom/XULElements.h"

#include "platform/browser/dom/Events.h"
#include "platform/browser/dom/HTMLElements.h"

#include <algorithm>

namespace dom {

namespace {

bool IsTrue(const Element& element, std::u16string_view name) {
    const nsString* value = element.FindAttribute(name);
    return value && *value == u"true";
}

bool IsXULTag(const Node* node, std::u16string_view localName) {
    return node && node->IsElement() && !static_cast<const Element*>(node)->IsHTML() &&
           static_cast<const Element*>(node)->LocalName() == localName;
}

// A XUL element's laid-out box, as the layout gave it when asked.
class BoxObject final : public nsSupportsImpl<BoxObject, nsIBoxObject> {
public:
    BoxObject(Element& element, XulBox box) : m_element(&element), m_box(box) {}

    nsresult GetElement(nsIDOMElement** element) override {
        return ReturnNode(m_element.get(), element);
    }
    nsresult GetX(PRInt32* x) override { return Answer(m_box.box.left, x); }
    nsresult GetY(PRInt32* y) override { return Answer(m_box.box.top, y); }
    nsresult GetScreenX(PRInt32* x) override { return Answer(m_box.screenX, x); }
    nsresult GetScreenY(PRInt32* y) override { return Answer(m_box.screenY, y); }
    nsresult GetWidth(PRInt32* width) override { return Answer(m_box.box.width, width); }
    nsresult GetHeight(PRInt32* height) override { return Answer(m_box.box.height, height); }

private:
    static nsresult Answer(int32_t value, PRInt32* out) {
        if (!out)
            return NS_ERROR_NULL_POINTER;
        *out = value;
        return NS_OK;
    }

    NodeRef m_element;
    XulBox m_box;
};

void FireMouse(EventTargetCore& target, std::u16string_view type) {
    nsCOMPtr<nsIDOMEvent> event = NewEvent(EventKind::Mouse, type, Bubbles::Yes, Cancelable::Yes);
    if (event)
        DispatchDOMEvent(target, event, nullptr);
}

template <typename Derived, typename Primary, typename... Extra>
class XULElementFace : public ElementFace<Element, Derived, Primary, Extra...> {
    using Base = ElementFace<Element, Derived, Primary, Extra...>;

public:
    XULElementFace(std::shared_ptr<DocumentLink> link, std::u16string_view tag)
        : Base(std::move(link), ElementNamespace::XUL, nsString(tag)) {}

    nsresult GetId(nsAString& id) override { return this->ReflectString(u"id", id); }
    nsresult GetClassName(nsAString& className) override {
        return this->ReflectString(u"class", className);
    }
    nsresult GetBoxObject(nsIBoxObject** box) override {
        if (!box)
            return NS_ERROR_NULL_POINTER;
        *box = nullptr;
        Document* document = this->OwnerDocument();
        LayoutHook* layout = document ? document->Layout() : nullptr;
        std::optional<XulBox> laidOut = layout ? layout->BoxObject(*this) : std::nullopt;
        if (!laidOut)
            return NS_ERROR_NOT_AVAILABLE;
        *box = new BoxObject(*this, *laidOut);
        (*box)->AddRef();
        return NS_OK;
    }
    nsresult Click() override {
        if (IsTrue(*this, u"disabled"))
            return NS_OK;
        // Listeners may drop the element.
        NodeRef keepAlive(this);
        if (this->LocalName() == u"checkbox") {
            if (IsTrue(*this, u"checked"))
                Element::RemoveAttribute(u"checked");
            else
                Element::SetAttribute(u"checked", u"true");
        } else if (this->LocalName() == u"radio") {
            CheckRadio();
        }
        FireMouse(*this, u"mousedown");
        FireMouse(*this, u"mouseup");
        FireMouse(*this, u"click");
        return NS_OK;
    }
    nsresult DoCommand() override {
        if (IsTrue(*this, u"disabled"))
            return NS_OK;
        NodeRef keepAlive(this);
        // Choosing a check or radio menu item changes its mark first.
        if (this->LocalName() == u"menuitem" && this->Attribute(u"autocheck") != u"false") {
            nsString type = this->Attribute(u"type");
            if (type == u"checkbox") {
                if (IsTrue(*this, u"checked"))
                    Element::RemoveAttribute(u"checked");
                else
                    Element::SetAttribute(u"checked", u"true");
            } else if (type == u"radio") {
                CheckMenuRadio();
            }
        }
        FireEvent(*this, u"command", true, true);
        return NS_OK;
    }
    nsresult Focus() override {
        FocusElement(*this);
        return NS_OK;
    }
    nsresult Blur() override {
        BlurElement(*this);
        return NS_OK;
    }

private:
    // Checks this radio menu item and unchecks the others of its menu with
    // the same name.
    void CheckMenuRadio() {
        nsString name = this->Attribute(u"name");
        if (Node* menu = this->Parent()) {
            for (size_t i = 0; i < menu->ChildCount(); ++i) {
                Node* other = menu->ChildAt(i);
                if (other != this && IsXULTag(other, u"menuitem") &&
                    static_cast<Element*>(other)->Attribute(u"type") == u"radio" &&
                    static_cast<Element*>(other)->Attribute(u"name") == name)
                    static_cast<Element*>(other)->RemoveAttribute(u"checked");
            }
        }
        Element::SetAttribute(u"checked", u"true");
    }
    // Checks this radio and unchecks the others of its radio group.
    void CheckRadio() {
        Element* group = this->ClosestWithTag(u"radiogroup");
        if (group) {
            for (Node* node = group; node; node = node->NextInTree(group)) {
                if (node != this && IsXULTag(node, u"radio"))
                    static_cast<Element*>(node)->RemoveAttribute(u"checked");
            }
        }
        Element::SetAttribute(u"checked", u"true");
    }
};

class XULElement final : public XULElementFace<XULElement, nsIDOMXULElement> {
public:
    using XULElementFace::XULElementFace;
};

class XULTreeElement final : public XULElementFace<XULTreeElement, nsIDOMXULTreeElement> {
public:
    using XULElementFace::XULElementFace;

    // The items: the treeitem children of the first treechildren child.
    static void GatherItems(Node& tree, std::vector<Node*>& items) {
        for (size_t i = 0; i < tree.ChildCount(); ++i) {
            Node* child = tree.ChildAt(i);
            if (!IsXULTag(child, u"treechildren"))
                continue;
            for (size_t k = 0; k < child->ChildCount(); ++k) {
                if (IsXULTag(child->ChildAt(k), u"treeitem"))
                    items.push_back(child->ChildAt(k));
            }
            return;
        }
    }

    nsresult GetSelectedItems(nsIDOMNodeList** items) override {
        return ReturnCollection(nsCOMPtr<NodeCollection>(new NodeCollection(
                                    *this,
                                    [](Node& tree, std::vector<Node*>& selected) {
                                        std::vector<Node*> all;
                                        GatherItems(tree, all);
                                        for (Node* item : all) {
                                            if (IsTrue(static_cast<Element&>(*item), u"selected"))
                                                selected.push_back(item);
                                        }
                                    })),
                                items);
    }
    nsresult GetCurrentItem(nsIDOMXULElement** item) override {
        // The current item counts only while it is still one of the items.
        Element* current =
            m_current && IsItem(*m_current) ? static_cast<Element*>(m_current.get()) : nullptr;
        return ReturnNode(current, item);
    }
    nsresult ClearItemSelection() override {
        ClearAll();
        m_current = NodeRef();
        FireSelect();
        return NS_OK;
    }
    nsresult SelectItem(nsIDOMXULElement* item) override {
        Element* element = ItemOf(item);
        if (!element)
            return NS_ERROR_INVALID_ARG;
        ClearAll();
        element->SetAttribute(u"selected", u"true");
        m_current = NodeRef(element);
        FireSelect();
        return NS_OK;
    }
    nsresult AddItemToSelection(nsIDOMXULElement* item) override {
        Element* element = ItemOf(item);
        if (!element)
            return NS_ERROR_INVALID_ARG;
        element->SetAttribute(u"selected", u"true");
        m_current = NodeRef(element);
        FireSelect();
        return NS_OK;
    }
    nsresult RemoveItemFromSelection(nsIDOMXULElement* item) override {
        Element* element = ItemOf(item);
        if (!element)
            return NS_ERROR_INVALID_ARG;
        element->RemoveAttribute(u"selected");
        FireSelect();
        return NS_OK;
    }
    nsresult ToggleItemSelection(nsIDOMXULElement* item) override {
        Element* element = ItemOf(item);
        if (!element)
            return NS_ERROR_INVALID_ARG;
        if (IsTrue(*element, u"selected")) {
            element->RemoveAttribute(u"selected");
        } else {
            element->SetAttribute(u"selected", u"true");
            m_current = NodeRef(element);
        }
        FireSelect();
        return NS_OK;
    }

private:
    bool IsItem(const Node& node) {
        std::vector<Node*> items;
        GatherItems(*this, items);
        return std::find(items.begin(), items.end(), &node) != items.end();
    }
    Element* ItemOf(nsIDOMXULElement* item) {
        Node* node = Node::FromDOM(item);
        return node && IsItem(*node) ? static_cast<Element*>(node) : nullptr;
    }
    void ClearAll() {
        std::vector<Node*> items;
        GatherItems(*this, items);
        for (Node* item : items)
            static_cast<Element*>(item)->RemoveAttribute(u"selected");
    }
    void FireSelect() {
        NodeRef keepAlive(this);
        FireEvent(*this, u"select", true, false);
    }

    NodeRef m_current;
};

class XULTextBoxElement final : public XULElementFace<XULTextBoxElement, nsIDOMXULTextBoxElement> {
public:
    XULTextBoxElement(std::shared_ptr<DocumentLink> link, std::u16string_view tag)
        : XULElementFace(link, tag) {
        SetAnonymous(NewElement(link, ElementNamespace::HTML, u"input"));
    }

    nsresult GetInputField(nsIDOMHTMLInputElement** input) override {
        return ReturnNode(Anonymous(), input);
    }
    nsresult GetValue(nsAString& value) override {
        value.clear();
        nsCOMPtr<nsIDOMHTMLInputElement> input = Input();
        return input ? input->GetValue(value) : NS_ERROR_NOT_AVAILABLE;
    }
    nsresult SetValue(const nsAString& value) override {
        nsCOMPtr<nsIDOMHTMLInputElement> input = Input();
        return input ? input->SetValue(value) : NS_ERROR_NOT_AVAILABLE;
    }
    // The focus goes to the input that holds the text, as typing needs it.
    nsresult Focus() override {
        nsCOMPtr<nsIDOMHTMLInputElement> input = Input();
        return input ? input->Focus() : NS_ERROR_NOT_AVAILABLE;
    }
    nsresult Blur() override {
        nsCOMPtr<nsIDOMHTMLInputElement> input = Input();
        return input ? input->Blur() : NS_ERROR_NOT_AVAILABLE;
    }

protected:
    // The textbox's value and type attributes give the input its default
    // value and its kind (a password box).
    void AttributeChanged(std::u16string_view name) override {
        Element* input = Anonymous();
        if (!input || (name != u"value" && name != u"type"))
            return;
        if (const nsString* value = FindAttribute(name))
            input->SetAttribute(name, *value);
        else
            input->RemoveAttribute(name);
    }
    void CopyStateTo(Element& copy) const override {
        nsString value;
        if (nsCOMPtr<nsIDOMHTMLInputElement> input = Input())
            input->GetValue(value);
        static_cast<XULTextBoxElement&>(copy).SetValue(value);
    }

private:
    nsCOMPtr<nsIDOMHTMLInputElement> Input() const {
        Element* input = Anonymous();
        if (!input)
            return nullptr;
        nsCOMPtr<nsIDOMHTMLInputElement> result = do_QueryInterface(input->AsDOMNode());
        return result;
    }
};

} // namespace

NodeRef NewXULElement(const std::shared_ptr<DocumentLink>& link, std::u16string_view tag) {
    // HTML elements inside chrome markup carry the "html:" prefix.
    if (tag.size() > 5 && EqualsIgnoringAsciiCase(tag.substr(0, 5), u"html:"))
        return NewElement(link, ElementNamespace::HTML, tag.substr(5));
    size_t colon = tag.find(u':');
    std::u16string_view local = colon == std::u16string_view::npos ? tag : tag.substr(colon + 1);
    if (local == u"tree")
        return NodeRef(new XULTreeElement(link, tag));
    if (local == u"textbox")
        return NodeRef(new XULTextBoxElement(link, tag));
    return NodeRef(new XULElement(link, tag));
}

} // namespace dom
