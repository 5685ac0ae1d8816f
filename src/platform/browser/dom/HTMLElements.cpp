#include "platform/browser/dom/HTMLElements.h"

#include "platform/browser/dom/Events.h"
#include "platform/browser/dom/HTMLFormControls.h"
#include "platform/browser/dom/Window.h"
#include "platform/browser/dom/XULElements.h"

namespace dom {

bool FireEvent(EventTargetCore& target, std::u16string_view type, bool bubbles, bool cancelable) {
    nsCOMPtr<nsIDOMEvent> event =
        NewEvent(EventKind::Plain, type, bubbles ? Bubbles::Yes : Bubbles::No,
                 cancelable ? Cancelable::Yes : Cancelable::No);
    bool allowed = true;
    if (event)
        DispatchDOMEvent(target, event, &allowed);
    return allowed;
}

bool FireClick(EventTargetCore& target) {
    nsCOMPtr<nsIDOMEvent> event =
        NewEvent(EventKind::Mouse, u"click", Bubbles::Yes, Cancelable::Yes);
    bool allowed = true;
    if (event)
        DispatchDOMEvent(target, event, &allowed);
    return allowed;
}

void FocusElement(Element& element) {
    Document* document = element.OwnerDocument();
    if (!document)
        return;
    // Listeners of blur and focus may drop the elements.
    NodeRef keepElement(&element);
    NodeRef previous(document->FocusedElement());
    if (previous.get() == &element)
        return;
    document->SetFocusedElement(&element);
    document->NoteFocusMove(static_cast<Element*>(previous.get()), &element);
    if (previous)
        FireEvent(*previous, u"blur", false, false);
    FireEvent(element, u"focus", false, false);
}

void BlurElement(Element& element) {
    Document* document = element.OwnerDocument();
    if (!document || document->FocusedElement() != &element)
        return;
    NodeRef keepElement(&element);
    document->SetFocusedElement(nullptr);
    document->NoteFocusMove(&element, nullptr);
    FireEvent(element, u"blur", false, false);
}

namespace {

bool IsHTMLTag(const Node* node, std::u16string_view lowerTag) {
    return node && node->IsElement() && static_cast<const Element*>(node)->IsHTML() &&
           static_cast<const Element*>(node)->HasTag(lowerTag);
}

Element* FirstChildWithTag(const Node& parent, std::u16string_view lowerTag) {
    for (size_t i = 0; i < parent.ChildCount(); ++i) {
        if (IsHTMLTag(parent.ChildAt(i), lowerTag))
            return static_cast<Element*>(parent.ChildAt(i));
    }
    return nullptr;
}

// An attribute holding a URL, resolved against the document's URL; empty
// when the attribute is missing.
nsString ResolvedAttribute(const Element& element, std::u16string_view name) {
    const nsString* value = element.FindAttribute(name);
    if (!value)
        return {};
    Document* document = element.OwnerDocument();
    return document ? document->ResolveURL(*value) : *value;
}

nsresult ReturnString(nsString value, nsAString& out) {
    out = std::move(value);
    return NS_OK;
}

class HTMLAnchorElement final : public HTMLElementFace<HTMLAnchorElement, nsIDOMHTMLAnchorElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    nsresult GetAccessKey(nsAString& value) override { return ReflectString(u"accesskey", value); }
    nsresult GetCharset(nsAString& value) override { return ReflectString(u"charset", value); }
    nsresult GetCoords(nsAString& value) override { return ReflectString(u"coords", value); }
    nsresult GetHref(nsAString& value) override {
        return ReturnString(ResolvedAttribute(*this, u"href"), value);
    }
    nsresult SetHref(const nsAString& value) override { return ReflectSetString(u"href", value); }
    nsresult GetHreflang(nsAString& value) override { return ReflectString(u"hreflang", value); }
    nsresult GetName(nsAString& value) override { return ReflectString(u"name", value); }
    nsresult SetName(const nsAString& value) override { return ReflectSetString(u"name", value); }
    nsresult GetRel(nsAString& value) override { return ReflectString(u"rel", value); }
    nsresult GetRev(nsAString& value) override { return ReflectString(u"rev", value); }
    nsresult GetShape(nsAString& value) override { return ReflectString(u"shape", value); }
    nsresult GetTabIndex(PRInt32* value) override { return ReflectInt(u"tabindex", value); }
    nsresult GetTarget(nsAString& value) override { return ReflectString(u"target", value); }
    nsresult SetTarget(const nsAString& value) override {
        return ReflectSetString(u"target", value);
    }
    nsresult GetType(nsAString& value) override { return ReflectString(u"type", value); }
    nsresult GetText(nsAString& value) override { return ReturnString(TextContent(), value); }
    nsresult Blur() override {
        BlurElement(*this);
        return NS_OK;
    }
    nsresult Focus() override {
        FocusElement(*this);
        return NS_OK;
    }
};

class HTMLImageElement final : public HTMLElementFace<HTMLImageElement, nsIDOMHTMLImageElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    nsresult GetName(nsAString& value) override { return ReflectString(u"name", value); }
    nsresult SetName(const nsAString& value) override { return ReflectSetString(u"name", value); }
    nsresult GetAlign(nsAString& value) override { return ReflectString(u"align", value); }
    nsresult GetAlt(nsAString& value) override { return ReflectString(u"alt", value); }
    nsresult SetAlt(const nsAString& value) override { return ReflectSetString(u"alt", value); }
    nsresult GetBorder(nsAString& value) override { return ReflectString(u"border", value); }
    nsresult SetBorder(const nsAString& value) override {
        return ReflectSetString(u"border", value);
    }
    nsresult GetHeight(PRInt32* value) override {
        return Dimension(u"height", &LayoutBox::height, value);
    }
    nsresult SetHeight(PRInt32 value) override {
        SetAttributeInt(u"height", value);
        return NS_OK;
    }
    nsresult GetHspace(PRInt32* value) override { return ReflectInt(u"hspace", value); }
    nsresult GetIsMap(PRBool* value) override { return ReflectBool(u"ismap", value); }
    nsresult SetIsMap(PRBool value) override { return ReflectSetBool(u"ismap", value); }
    nsresult GetLongDesc(nsAString& value) override { return ReflectString(u"longdesc", value); }
    nsresult GetSrc(nsAString& value) override {
        return ReturnString(ResolvedAttribute(*this, u"src"), value);
    }
    nsresult SetSrc(const nsAString& value) override { return ReflectSetString(u"src", value); }
    nsresult GetUseMap(nsAString& value) override { return ReflectString(u"usemap", value); }
    nsresult SetUseMap(const nsAString& value) override {
        return ReflectSetString(u"usemap", value);
    }
    nsresult GetVspace(PRInt32* value) override { return ReflectInt(u"vspace", value); }
    nsresult GetWidth(PRInt32* value) override {
        return Dimension(u"width", &LayoutBox::width, value);
    }
    nsresult SetWidth(PRInt32 value) override {
        SetAttributeInt(u"width", value);
        return NS_OK;
    }

private:
    // The attribute, or else the laid-out size.
    nsresult Dimension(std::u16string_view name, int32_t LayoutBox::*field, PRInt32* value) {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        if (std::optional<int32_t> attribute = AttributeInt(name)) {
            *value = *attribute;
            return NS_OK;
        }
        return Offset(value, field);
    }
};

