#include "agent/record/CNS6EventUtil.h"

#include "agent/channel/CWebInfo.h"
#include "agent/channel/ToolSender.h"
#include "agent/common/AgentCodes.h"
#include "agent/common/DomHelpers.h"
#include "agent/common/IAgentContext.h"
#include "agent/elements/CNS6Obj.h"
#include "agent/elements/LayoutTreeBuilder.h"
#include "agent/model/CNS6Frame.h"
#include "platform/win32/Windows.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"

#include <memory>
#include <string>

namespace {

std::string EventType(nsIDOMEvent* event) {
    nsString type;
    if (NS_FAILED(event->GetType(type))) {
        return {};
    }
    return ToNarrow(type);
}

nsCOMPtr<nsIDOMNode> TargetNode(nsIDOMEvent* event) {
    nsCOMPtr<nsIDOMEventTarget> target;
    if (NS_FAILED(event->GetTarget(getter_AddRefs(target))) || !target) {
        return {};
    }
    nsCOMPtr<nsIDOMNode> node = do_QueryInterface(target);
    return node;
}

nsCOMPtr<nsIDOMNode> OriginalTargetNode(nsIDOMEvent* event) {
    nsCOMPtr<nsIDOMNSEvent> extended = do_QueryInterface(event);
    nsCOMPtr<nsIDOMEventTarget> target;
    if (!extended || NS_FAILED(extended->GetOriginalTarget(getter_AddRefs(target))) || !target) {
        return {};
    }
    nsCOMPtr<nsIDOMNode> node = do_QueryInterface(target);
    return node;
}

std::string LocalName(nsIDOMNode* node) {
    nsString name;
    if (node == nullptr || NS_FAILED(node->GetLocalName(name))) {
        return {};
    }
    return ToNarrow(name);
}

bool IsXulElement(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMXULElement> xul = do_QueryInterface(node);
    return static_cast<bool>(xul);
}

bool IsElement(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMElement> element = do_QueryInterface(node);
    return static_cast<bool>(element);
}

bool IsEditField(CWebObj& object) {
    return object.MatchProperty("class", CWebVariantList(CWebVariant("html_edit")), true);
}

HWND WindowOf(const CWebRunTimeID& id) {
    return HwndFromValue(static_cast<ULONG>(id.First()));
}

// The window the signal goes to for a page event: the frame's own window.
HWND FrameWindowOf(CWebObj& frame) {
    if (auto* known = dynamic_cast<CNS6Frame*>(&frame)) {
        return known->GetWindow();
    }
    return WindowOf(frame.RunTimeID());
}

// The event's page coordinates relative to the object's rectangle and its
// frame's scroll position.
bool PositionInside(nsIDOMEvent* event, CWebObj& object, POINT& out) {
    nsCOMPtr<nsIDOMNSUIEvent> ui = do_QueryInterface(event);
    if (!ui) {
        return false;
    }
    PRInt32 x = 0;
    PRInt32 y = 0;
    ui->GetPageX(&x);
    ui->GetPageY(&y);
    CWebVariantList rect;
    if (object.GetProperty("rect", rect) && rect.GetType() == WebVariantType::Rect &&
        !rect.IsEmpty()) {
        RECT r = rect.GetAt(0)->GetRect();
        x -= r.left;
        y -= r.top;
        if (auto* element = dynamic_cast<CNS6Obj*>(&object)) {
            CWebObjRef owner = element->GetOwnerFrame();
            auto* frame = dynamic_cast<CNS6Frame*>(owner.Get());
            if (frame != nullptr && frame->GetDomWindow() != nullptr) {
                PRInt32 scrollX = 0;
                PRInt32 scrollY = 0;
                frame->GetDomWindow()->GetScrollX(&scrollX);
                frame->GetDomWindow()->GetScrollY(&scrollY);
                x -= scrollX;
                y -= scrollY;
            }
        }
    }
    out = POINT{x, y};
    return true;
}

// The chrome statement a left click on a toolbar button stands for.
std::string_view ToolbarStatement(nsIDOMNode* element) {
    const std::string id = GetAttributeText(element, "id");
    const std::string label = GetAttributeText(element, "label");
    if (id.empty() && label.empty()) {
        return {};
    }
    if (EqualsIgnoringCase(id, "back-button") || EqualsIgnoringCase(label, "Back")) {
        return "Back";
    }
    if (EqualsIgnoringCase(id, "forward-button") || EqualsIgnoringCase(label, "Forward")) {
        return "Forward";
    }
    if (EqualsIgnoringCase(id, "home-button")) {
        return "Home";
    }
    if (EqualsIgnoringCase(id, "reload-button")) {
        return "ReLoad";
    }
    return {};
}

std::string InputValue(nsIDOMNode* node) {
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(node);
    nsString value;
    if (!input || NS_FAILED(input->GetValue(value))) {
        return {};
    }
    return ToNarrow(value);
}

} // namespace

