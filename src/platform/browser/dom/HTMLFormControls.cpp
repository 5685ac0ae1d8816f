#include "platform/browser/dom/HTMLFormControls.h"

#include <functional>

namespace dom {

namespace {

bool IsHTMLTag(const Node* node, std::u16string_view lowerTag) {
    return node && node->IsElement() && static_cast<const Element*>(node)->IsHTML() &&
           static_cast<const Element*>(node)->HasTag(lowerTag);
}

// The FORM element a control belongs to: its nearest FORM ancestor.
Element* FormOf(Element& control) {
    Node* parent = control.Parent();
    if (!parent || !parent->IsElement())
        return nullptr;
    return static_cast<Element*>(parent)->ClosestWithTag(u"form");
}

nsresult ReturnForm(Element* form, nsIDOMHTMLFormElement** out) {
    return ReturnNode(form, out);
}

nsresult ReturnBool(bool value, PRBool* out) {
    if (!out)
        return NS_ERROR_NULL_POINTER;
    *out = value ? PR_TRUE : PR_FALSE;
    return NS_OK;
}

class HTMLSelectElement;

class HTMLInputElement final : public HTMLElementFace<HTMLInputElement, nsIDOMHTMLInputElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    nsString Type() const {
        static constexpr std::u16string_view kTypes[] = {
            u"text",  u"password", u"checkbox", u"radio", u"submit",
            u"reset", u"file",     u"hidden",   u"image", u"button"};
        nsString type = AsciiLower(Element::Attribute(u"type"));
        for (auto known : kTypes) {
            if (type == known)
                return type;
        }
        return u"text";
    }
    bool IsCheckable() const {
        nsString type = Type();
        return type == u"checkbox" || type == u"radio";
    }
    nsString Value() const {
        if (m_value)
            return *m_value;
        if (const nsString* value = FindAttribute(u"value"))
            return *value;
        return IsCheckable() ? nsString(u"on") : nsString();
    }
    bool Checked() const { return m_checked.value_or(Element::HasAttribute(u"checked")); }
    void SetCheckedState(bool checked) {
        m_checked = checked;
        if (checked && Type() == u"radio")
            UncheckOthersOfGroup();
    }
    void Reset() {
        m_value.reset();
        m_checked.reset();
    }
    bool AppendText(std::u16string_view text) {
        nsString type = Type();
        if (type != u"text" && type != u"password")
            return false;
        if (!m_value)
            m_value = Value();
        m_value->append(text);
        return true;
    }