class HTMLMapElement final : public HTMLElementFace<HTMLMapElement, nsIDOMHTMLMapElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    nsresult GetAreas(nsIDOMHTMLCollection** areas) override {
        return ReturnCollection(
            ElementsMatching(*this, [](Element& e) { return IsHTMLTag(&e, u"area"); }), areas);
    }
    nsresult GetName(nsAString& value) override { return ReflectString(u"name", value); }
    nsresult SetName(const nsAString& value) override { return ReflectSetString(u"name", value); }
};

class HTMLAreaElement final : public HTMLElementFace<HTMLAreaElement, nsIDOMHTMLAreaElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    nsresult GetAccessKey(nsAString& value) override { return ReflectString(u"accesskey", value); }
    nsresult GetAlt(nsAString& value) override { return ReflectString(u"alt", value); }
    nsresult GetCoords(nsAString& value) override { return ReflectString(u"coords", value); }
    nsresult GetHref(nsAString& value) override {
        return ReturnString(ResolvedAttribute(*this, u"href"), value);
    }
    nsresult SetHref(const nsAString& value) override { return ReflectSetString(u"href", value); }
    nsresult GetNoHref(PRBool* value) override { return ReflectBool(u"nohref", value); }
    nsresult GetShape(nsAString& value) override { return ReflectString(u"shape", value); }
    nsresult GetTabIndex(PRInt32* value) override { return ReflectInt(u"tabindex", value); }
    nsresult GetTarget(nsAString& value) override { return ReflectString(u"target", value); }
};

