#include "platform/browser/Ascii.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/HTMLElements.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/PresShell.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"

#include <algorithm>
#include <utility>

// The simulated user: hit testing, focus, pointer, keyboard, lists, the
// toolbar and the address field of the browser's windows.

namespace browser {
namespace {

bool IsTextField(dom::Element& element) {
    if (element.HasTag(u"textarea"))
        return true;
    if (!element.HasTag(u"input"))
        return false;
    nsString type = AsciiLower(element.Attribute(u"type"));
    return type.empty() || type == u"text" || type == u"password" || type == u"file";
}

// A chrome textbox keeps its text in an anonymous HTML input: events of
// editing go there (listeners outside see the textbox as their target).
dom::Element& EditTarget(dom::Element& element) {
    if (element.HasTag(u"textbox"))
        if (dom::Element* input = element.Anonymous())
            return *input;
    return element;
}

bool IsEditable(dom::Element& element) {
    return IsTextField(element) || element.HasTag(u"textbox");
}

bool IsFocusable(dom::Element& element) {
    if (element.HasAttribute(u"disabled"))
        return false;
    if (element.HasTag(u"input"))
        return AsciiLower(element.Attribute(u"type")) != u"hidden";
    if (element.HasTag(u"a") || element.HasTag(u"area"))
        return element.HasAttribute(u"href");
    return element.HasTag(u"select") || element.HasTag(u"textarea") || element.HasTag(u"button") ||
           element.HasTag(u"textbox");
}

// Whether `node` is still in its document: anonymous content (the input of
// a chrome text box) is while its host element is.
bool InDocument(const dom::Node& node) {
    const dom::Node* current = &node;
    while (!current->IsConnected()) {
        current = current->Parent();
        if (!current)
            return false;
    }
    return true;
}

// The focusable element a click on `element` focuses, if any.
dom::Element* FocusTargetOf(dom::Element* element) {
    for (dom::Node* node = element; node; node = node->Parent()) {
        if (!node->IsElement())
            continue;
        auto* candidate = static_cast<dom::Element*>(node);
        if (IsFocusable(*candidate))
            return candidate;
    }
    return nullptr;
}

// Elements of the chrome that run a command when clicked.
bool IsCommandElement(dom::Element& element) {
    return element.HasTag(u"button") || element.HasTag(u"menubutton") ||
           element.HasTag(u"toolbarbutton") || element.HasTag(u"menuitem") ||
           element.HasTag(u"checkbox") || element.HasTag(u"radio");
}

nsString ValueOf(dom::Element& element) {
    nsString value;
    nsCOMPtr<nsIDOMNode> node = element.AsDOMNode();
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(node))
        input->GetValue(value);
    else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(node))
        area->GetValue(value);
    else if (nsCOMPtr<nsIDOMXULTextBoxElement> box = do_QueryInterface(node))
        box->GetValue(value);
    return value;
}

void SetValueOf(dom::Element& element, const nsString& value) {
    nsCOMPtr<nsIDOMNode> node = element.AsDOMNode();
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(node))
        input->SetValue(value);
    else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(node))
        area->SetValue(value);
    else if (nsCOMPtr<nsIDOMXULTextBoxElement> box = do_QueryInterface(node))
        box->SetValue(value);
}

} // namespace

// ---------------------------------------------------------------------------
// Finding things

DocShell* Browser::FindShell(HWND window) const {
    std::function<DocShell*(DocShell*)> search = [&](DocShell* shell) -> DocShell* {
        if (!shell)
            return nullptr;
        if (shell->NativeWindow() == window)
            return shell;
        for (const auto& child : shell->Children())
            if (DocShell* found = search(child))
                return found;
        return nullptr;
    };
    for (const auto& browserWindow : m_windows)
        if (DocShell* found = search(browserWindow->ChromeShell()))
            return found;
    return nullptr;
}

Browser::Hit Browser::HitTest(POINT screen) const {
    Hit hit;
    for (HWND window = WindowFromPoint(screen); window; window = GetParent(window)) {
        if (DocShell* shell = FindShell(window)) {
            hit.shell = shell;
            hit.client = screen;
            ScreenToClient(window, &hit.client);
            if (PresShell* presentation = shell->Presentation())
                hit.element = presentation->ElementAt(hit.client);
            break;
        }
    }
    return hit;
}