    nsresult GetDefaultValue(nsAString& value) override { return ReflectString(u"value", value); }
    nsresult SetDefaultValue(const nsAString& value) override {
        return ReflectSetString(u"value", value);
    }
    nsresult GetDefaultChecked(PRBool* value) override { return ReflectBool(u"checked", value); }
    nsresult SetDefaultChecked(PRBool value) override { return ReflectSetBool(u"checked", value); }
    nsresult GetForm(nsIDOMHTMLFormElement** form) override {
        return ReturnForm(FormOf(*this), form);
    }
    nsresult GetAccept(nsAString& value) override { return ReflectString(u"accept", value); }
    nsresult GetAccessKey(nsAString& value) override { return ReflectString(u"accesskey", value); }
    nsresult GetAlign(nsAString& value) override { return ReflectString(u"align", value); }
    nsresult GetAlt(nsAString& value) override { return ReflectString(u"alt", value); }
    nsresult GetChecked(PRBool* value) override { return ReturnBool(Checked(), value); }
    nsresult SetChecked(PRBool value) override {
        SetCheckedState(value != PR_FALSE);
        return NS_OK;
    }
    nsresult GetDisabled(PRBool* value) override { return ReflectBool(u"disabled", value); }
    nsresult SetDisabled(PRBool value) override { return ReflectSetBool(u"disabled", value); }
    nsresult GetMaxLength(PRInt32* value) override { return ReflectInt(u"maxlength", value, -1); }
    nsresult SetMaxLength(PRInt32 value) override {
        SetAttributeInt(u"maxlength", value);
        return NS_OK;
    }
    nsresult GetName(nsAString& value) override { return ReflectString(u"name", value); }
    nsresult SetName(const nsAString& value) override { return ReflectSetString(u"name", value); }
    nsresult GetReadOnly(PRBool* value) override { return ReflectBool(u"readonly", value); }
    nsresult SetReadOnly(PRBool value) override { return ReflectSetBool(u"readonly", value); }
    nsresult GetSize(PRUint32* value) override {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = static_cast<PRUint32>(std::max(0, AttributeInt(u"size").value_or(0)));
        return NS_OK;
    }
    nsresult GetSrc(nsAString& value) override { return ResolvedAttribute(u"src", value); }
    nsresult SetSrc(const nsAString& value) override { return ReflectSetString(u"src", value); }
    nsresult GetTabIndex(PRInt32* value) override { return ReflectInt(u"tabindex", value); }
    nsresult GetType(nsAString& value) override {
        value = Type();
        return NS_OK;
    }
    nsresult SetType(const nsAString& value) override { return ReflectSetString(u"type", value); }
    nsresult GetUseMap(nsAString& value) override { return ReflectString(u"usemap", value); }
    nsresult GetValue(nsAString& value) override {
        value = Value();
        return NS_OK;
    }
    nsresult SetValue(const nsAString& value) override {
        if (Type() == u"file")
            return NS_OK; // a page may not choose the file to upload
        if (IsCheckable())
            return ReflectSetString(u"value", value);
        m_value = nsString(value);
        return NS_OK;
    }
    nsresult Blur() override {
        BlurElement(*this);
        return NS_OK;
    }
    nsresult Focus() override {
        FocusElement(*this);
        return NS_OK;
    }
    nsresult Select() override {
        FireEvent(*this, u"select", true, false);
        return NS_OK;
    }
    nsresult Click() override;

protected:
    void CopyStateTo(Element& copy) const override {
        auto& input = static_cast<HTMLInputElement&>(copy);
        input.m_value = m_value;
        input.m_checked = m_checked;
    }

private:
    nsresult ResolvedAttribute(std::u16string_view name, nsAString& value) {
        const nsString* attribute = FindAttribute(name);
        Document* document = OwnerDocument();
        value = !attribute ? nsString() : document ? document->ResolveURL(*attribute) : *attribute;
        return NS_OK;
    }
    // Calls `visit` for the other radio buttons of this one's group.
    void ForEachOfGroup(const std::function<void(HTMLInputElement&)>& visit);
    void UncheckOthersOfGroup();

    std::optional<nsString> m_value; // set once the value was changed
    std::optional<bool> m_checked;   // set once the checked state was changed
};

void HTMLInputElement::ForEachOfGroup(const std::function<void(HTMLInputElement&)>& visit) {
    const nsString* name = FindAttribute(u"name");
    if (!name || name->empty())
        return;
    // The group: radio buttons of the same name in the same form (or, outside
    // forms, in the same tree).
    Element* form = FormOf(*this);
    Node* root = form;
    if (!root) {
        root = this;
        while (root->Parent())
            root = root->Parent();
    }
    for (Node* node = root; node; node = node->NextInTree(root)) {
        auto* other = dynamic_cast<HTMLInputElement*>(node);
        if (!other || other == this || other->Type() != u"radio" || FormOf(*other) != form)
            continue;
        if (const nsString* otherName = other->FindAttribute(u"name");
            otherName && *otherName == *name)
            visit(*other);
    }
}

void HTMLInputElement::UncheckOthersOfGroup() {
    ForEachOfGroup([](HTMLInputElement& other) { other.m_checked = false; });
}

void SubmitOrReset(Element& control, bool submit);

nsresult HTMLInputElement::Click() {
    if (Element::HasAttribute(u"disabled"))
        return NS_OK;
    // Listeners may remove the input; keep it for the default action.
    NodeRef keepAlive(this);
    nsString type = Type();
    bool wasChecked = Checked();
    // The states a cancelled click restores: this box's, or every radio
    // button's of the group.
    std::vector<std::pair<NodeRef, std::optional<bool>>> before;
    if (type == u"checkbox") {
        before.emplace_back(NodeRef(this), m_checked);
        SetCheckedState(!wasChecked);
    } else if (type == u"radio") {
        ForEachOfGroup([&](HTMLInputElement& radio) {
            before.emplace_back(NodeRef(&radio), radio.m_checked);
        });
        before.emplace_back(NodeRef(this), m_checked);
        SetCheckedState(true);
    }
    if (!FireClick(*this)) {
        for (auto& [radio, state] : before)
            static_cast<HTMLInputElement&>(*radio).m_checked = state;
        return NS_OK;
    }
    if (IsCheckable() && Checked() != wasChecked)
        FireEvent(*this, u"change", true, false);
    if (type == u"submit" || type == u"image")
        SubmitOrReset(*this, true);
    else if (type == u"reset")
        SubmitOrReset(*this, false);
    return NS_OK;
}

class HTMLButtonElement final : public HTMLElementFace<HTMLButtonElement, nsIDOMHTMLButtonElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    nsString Type() const {
        nsString type = AsciiLower(Element::Attribute(u"type"));
        return type == u"button" || type == u"reset" ? type : nsString(u"submit");
    }