bool IsSection(const Node* node) {
    return IsHTMLTag(node, u"thead") || IsHTMLTag(node, u"tbody") || IsHTMLTag(node, u"tfoot");
}

void GatherRowsOfSection(Node& section, std::vector<Node*>& rows) {
    for (size_t i = 0; i < section.ChildCount(); ++i) {
        if (IsHTMLTag(section.ChildAt(i), u"tr"))
            rows.push_back(section.ChildAt(i));
    }
}

// The rows of a table in the order the DOM gives them: the head's, then
// those of the bodies and the direct rows in document order, then the
// foot's. Rows of nested tables are not the table's.
void GatherRowsOfTable(Node& table, std::vector<Node*>& rows) {
    if (Element* head = FirstChildWithTag(table, u"thead"))
        GatherRowsOfSection(*head, rows);
    for (size_t i = 0; i < table.ChildCount(); ++i) {
        Node* child = table.ChildAt(i);
        if (IsHTMLTag(child, u"tr"))
            rows.push_back(child);
        else if (IsHTMLTag(child, u"tbody"))
            GatherRowsOfSection(*child, rows);
    }
    if (Element* foot = FirstChildWithTag(table, u"tfoot"))
        GatherRowsOfSection(*foot, rows);
}

void GatherCellsOfRow(Node& row, std::vector<Node*>& cells) {
    for (size_t i = 0; i < row.ChildCount(); ++i) {
        if (IsHTMLTag(row.ChildAt(i), u"td") || IsHTMLTag(row.ChildAt(i), u"th"))
            cells.push_back(row.ChildAt(i));
    }
}

nsCOMPtr<NodeCollection> Gathered(Node& root, void (*gather)(Node&, std::vector<Node*>&)) {
    return nsCOMPtr<NodeCollection>(new NodeCollection(root, gather));
}

int32_t PositionIn(const std::vector<Node*>& items, const Node* node) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == node)
            return static_cast<int32_t>(i);
    }
    return -1;
}

class HTMLTableElement final : public HTMLElementFace<HTMLTableElement, nsIDOMHTMLTableElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    nsresult GetCaption(nsIDOMHTMLElement** caption) override {
        return ReturnNode(FirstChildWithTag(*this, u"caption"), caption);
    }
    nsresult GetTHead(nsIDOMHTMLTableSectionElement** head) override {
        return ReturnNode(FirstChildWithTag(*this, u"thead"), head);
    }
    nsresult GetTFoot(nsIDOMHTMLTableSectionElement** foot) override {
        return ReturnNode(FirstChildWithTag(*this, u"tfoot"), foot);
    }
    nsresult GetRows(nsIDOMHTMLCollection** rows) override {
        return ReturnCollection(Gathered(*this, GatherRowsOfTable), rows);
    }
    nsresult GetTBodies(nsIDOMHTMLCollection** bodies) override {
        return ReturnCollection(Gathered(*this,
                                         [](Node& table, std::vector<Node*>& items) {
                                             for (size_t i = 0; i < table.ChildCount(); ++i) {
                                                 if (IsHTMLTag(table.ChildAt(i), u"tbody"))
                                                     items.push_back(table.ChildAt(i));
                                             }
                                         }),
                                bodies);
    }
    nsresult GetAlign(nsAString& value) override { return ReflectString(u"align", value); }
    nsresult GetBgColor(nsAString& value) override { return ReflectString(u"bgcolor", value); }
    nsresult GetBorder(nsAString& value) override { return ReflectString(u"border", value); }
    nsresult SetBorder(const nsAString& value) override {
        return ReflectSetString(u"border", value);
    }
    nsresult GetCellPadding(nsAString& value) override {
        return ReflectString(u"cellpadding", value);
    }
    nsresult GetCellSpacing(nsAString& value) override {
        return ReflectString(u"cellspacing", value);
    }
    nsresult GetFrame(nsAString& value) override { return ReflectString(u"frame", value); }
    nsresult GetRules(nsAString& value) override { return ReflectString(u"rules", value); }
    nsresult GetSummary(nsAString& value) override { return ReflectString(u"summary", value); }
    nsresult GetWidth(nsAString& value) override { return ReflectString(u"width", value); }
};

class HTMLTableSectionElement final
    : public HTMLElementFace<HTMLTableSectionElement, nsIDOMHTMLTableSectionElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    nsresult GetAlign(nsAString& value) override { return ReflectString(u"align", value); }
    nsresult GetVAlign(nsAString& value) override { return ReflectString(u"valign", value); }
    nsresult GetRows(nsIDOMHTMLCollection** rows) override {
        return ReturnCollection(Gathered(*this, GatherRowsOfSection), rows);
    }
};