void StoreRecordedStatement(const CWebRunTimeID& id, std::string_view name,
                            const CWebInfo& record) {
    if (IAgentContext* context = GetAgentContext()) {
        context->StoreLastEvent(id, name, record);
    }
}

CNS6EventUtil& GetEventRecorder() {
    // Never destroyed: DOM events may arrive while the library unloads.
    static CNS6EventUtil* recorder = new CNS6EventUtil();
    return *recorder;
}

nsresult CNS6EventUtil::ElementEvent(nsIDOMEvent* event, const CWebObjRef& frame) {
    if (event == nullptr || !frame.IsValid()) {
        return E_FAIL;
    }
    const std::string type = EventType(event);
    const std::string_view handler = HandlerNameOfEvent(type);
    if (handler.empty()) {
        return E_FAIL;
    }
    nsCOMPtr<nsIDOMNode> target = TargetNode(event);
    IAgentContext* context = GetAgentContext();
    if (!target || context == nullptr) {
        return E_FAIL;
    }
    CLayoutTreeBuilder* builder = context->GetLayoutBuilder();
    if (builder == nullptr) {
        return E_FAIL;
    }
    nsCOMPtr<nsIDOMNode> element = CLayoutTreeBuilder::NearestSignificantElement(target.get());
    if (!element) {
        return E_FAIL;
    }
    std::string tag = GetTagName(element.get());

    if (handler == "onfocus") {
        m_LastFocused = element;
    }
    // A text area is recorded when the user leaves it, not at each change.
    if (handler == "onchange" && EqualsIgnoringCase(tag, "TEXTAREA") &&
        element.get() == m_LastFocused.get()) {
        return NS_OK;
    }
    CWebObjRef object = builder->FindRecordableObject(element.get(), frame, TableCheck::Yes);
    if (!object.IsValid()) {
        return E_FAIL;
    }

    // The text boxes of a XUL chrome: the input inside one stands for the
    // text box; a text box stands for the input the event started at.
    if (EqualsIgnoringCase(tag, "input")) {
        nsCOMPtr<nsIDOMNode> ancestor;
        element->GetParentNode(getter_AddRefs(ancestor));
        while (ancestor && IsXulElement(ancestor.get())) {
            if (EqualsIgnoringCase(LocalName(ancestor.get()), "textbox")) {
                element = ancestor;
                object = builder->FindRecordableObject(element.get(), frame, TableCheck::Yes);
                break;
            }
            nsCOMPtr<nsIDOMNode> parent;
            ancestor->GetParentNode(getter_AddRefs(parent));
            ancestor = parent;
        }
        if (!object.IsValid()) {
            return E_FAIL;
        }
    } else if (EqualsIgnoringCase(tag, "textfield") || EqualsIgnoringCase(tag, "textbox")) {
        nsCOMPtr<nsIDOMNode> original = OriginalTargetNode(event);
        nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(original);
        if (!input) {
            return E_FAIL;
        }
        CWebObjRef owner = object->GetParent();
        if (auto* elementObject = dynamic_cast<CNS6Obj*>(object.Get())) {
            owner = elementObject->GetOwnerFrame();
        }
        object =
            builder->ObjectForNode(original.get(), owner, kSpecificObjects, MapImage::Disallow);
        if (!object.IsValid()) {
            return E_FAIL;
        }
    }

    const bool editField = IsEditField(*object.Get());
    CWebInfo reply;
    if (handler == "onfocus" && editField) {
        // Seeds the field's remembered value, so that leaving it unchanged
        // later records nothing.
        object->CallMethod("IsRecordEnabled", reply);
    }
    if (nsresult rule = ShouldRecord(*object.Get(), handler, tag); rule != NS_OK) {
        return rule;
    }
    reply = CWebInfo();
    object->CallMethod("IsRecordEnabled", reply);

    CWebInfo attributes;
    if (editField) {
        if (reply.GetRetValue() != NS_OK) {
            return NS_OK; // the value did not change since it was last recorded
        }
        attributes.AddAttr("value", CWebVariantList());
        attributes.AddAttr("type", CWebVariantList());
        if (!object->GetProperties(attributes)) {
            return E_FAIL;
        }
    }
    if (!IsWindow(WindowOf(object->RunTimeID()))) {
        return E_FAIL;
    }
    POINT position{};
    if (!PositionInside(event, *object.Get(), position)) {
        return E_FAIL;
    }
    // The statement is stored whole, once every check passed: a failure
    // above leaves the previous statement untouched.
    StoreRecordedStatement(object->RunTimeID(), handler, attributes);

    HWND signal = FrameWindowOf(*frame.Get());
    if (IsWindow(signal)) {
        SendMessage(signal, kRecordedSignal, static_cast<WPARAM>(position.x),
                    static_cast<LPARAM>(position.y));
    }
    return NS_OK;
}