    nsresult GetForm(nsIDOMHTMLFormElement** form) override {
        return ReturnForm(FormOf(*this), form);
    }
    nsresult GetAccessKey(nsAString& value) override { return ReflectString(u"accesskey", value); }
    nsresult GetDisabled(PRBool* value) override { return ReflectBool(u"disabled", value); }
    nsresult SetDisabled(PRBool value) override { return ReflectSetBool(u"disabled", value); }
    nsresult GetName(nsAString& value) override { return ReflectString(u"name", value); }
    nsresult SetName(const nsAString& value) override { return ReflectSetString(u"name", value); }
    nsresult GetTabIndex(PRInt32* value) override { return ReflectInt(u"tabindex", value); }
    nsresult GetType(nsAString& value) override {
        value = Type();
        return NS_OK;
    }
    nsresult GetValue(nsAString& value) override { return ReflectString(u"value", value); }
    nsresult SetValue(const nsAString& value) override { return ReflectSetString(u"value", value); }
    nsresult Blur() override {
        BlurElement(*this);
        return NS_OK;
    }
    nsresult Focus() override {
        FocusElement(*this);
        return NS_OK;
    }
    nsresult Click() override {
        if (Element::HasAttribute(u"disabled"))
            return NS_OK;
        NodeRef keepAlive(this);
        if (!FireClick(*this))
            return NS_OK;
        nsString type = Type();
        if (type == u"submit")
            SubmitOrReset(*this, true);
        else if (type == u"reset")
            SubmitOrReset(*this, false);
        return NS_OK;
    }
};

class HTMLTextAreaElement final
    : public HTMLElementFace<HTMLTextAreaElement, nsIDOMHTMLTextAreaElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    void Reset() { m_value.reset(); }
    void AppendText(std::u16string_view text) {
        if (!m_value)
            m_value = TextContent();
        m_value->append(text);
    }

    nsresult GetDefaultValue(nsAString& value) override {
        value = TextContent();
        return NS_OK;
    }
    nsresult SetDefaultValue(const nsAString& value) override {
        RemoveAllChildren();
        if (Document* document = OwnerDocument(); document && !value.empty()) {
            NodeRef text = document->CreateText(value);
            InsertChild(*text, nullptr);
        }
        return NS_OK;
    }
    nsresult GetForm(nsIDOMHTMLFormElement** form) override {
        return ReturnForm(FormOf(*this), form);
    }
    nsresult GetAccessKey(nsAString& value) override { return ReflectString(u"accesskey", value); }
    nsresult GetCols(PRInt32* value) override { return ReflectInt(u"cols", value, 20); }
    nsresult GetDisabled(PRBool* value) override { return ReflectBool(u"disabled", value); }
    nsresult SetDisabled(PRBool value) override { return ReflectSetBool(u"disabled", value); }
    nsresult GetName(nsAString& value) override { return ReflectString(u"name", value); }
    nsresult SetName(const nsAString& value) override { return ReflectSetString(u"name", value); }
    nsresult GetReadOnly(PRBool* value) override { return ReflectBool(u"readonly", value); }
    nsresult SetReadOnly(PRBool value) override { return ReflectSetBool(u"readonly", value); }
    nsresult GetRows(PRInt32* value) override { return ReflectInt(u"rows", value, 2); }
    nsresult GetTabIndex(PRInt32* value) override { return ReflectInt(u"tabindex", value); }
    nsresult GetType(nsAString& value) override {
        value = u"textarea";
        return NS_OK;
    }
    nsresult GetValue(nsAString& value) override {
        value = m_value ? *m_value : TextContent();
        return NS_OK;
    }
    nsresult SetValue(const nsAString& value) override {
        m_value = nsString(value);
        return NS_OK;
    }
    nsresult Blur() override {
        BlurElement(*this);
        return NS_OK;
    }
    nsresult Focus() override {
        FocusElement(*this);
        return NS_OK;
    }
    nsresult Select() override {
        FireEvent(*this, u"select", true, false);
        return NS_OK;
    }