class HTMLTableRowElement final
    : public HTMLElementFace<HTMLTableRowElement, nsIDOMHTMLTableRowElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    // The table the row belongs to: its parent, or its section's parent.
    Node* Table() const {
        Node* parent = Parent();
        if (IsSection(parent))
            parent = parent->Parent();
        return IsHTMLTag(parent, u"table") ? parent : nullptr;
    }

    nsresult GetRowIndex(PRInt32* value) override {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = -1;
        if (Node* table = Table()) {
            std::vector<Node*> rows;
            GatherRowsOfTable(*table, rows);
            *value = PositionIn(rows, this);
        }
        return NS_OK;
    }
    nsresult GetSectionRowIndex(PRInt32* value) override {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = -1;
        if (Node* parent = Parent()) {
            std::vector<Node*> rows;
            GatherRowsOfSection(*parent, rows);
            *value = PositionIn(rows, this);
        }
        return NS_OK;
    }
    nsresult GetCells(nsIDOMHTMLCollection** cells) override {
        return ReturnCollection(Gathered(*this, GatherCellsOfRow), cells);
    }
    nsresult GetAlign(nsAString& value) override { return ReflectString(u"align", value); }
    nsresult GetBgColor(nsAString& value) override { return ReflectString(u"bgcolor", value); }
    nsresult GetVAlign(nsAString& value) override { return ReflectString(u"valign", value); }
};

class HTMLTableCellElement final
    : public HTMLElementFace<HTMLTableCellElement, nsIDOMHTMLTableCellElement> {
public:
    using HTMLElementFace::HTMLElementFace;

    nsresult GetCellIndex(PRInt32* value) override {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        *value = -1;
        if (Node* row = Parent(); IsHTMLTag(row, u"tr")) {
            std::vector<Node*> cells;
            GatherCellsOfRow(*row, cells);
            *value = PositionIn(cells, this);
        }
        return NS_OK;
    }
    nsresult GetAbbr(nsAString& value) override { return ReflectString(u"abbr", value); }
    nsresult GetAlign(nsAString& value) override { return ReflectString(u"align", value); }
    nsresult GetAxis(nsAString& value) override { return ReflectString(u"axis", value); }
    nsresult GetBgColor(nsAString& value) override { return ReflectString(u"bgcolor", value); }
    nsresult GetColSpan(PRInt32* value) override { return Span(u"colspan", value); }
    nsresult GetRowSpan(PRInt32* value) override { return Span(u"rowspan", value); }
    nsresult GetHeaders(nsAString& value) override { return ReflectString(u"headers", value); }
    nsresult GetHeight(nsAString& value) override { return ReflectString(u"height", value); }
    nsresult GetNoWrap(PRBool* value) override { return ReflectBool(u"nowrap", value); }
    nsresult GetScope(nsAString& value) override { return ReflectString(u"scope", value); }
    nsresult GetVAlign(nsAString& value) override { return ReflectString(u"valign", value); }
    nsresult GetWidth(nsAString& value) override { return ReflectString(u"width", value); }

private:
    nsresult Span(std::u16string_view name, PRInt32* value) {
        if (!value)
            return NS_ERROR_NULL_POINTER;
        int32_t span = AttributeInt(name).value_or(1);
        *value = span > 0 ? span : 1;
        return NS_OK;
    }
};

template <typename Derived, typename Primary>
class FrameElementFace : public HTMLElementFace<Derived, Primary>, public FrameOwner {
public:
    using HTMLElementFace<Derived, Primary>::HTMLElementFace;

    nsresult GetFrameBorder(nsAString& value) override {
        return this->ReflectString(u"frameborder", value);
    }
    nsresult GetLongDesc(nsAString& value) override {
        return this->ReflectString(u"longdesc", value);
    }
    nsresult GetMarginHeight(nsAString& value) override {
        return this->ReflectString(u"marginheight", value);
    }
    nsresult GetMarginWidth(nsAString& value) override {
        return this->ReflectString(u"marginwidth", value);
    }
    nsresult GetName(nsAString& value) override { return this->ReflectString(u"name", value); }
    nsresult SetName(const nsAString& value) override {
        return this->ReflectSetString(u"name", value);
    }
    nsresult GetScrolling(nsAString& value) override {
        return this->ReflectString(u"scrolling", value);
    }
    nsresult GetSrc(nsAString& value) override {
        return ReturnString(ResolvedAttribute(*this, u"src"), value);
    }
    nsresult SetSrc(const nsAString& value) override {
        return this->ReflectSetString(u"src", value);
    }
    nsresult GetContentDocument(nsIDOMDocument** document) override {
        Window* window = ContentWindow();
        return ReturnNode(window ? window->CurrentDocument() : nullptr, document);
    }
    nsresult GetContentWindow(nsIDOMWindow** window) override {
        if (!window)
            return NS_ERROR_NULL_POINTER;
        Window* content = ContentWindow();
        *window = content ? content->AsDOMWindow() : nullptr;
        if (*window)
            (*window)->AddRef();
        return NS_OK;
    }
};