std::optional<POINT> Browser::ScreenCenterOf(dom::Element& element) const {
    dom::Document* document = element.OwnerDocument();
    if (!document)
        return std::nullopt;
    dom::Window* window = document->DocumentWindow();
    if (!window || !window->Hook())
        return std::nullopt;
    HWND native = window->Hook()->NativeWindow();
    DocShell* shell = FindShell(native);
    if (!shell || !shell->Presentation())
        return std::nullopt;
    auto box = shell->Presentation()->ClientRect(element);
    if (!box)
        return std::nullopt;
    POINT center{(box->left + box->right) / 2, (box->top + box->bottom) / 2};
    ClientToScreen(native, &center);
    return center;
}

dom::Element* Browser::FocusedElement() const {
    if (!m_focusedShell)
        return nullptr;
    dom::Document* document = dom::Document::FromDOM(m_focusedShell->CurrentDocument());
    return document ? document->FocusedElement() : nullptr;
}

// ---------------------------------------------------------------------------
// Focus

void Browser::FireChangeIfEdited() {
    dom::Element* focused = FocusedElement();
    if (!focused || !IsEditable(*focused) || !m_focusedShell->Presentation())
        return;
    if (ValueOf(*focused) != m_valueAtFocus)
        m_focusedShell->Presentation()->FirePlain(EditTarget(*focused), u"change", true, false);
}

void Browser::FocusOn(DocShell* shell, dom::Element* element) {
    dom::Element* current = FocusedElement();
    if (current == element && m_focusedShell.get() == shell)
        return;
    nsCOMPtr<DocShell> keepOld = m_focusedShell;
    nsCOMPtr<DocShell> keepNew(shell);
    // A text field tells of its edit when it loses the focus.
    FireChangeIfEdited();
    bool wasMoving = std::exchange(m_movingFocus, true);
    if (current)
        dom::BlurElement(*current);
    m_focusedShell = shell;
    m_valueAtFocus.clear();
    if (element) {
        dom::FocusElement(*element);
        m_valueAtFocus = ValueOf(*element);
    }
    m_movingFocus = wasMoving;
}

void Browser::FocusMoved(DocShell& shell, dom::Element* previous, dom::Element* focused) {
    if (m_movingFocus)
        return;
    // The page or the agent moved the focus: the field the user was in tells
    // of its edit as when the user leaves it, and typing from now on compares
    // against the value the newly focused field has now.
    nsCOMPtr<DocShell> keep(&shell);
    dom::Element* recorded = m_focusedShell.get() == &shell ? previous : FocusedElement();
    if (recorded && recorded != focused && IsEditable(*recorded) &&
        ValueOf(*recorded) != m_valueAtFocus && m_focusedShell && m_focusedShell->Presentation()) {
        dom::NodeRef keepRecorded(recorded);
        m_focusedShell->Presentation()->FirePlain(EditTarget(*recorded), u"change", true, false);
    }
    m_focusedShell = &shell;
    m_valueAtFocus = focused ? ValueOf(*focused) : nsString();
}

// ---------------------------------------------------------------------------
// Pointer

bool Browser::ClickAt(const Hit& hit, MouseButton button, int32_t clickCount) {
    if (!hit.shell || !hit.element || !hit.shell->Presentation())
        return false;
    nsCOMPtr<DocShell> shell(hit.shell);
    nsCOMPtr<PresShell> presentation(hit.shell->Presentation());
    dom::NodeRef keep(hit.element);
    dom::Element& target = *hit.element;
    PresShell::MouseDetails mouse;
    mouse.client = hit.client;
    mouse.screen = hit.client;
    ClientToScreen(shell->NativeWindow(), &mouse.screen);
    mouse.button = button == MouseButton::Left ? 0 : 2;
    mouse.detail = clickCount;

    presentation->SetHover(&target);
    presentation->FireMouse(target, u"mousedown", mouse);
    if (button == MouseButton::Left)
        FocusOn(shell, FocusTargetOf(&target));
    if (!InDocument(target))
        return true; // a handler took the element away
    presentation->FireMouse(target, u"mouseup", mouse);
    if (!InDocument(target))
        return true;
    bool allowed = presentation->FireMouse(target, u"click", mouse);
    if (button == MouseButton::Right) {
        presentation->FireMouse(target, u"contextmenu", mouse);
        return true;
    }
    if (allowed && InDocument(target)) {
        presentation->ClickDefault(target);
        if (InDocument(target) && presentation->FirePlain(target, u"DOMActivate", true, true))
            presentation->ActivateDefault(target);
    }
    // Chrome buttons and menu items run their command.
    dom::Element* command = nullptr;
    for (dom::Node* node = &target; node && !command; node = node->Parent())
        if (node->IsElement() &&
            static_cast<dom::Element*>(node)->Namespace() == dom::ElementNamespace::XUL &&
            IsCommandElement(*static_cast<dom::Element*>(node)))
            command = static_cast<dom::Element*>(node);
    if (allowed && command && !command->HasAttribute(u"disabled") && InDocument(*command))
        presentation->FirePlain(*command, u"command", true, true);
    return true;
}