protected:
    void CopyStateTo(Element& copy) const override {
        static_cast<HTMLTextAreaElement&>(copy).m_value = m_value;
    }

private:
    std::optional<nsString> m_value; // set once the value was changed
};

class HTMLOptionElement final : public HTMLElementFace<HTMLOptionElement, nsIDOMHTMLOptionElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    // The SELECT the option belongs to (its parent, or its OPTGROUP's).
    Element* List() const {
        Node* parent = Parent();
        if (IsHTMLTag(parent, u"optgroup"))
            parent = parent->Parent();
        return IsHTMLTag(parent, u"select") ? static_cast<Element*>(parent) : nullptr;
    }
    bool ExplicitlySelected() const {
        return m_selected.value_or(Element::HasAttribute(u"selected"));
    }
    void SetSelectedState(bool selected) { m_selected = selected; }
    void Reset() { m_selected.reset(); }
    nsString Text() const { return CollapseWhiteSpace(TextContent()); }
    nsString Value() const {
        const nsString* value = FindAttribute(u"value");
        return value ? *value : Text();
    }

    nsresult GetForm(nsIDOMHTMLFormElement** form) override {
        Element* list = List();
        return ReturnForm(list ? FormOf(*list) : nullptr, form);
    }
    nsresult GetDefaultSelected(PRBool* value) override { return ReflectBool(u"selected", value); }
    nsresult SetDefaultSelected(PRBool value) override {
        return ReflectSetBool(u"selected", value);
    }
    nsresult GetText(nsAString& value) override {
        value = Text();
        return NS_OK;
    }
    nsresult GetIndex(PRInt32* value) override;
    nsresult GetDisabled(PRBool* value) override { return ReflectBool(u"disabled", value); }
    nsresult SetDisabled(PRBool value) override { return ReflectSetBool(u"disabled", value); }
    nsresult GetLabel(nsAString& value) override { return ReflectString(u"label", value); }
    nsresult SetLabel(const nsAString& value) override { return ReflectSetString(u"label", value); }
    nsresult GetSelected(PRBool* value) override;
    nsresult SetSelected(PRBool value) override;
    nsresult GetValue(nsAString& value) override {
        value = Value();
        return NS_OK;
    }
    nsresult SetValue(const nsAString& value) override { return ReflectSetString(u"value", value); }

protected:
    void CopyStateTo(Element& copy) const override {
        static_cast<HTMLOptionElement&>(copy).m_selected = m_selected;
    }

private:
    std::optional<bool> m_selected; // set once the selection was changed
};

// The OPTION elements of a list, in order: children and children of OPTGROUP
// children.
void GatherOptions(Node& list, std::vector<Node*>& options) {
    for (size_t i = 0; i < list.ChildCount(); ++i) {
        Node* child = list.ChildAt(i);
        if (IsHTMLTag(child, u"option")) {
            options.push_back(child);
        } else if (IsHTMLTag(child, u"optgroup")) {
            for (size_t k = 0; k < child->ChildCount(); ++k) {
                if (IsHTMLTag(child->ChildAt(k), u"option"))
                    options.push_back(child->ChildAt(k));
            }
        }
    }
}

std::vector<HTMLOptionElement*> OptionsOf(Node& list) {
    std::vector<Node*> nodes;
    GatherOptions(list, nodes);
    std::vector<HTMLOptionElement*> options;
    for (Node* node : nodes) {
        if (auto* option = dynamic_cast<HTMLOptionElement*>(node))
            options.push_back(option);
    }
    return options;
}