class HTMLFrameElement final : public FrameElementFace<HTMLFrameElement, nsIDOMHTMLFrameElement> {
public:
    using FrameElementFace::FrameElementFace;
    nsresult GetNoResize(PRBool* value) override { return ReflectBool(u"noresize", value); }
};

class HTMLIFrameElement final
    : public FrameElementFace<HTMLIFrameElement, nsIDOMHTMLIFrameElement> {
public:
    using FrameElementFace::FrameElementFace;
    nsresult GetAlign(nsAString& value) override { return ReflectString(u"align", value); }
    nsresult GetHeight(nsAString& value) override { return ReflectString(u"height", value); }
    nsresult GetWidth(nsAString& value) override { return ReflectString(u"width", value); }
};

template <typename Kind>
NodeRef Make(const std::shared_ptr<DocumentLink>& link, std::u16string_view tag) {
    return NodeRef(new Kind(link, tag));
}

using Maker = NodeRef (*)(const std::shared_ptr<DocumentLink>&, std::u16string_view);

// The element kinds with an interface of their own, by lower-case tag.
constexpr std::pair<std::u16string_view, Maker> kKinds[] = {
    {u"a", Make<HTMLAnchorElement>},
    {u"img", Make<HTMLImageElement>},
    {u"map", Make<HTMLMapElement>},
    {u"area", Make<HTMLAreaElement>},
    {u"table", Make<HTMLTableElement>},
    {u"thead", Make<HTMLTableSectionElement>},
    {u"tbody", Make<HTMLTableSectionElement>},
    {u"tfoot", Make<HTMLTableSectionElement>},
    {u"tr", Make<HTMLTableRowElement>},
    {u"td", Make<HTMLTableCellElement>},
    {u"th", Make<HTMLTableCellElement>},
    {u"frame", Make<HTMLFrameElement>},
    {u"iframe", Make<HTMLIFrameElement>},
};

} // namespace

Window* ContentWindowOf(Element& frameElement) {
    auto* owner = dynamic_cast<FrameOwner*>(&frameElement);
    return owner ? owner->ContentWindow() : nullptr;
}

nsresult SetContentWindow(Element& frameElement, Window* window) {
    auto* owner = dynamic_cast<FrameOwner*>(&frameElement);
    if (!owner)
        return NS_ERROR_INVALID_ARG;
    owner->AttachWindow(frameElement, window);
    return NS_OK;
}

FrameOwner::~FrameOwner() {
    if (Window* window = ContentWindow(); window && window->FrameElement() == m_self)
        window->SetFrameElement(nullptr);
}

Window* FrameOwner::ContentWindow() const {
    return Window::FromDOM(m_window);
}

void FrameOwner::AttachWindow(Element& self, Window* window) {
    if (Window* old = ContentWindow(); old && old->FrameElement() == &self)
        old->SetFrameElement(nullptr);
    m_window = window ? window->AsDOMWindow() : nullptr;
    m_self = &self;
    if (Document* document = self.OwnerDocument())
        document->NoteFrameAttachment();
    if (window)
        window->SetFrameElement(&self);
}

NodeRef NewHTMLElement(const std::shared_ptr<DocumentLink>& link, std::u16string_view tag) {
    nsString lower = AsciiLower(tag);
    for (const auto& [kindTag, make] : kKinds) {
        if (kindTag == lower)
            return make(link, lower);
    }
    if (NodeRef control = NewFormElement(link, lower))
        return control;
    return NodeRef(new HTMLElement(link, lower));
}

NodeRef NewElement(const std::shared_ptr<DocumentLink>& link, ElementNamespace ns,
                   std::u16string_view tag) {
    if (tag.empty())
        return {};
    return ns == ElementNamespace::HTML ? NewHTMLElement(link, tag) : NewXULElement(link, tag);
}

} // namespace dom