nsresult CNS6EventUtil::ChromeEvent(nsIDOMEvent* event, const CWebObjRef& browser) {
    if (event == nullptr) {
        return E_FAIL;
    }
    const std::string type = EventType(event);
    const std::string_view handler = HandlerNameOfEvent(type);
    if (handler.empty()) {
        return E_FAIL;
    }
    if (handler == "onblur" || handler == "onfocus") {
        return NS_OK;
    }
    nsCOMPtr<nsIDOMNode> target = TargetNode(event);
    if (!target || !browser.IsValid()) {
        return E_FAIL;
    }

    std::string_view statement;
    std::string text;
    if (handler == "onclick") {
        nsCOMPtr<nsIDOMMouseEvent> mouse = do_QueryInterface(event);
        PRUint16 button = 1;
        if (!mouse || NS_FAILED(mouse->GetButton(&button)) || button != 0) {
            return NS_OK;
        }
        if (GetAttributeText(target.get(), "disabled") == "true") {
            return NS_OK;
        }
        statement = ToolbarStatement(target.get());
    } else if (handler == "oncommand") {
        nsCOMPtr<nsIDOMNode> parent;
        target->GetParentNode(getter_AddRefs(parent));
        if (!IsElement(target.get()) || !parent || !IsElement(parent.get())) {
            return NS_OK;
        }
        std::string label = GetAttributeText(target.get(), "label");
        if (EqualsIgnoringCase(GetNodeName(target.get()), "menuitem") &&
            EqualsIgnoringCase(GetAttributeText(parent.get(), "id"), "ubhist-popup") &&
            !label.empty()) {
            statement = "list_select_item";
            text = std::move(label);
        }
    } else if (handler == "onchange") {
        nsCOMPtr<nsIDOMNode> original = OriginalTargetNode(event);
        nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(original);
        if (input) {
            statement = "edit_set";
            text = InputValue(original.get());
        }
    }
    if (statement.empty()) {
        return NS_OK;
    }
    CWebInfo attributes;
    if (!text.empty()) {
        attributes.AddAttr("url", CWebVariantList(CWebVariant(text)));
    }
    // Keep the browser alive across the signal: the tool's handling of it
    // may run requests that change the registry.
    CWebObjRef keep = browser;
    StoreRecordedStatement(browser->RunTimeID(), statement, attributes);

    HWND top = WindowOf(browser->RunTimeID());
    HWND child =
        IsWindow(top) ? FindWindowEx(top, nullptr, "MozillaWindowClass", nullptr) : nullptr;
    if (child != nullptr && GetParent(child) == top && IsWindow(child)) {
        SendMessage(child, kRecordedSignal, 0, 0);
    }
    return NS_OK;
}

nsresult CNS6EventUtil::NavigationNotice(const CWebObjRef& browser) {
    CWebInfo notice;
    notice.SetMsgId(static_cast<int32_t>(MsgId::NavigationNotice));
    SendRecordToTool(notice);
    if (!browser.IsValid()) {
        return E_FAIL;
    }
    HWND window = WindowOf(browser->RunTimeID());
    if (IsWindow(window)) {
        SendMessage(window, kRecordedSignal, 0, 0);
    }
    return NS_OK;
}