bool Browser::Click(POINT screen, MouseButton button) {
    return ClickAt(HitTest(screen), button, 1);
}

bool Browser::DoubleClick(POINT screen) {
    Hit hit = HitTest(screen);
    if (!ClickAt(hit, MouseButton::Left, 1))
        return false;
    // The first click may have changed the page: look again.
    hit = HitTest(screen);
    if (!ClickAt(hit, MouseButton::Left, 2))
        return true;
    PresShell::MouseDetails mouse;
    mouse.client = hit.client;
    mouse.screen = screen;
    mouse.detail = 2;
    if (hit.element && InDocument(*hit.element) && hit.shell->Presentation())
        hit.shell->Presentation()->FireMouse(*hit.element, u"dblclick", mouse);
    return true;
}

bool Browser::MoveTo(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    Hit hit = HitTest(screen);
    // The element the pointer left in another window hears of it too.
    for (const auto& window : m_windows) {
        std::function<void(DocShell*)> clear = [&](DocShell* shell) {
            if (!shell)
                return;
            if (shell != hit.shell && shell->Presentation())
                shell->Presentation()->SetHover(nullptr);
            for (const auto& child : shell->Children())
                clear(child);
        };
        clear(window->ChromeShell());
    }
    if (!hit.shell || !hit.shell->Presentation())
        return false;
    hit.shell->Presentation()->SetHover(hit.element);
    return hit.element != nullptr;
}

// ---------------------------------------------------------------------------
// Keyboard

bool Browser::Type(std::u16string_view text) {
    dom::Element* focused = FocusedElement();
    if (!focused || !m_focusedShell->Presentation())
        return false;
    if (!IsEditable(*focused) || focused->HasAttribute(u"readonly") ||
        focused->HasAttribute(u"disabled"))
        return false;
    dom::NodeRef keep(focused);
    nsCOMPtr<PresShell> presentation(m_focusedShell->Presentation());
    dom::Element& target = EditTarget(*focused);
    for (char16_t c : text) {
        if (c == u'\n' && !focused->HasTag(u"textarea")) {
            PressEnter();
            return true;
        }
        // Each character is appended where the control keeps its value, so
        // that typing a long text costs time in proportion to its length.
        if (!dom::AppendTypedText(target, std::u16string_view(&c, 1)))
            SetValueOf(*focused, ValueOf(*focused) + c);
        presentation->FirePlain(target, u"input", true, false);
        if (!InDocument(*focused))
            break;
    }
    return true;
}

bool Browser::PressEnter() {
    dom::Element* focused = FocusedElement();
    if (!focused)
        return false;
    // The address field loads what it holds.
    for (const auto& window : m_windows) {
        if (window->ChromeElement(u"urlbar") == focused) {
            FireChangeIfEdited();
            m_valueAtFocus = ValueOf(*focused);
            window->LoadAddressField();
            return true;
        }
    }
    if (!IsTextField(*focused) || focused->HasTag(u"textarea") || !m_focusedShell->Presentation())
        return false;
    // Enter in a form field submits its form.
    nsCOMPtr<PresShell> presentation(m_focusedShell->Presentation());
    FireChangeIfEdited();
    m_valueAtFocus = ValueOf(*focused);
    for (dom::Node* node = focused; node; node = node->Parent()) {
        if (node->IsElement() && static_cast<dom::Element*>(node)->HasTag(u"form")) {
            auto* form = static_cast<dom::Element*>(node);
            if (presentation->FirePlain(*form, u"submit", true, true))
                if (dom::Document* document = form->OwnerDocument())
                    document->SubmitForm(*form);
            return true;
        }
    }
    return true;
}

bool Browser::PressTab(bool backwards) {
    DocShell* shell = m_focusedShell;
    if (!shell) {
        // Nothing focused yet: the first window's content.
        for (const auto& window : m_windows)
            if (window->ContentShell()) {
                shell = window->ContentShell();
                break;
            }
    }
    if (!shell)
        return false;
    dom::Document* document = dom::Document::FromDOM(shell->CurrentDocument());
    if (!document)
        return false;
    std::vector<dom::Element*> order;
    for (dom::Node* node = document->FirstChild(); node; node = node->NextInTree(document))
        if (node->IsElement() && IsFocusable(*static_cast<dom::Element*>(node)))
            order.push_back(static_cast<dom::Element*>(node));
    if (order.empty())
        return false;
    dom::Element* current = document->FocusedElement();
    auto it = std::find(order.begin(), order.end(), current);
    dom::Element* next;
    if (it == order.end())
        next = backwards ? order.back() : order.front();
    else if (backwards)
        next = it == order.begin() ? order.back() : *(it - 1);
    else
        next = (it + 1 == order.end()) ? order.front() : *(it + 1);
    FocusOn(shell, next);
    return true;
}