class HTMLSelectElement final : public HTMLElementFace<HTMLSelectElement, nsIDOMHTMLSelectElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    bool IsMultiple() const { return Element::HasAttribute(u"multiple"); }
    // The selected option's position; -1 when none. A single-choice list
    // shown as a drop-down (size 1 or less) with no option marked selected
    // shows its first option, so it reports that one.
    int32_t SelectedIndex() {
        auto options = OptionsOf(*this);
        for (size_t i = 0; i < options.size(); ++i) {
            if (options[i]->ExplicitlySelected())
                return static_cast<int32_t>(i);
        }
        if (!options.empty() && !IsMultiple() && AttributeInt(u"size").value_or(0) <= 1)
            return 0;
        return -1;
    }
    // Selects `option` alone (single choice) or adds it (multiple choice).
    void Choose(HTMLOptionElement& chosen, bool selected) {
        if (selected && !IsMultiple()) {
            for (HTMLOptionElement* option : OptionsOf(*this))
                option->SetSelectedState(false);
        }
        chosen.SetSelectedState(selected);
    }

    nsresult GetType(nsAString& value) override {
        value = IsMultiple() ? u"select-multiple" : u"select-one";
        return NS_OK;
    }
    nsresult GetSelectedIndex(PRInt32* value) override {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = SelectedIndex();
        return NS_OK;
    }
    nsresult SetSelectedIndex(PRInt32 value) override {
        auto options = OptionsOf(*this);
        for (HTMLOptionElement* option : options)
            option->SetSelectedState(false);
        if (value >= 0 && static_cast<size_t>(value) < options.size())
            options[static_cast<size_t>(value)]->SetSelectedState(true);
        return NS_OK;
    }
    nsresult GetValue(nsAString& value) override {
        auto options = OptionsOf(*this);
        int32_t index = SelectedIndex();
        value = index >= 0 ? options[static_cast<size_t>(index)]->Value() : nsString();
        return NS_OK;
    }
    nsresult GetLength(PRUint32* value) override {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = static_cast<PRUint32>(OptionsOf(*this).size());
        return NS_OK;
    }
    nsresult GetForm(nsIDOMHTMLFormElement** form) override {
        return ReturnForm(FormOf(*this), form);
    }
    nsresult GetOptions(nsIDOMHTMLCollection** options) override {
        return ReturnCollection(nsCOMPtr<NodeCollection>(new NodeCollection(*this, GatherOptions)),
                                options);
    }
    nsresult GetDisabled(PRBool* value) override { return ReflectBool(u"disabled", value); }
    nsresult SetDisabled(PRBool value) override { return ReflectSetBool(u"disabled", value); }
    nsresult GetMultiple(PRBool* value) override { return ReflectBool(u"multiple", value); }
    nsresult SetMultiple(PRBool value) override { return ReflectSetBool(u"multiple", value); }
    nsresult GetName(nsAString& value) override { return ReflectString(u"name", value); }
    nsresult SetName(const nsAString& value) override { return ReflectSetString(u"name", value); }
    nsresult GetSize(PRInt32* value) override { return ReflectInt(u"size", value); }
    nsresult SetSize(PRInt32 value) override {
        SetAttributeInt(u"size", value);
        return NS_OK;
    }
    nsresult GetTabIndex(PRInt32* value) override { return ReflectInt(u"tabindex", value); }
    nsresult Add(nsIDOMHTMLElement* element, nsIDOMHTMLElement* before) override {
        Node* option = Node::FromDOM(element);
        if (!option)
            return element ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
        if (!IsHTMLTag(option, u"option") && !IsHTMLTag(option, u"optgroup"))
            return NS_ERROR_INVALID_ARG;
        Node* reference = Node::FromDOM(before);
        if (before && (!reference || !reference->Parent() || !IsInclusiveAncestorOf(*reference)))
            return NS_ERROR_INVALID_ARG;
        return reference ? reference->Parent()->InsertChild(*option, reference)
                         : InsertChild(*option, nullptr);
    }
    nsresult Remove(PRInt32 index) override {
        auto options = OptionsOf(*this);
        if (index < 0 || static_cast<size_t>(index) >= options.size())
            return NS_OK;
        HTMLOptionElement* option = options[static_cast<size_t>(index)];
        return option->Parent()->RemoveChildNode(*option);
    }
    nsresult Blur() override {
        BlurElement(*this);
        return NS_OK;
    }
    nsresult Focus() override {
        FocusElement(*this);
        return NS_OK;
    }
};

nsresult HTMLOptionElement::GetIndex(PRInt32* value) {
    if (!value)
        return NS_ERROR_NULL_POINTER;
    *value = 0;
    if (Element* list = List()) {
        auto options = OptionsOf(*list);
        for (size_t i = 0; i < options.size(); ++i) {
            if (options[i] == this)
                *value = static_cast<PRInt32>(i);
        }
    }
    return NS_OK;
}

nsresult HTMLOptionElement::GetSelected(PRBool* value) {
    if (!value)
        return NS_ERROR_NULL_POINTER;
    bool selected = ExplicitlySelected();
    if (auto* list = dynamic_cast<HTMLSelectElement*>(List()); list && !selected) {
        // The first option of a drop-down with nothing selected shows as
        // selected.
        auto options = OptionsOf(*list);
        int32_t index = list->SelectedIndex();
        selected = index >= 0 && options[static_cast<size_t>(index)] == this;
    }
    *value = selected ? PR_TRUE : PR_FALSE;
    return NS_OK;
}

nsresult HTMLOptionElement::SetSelected(PRBool value) {
    if (auto* list = dynamic_cast<HTMLSelectElement*>(List()))
        list->Choose(*this, value != PR_FALSE);
    else
        m_selected = value != PR_FALSE;
    return NS_OK;
}

bool IsFormControl(const Element& element) {
    return element.IsHTML() && (element.HasTag(u"input") || element.HasTag(u"button") ||
                                element.HasTag(u"select") || element.HasTag(u"textarea"));
}

class HTMLFormElement final : public HTMLElementFace<HTMLFormElement, nsIDOMHTMLFormElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    nsresult GetElements(nsIDOMHTMLCollection** elements) override {
        return ReturnCollection(ElementsMatching(*this, IsFormControl), elements);
    }
    nsresult GetLength(PRInt32* value) override {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        PRUint32 length = 0;
        ElementsMatching(*this, IsFormControl)->GetLength(&length);
        *value = static_cast<PRInt32>(length);
        return NS_OK;
    }
    nsresult GetName(nsAString& value) override { return ReflectString(u"name", value); }
    nsresult SetName(const nsAString& value) override { return ReflectSetString(u"name", value); }
    nsresult GetAcceptCharset(nsAString& value) override {
        return ReflectString(u"accept-charset", value);
    }
    nsresult GetAction(nsAString& value) override { return ReflectString(u"action", value); }
    nsresult SetAction(const nsAString& value) override {
        return ReflectSetString(u"action", value);
    }
    nsresult GetEnctype(nsAString& value) override {
        const nsString* type = FindAttribute(u"enctype");
        value = type ? *type : nsString(u"application/x-www-form-urlencoded");
        return NS_OK;
    }
    nsresult GetMethod(nsAString& value) override {
        const nsString* method = FindAttribute(u"method");
        value = method ? AsciiLower(*method) : nsString(u"get");
        return NS_OK;
    }
    nsresult SetMethod(const nsAString& value) override {
        return ReflectSetString(u"method", value);
    }
    nsresult GetTarget(nsAString& value) override { return ReflectString(u"target", value); }
    nsresult Submit() override {
        NodeRef keepAlive(this);
        if (!FireEvent(*this, u"submit", true, true))
            return NS_OK;
        if (Document* document = OwnerDocument())
            document->SubmitForm(*this);
        return NS_OK;
    }
    nsresult Reset() override {
        NodeRef keepAlive(this);
        if (!FireEvent(*this, u"reset", true, true))
            return NS_OK;
        for (Node* node = NextInTree(this); node; node = node->NextInTree(this)) {
            if (node->IsElement())
                ResetControl(static_cast<Element&>(*node));
        }
        return NS_OK;
    }
};

void SubmitOrReset(Element& control, bool submit) {
    auto* form = dynamic_cast<HTMLFormElement*>(FormOf(control));
    if (!form)
        return;
    if (submit)
        form->Submit();
    else
        form->Reset();
}

} // namespace

void ResetControl(Element& element) {
    if (auto* input = dynamic_cast<HTMLInputElement*>(&element))
        input->Reset();
    else if (auto* text = dynamic_cast<HTMLTextAreaElement*>(&element))
        text->Reset();
    else if (auto* option = dynamic_cast<HTMLOptionElement*>(&element))
        option->Reset();
}

bool AppendTypedText(Element& control, std::u16string_view text) {
    if (auto* input = dynamic_cast<HTMLInputElement*>(&control))
        return input->AppendText(text);
    if (auto* area = dynamic_cast<HTMLTextAreaElement*>(&control)) {
        area->AppendText(text);
        return true;
    }
    return false;
}

NodeRef NewFormElement(const std::shared_ptr<DocumentLink>& link, std::u16string_view lowerTag) {
    if (lowerTag == u"input")
        return NodeRef(new HTMLInputElement(link, lowerTag));
    if (lowerTag == u"button")
        return NodeRef(new HTMLButtonElement(link, lowerTag));
    if (lowerTag == u"textarea")
        return NodeRef(new HTMLTextAreaElement(link, lowerTag));
    if (lowerTag == u"select")
        return NodeRef(new HTMLSelectElement(link, lowerTag));
    if (lowerTag == u"option")
        return NodeRef(new HTMLOptionElement(link, lowerTag));
    if (lowerTag == u"form")
        return NodeRef(new HTMLFormElement(link, lowerTag));
    return {};
}

} // namespace dom