// ---------------------------------------------------------------------------
// Lists, toolbar and address field

bool Browser::ChooseListItem(dom::Element& select, int index) {
    nsCOMPtr<nsIDOMHTMLSelectElement> list = do_QueryInterface(select.AsDOMNode());
    dom::Document* document = select.OwnerDocument();
    if (!list || !document || !document->DocumentWindow() || !document->DocumentWindow()->Hook())
        return false;
    nsCOMPtr<nsIDOMHTMLCollection> options;
    list->GetOptions(getter_AddRefs(options));
    PRUint32 count = 0;
    if (options)
        options->GetLength(&count);
    if (index < 0 || static_cast<PRUint32>(index) >= count)
        return false;
    nsCOMPtr<nsIDOMNode> optionNode;
    options->Item(static_cast<PRUint32>(index), getter_AddRefs(optionNode));
    dom::Node* option = dom::Node::FromDOM(optionNode);
    DocShell* shell = FindShell(document->DocumentWindow()->Hook()->NativeWindow());
    if (!option || !option->IsElement() || !shell || !shell->Presentation())
        return false;
    nsCOMPtr<PresShell> presentation(shell->Presentation());
    dom::NodeRef keep(&select);
    PresShell::MouseDetails mouse;
    presentation->FireMouse(select, u"mousedown", mouse);
    FocusOn(shell, &select);
    presentation->FireMouse(select, u"mouseup", mouse);
    auto* optionElement = static_cast<dom::Element*>(option);
    if (presentation->FireMouse(*optionElement, u"click", mouse))
        presentation->ClickDefault(*optionElement);
    return true;
}

bool Browser::PressToolbarButton(BrowserWindow& window, std::u16string_view id) {
    dom::Element* button = window.ChromeElement(id);
    if (!button)
        return false;
    if (auto center = ScreenCenterOf(*button)) {
        Hit hit = HitTest(*center);
        if (hit.element == button || (hit.element && button->IsInclusiveAncestorOf(*hit.element)))
            return ClickAt(hit, MouseButton::Left, 1);
    }
    // Without a box to click (the chrome's layout did not place it), the
    // button is pressed the way its access key would: click and command.
    DocShell* chrome = window.ChromeShell();
    if (!chrome || !chrome->Presentation() || button->HasAttribute(u"disabled"))
        return false;
    nsCOMPtr<PresShell> presentation(chrome->Presentation());
    dom::NodeRef keep(button);
    if (presentation->FireMouse(*button, u"click", PresShell::MouseDetails{}))
        presentation->FirePlain(*button, u"command", true, true);
    return true;
}

bool Browser::ChooseHistoryEntry(BrowserWindow& window, int index) {
    dom::Element* popup = window.ChromeElement(u"ubhist-popup");
    DocShell* chrome = window.ChromeShell();
    if (!popup || !chrome || !chrome->Presentation() || index < 0)
        return false;
    dom::Element* item = nullptr;
    int seen = 0;
    for (dom::Node* node = popup->FirstChild(); node; node = node->NextSibling())
        if (node->IsElement() && static_cast<dom::Element*>(node)->HasTag(u"menuitem") &&
            seen++ == index)
            item = static_cast<dom::Element*>(node);
    if (!item)
        return false;
    nsCOMPtr<PresShell> presentation(chrome->Presentation());
    dom::NodeRef keep(item);
    presentation->FirePlain(*popup, u"popupshowing", true, true);
    if (presentation->FireMouse(*item, u"click", PresShell::MouseDetails{}))
        presentation->FirePlain(*item, u"command", true, true);
    presentation->FirePlain(*popup, u"popuphiding", true, false);
    return true;
}

bool Browser::EnterAddress(BrowserWindow& window, std::u16string_view address) {
    dom::Element* urlbar = window.ChromeElement(u"urlbar");
    if (!urlbar || !window.ChromeShell())
        return false;
    FocusOn(window.ChromeShell(), urlbar);
    SetValueOf(*urlbar, nsString());
    if (!Type(address))
        return false;
    return PressEnter();
}

} // namespace browser
