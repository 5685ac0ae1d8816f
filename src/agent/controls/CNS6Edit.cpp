#include "agent/controls/CNS6Edit.h"

#include "agent/channel/RequestArgs.h"
#include "agent/classutil/ClassUtilities.h"
#include "agent/controls/internal/ControlProperties.h"
#include "agent/model/CNS6Frame.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"

using namespace controls;

namespace {

constexpr nsresult kInvalidArgument = 0x80070057u;

// Text areas keep line feeds; the tool expects Windows line ends.
std::string WithWindowsLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n') {
            out.push_back('\r');
        }
        out.push_back(c);
    }
    return out;
}

} // namespace

CNS6Edit::CNS6Edit(nsIDOMNode* node, const CWebObjRef& frame) : CNS6StdObj(node, frame) {
    SetUtil(&GetClassUtilities().edit);
    // Seed the frame's memory with the page's own value, so that the first
    // recorded change is measured against what the page showed. Password and
    // XUL text fields start from an empty baseline instead.
    if (IsPassword() || IsXulTextField()) {
        return;
    }
    CNS6Frame* owner = OwnerFrame();
    if (owner != nullptr && !owner->LookupRecordedState(RunTimeID())) {
        CWebInfo scratch;
        IsRecordEnabled(scratch);
    }
}

bool CNS6Edit::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    static constexpr std::array<OwnProperty<CNS6Edit>, 8> kOwn{{
        {"name", &CNS6Edit::ReadName},
        {"value", &CNS6Edit::ReadValue},
        {"cols", &CNS6Edit::ReadCols},
        {"rows", &CNS6Edit::ReadRows},
        {"kind", &CNS6Edit::ReadKind},
        {"element_name", &CNS6Edit::ReadElementName},
        {"type", &CNS6Edit::ReadType},
        {"enabled", &CNS6Edit::ReadEnabled},
    }};
    if (SelectOwnProperty(*this, kOwn, name, value, position)) {
        return true;
    }
    return CNS6StdObj::GetPropertyAt(name, value, position);
}

void CNS6Edit::ReadName(CWebVariantList& value) {
    std::optional<std::string> name;
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        name = ReadText(input.get(), &nsIDOMHTMLInputElement::GetName);
    } else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(DomNode())) {
        name = ReadText(area.get(), &nsIDOMHTMLTextAreaElement::GetName);
    } else {
        name = GetAttributeText(DomNode(), "name");
    }
    value.Set(name && !name->empty() ? *name : std::string("edit"));
}

void CNS6Edit::ReadValue(CWebVariantList& value) {
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        value.Set(ReadText(input.get(), &nsIDOMHTMLInputElement::GetValue).value_or(""));
    } else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(DomNode())) {
        value.Set(WithWindowsLineEnds(
            ReadText(area.get(), &nsIDOMHTMLTextAreaElement::GetValue).value_or("")));
    } else if (nsCOMPtr<nsIDOMXULTextBoxElement> box = do_QueryInterface(DomNode())) {
        // The text box's "value" attribute is only its initial text; what the
        // user typed is in its input field.
        value.Set(ReadText(box.get(), &nsIDOMXULTextBoxElement::GetValue).value_or(""));
    } else {
        value.Set(GetAttributeText(DomNode(), "value"));
    }
}

void CNS6Edit::ReadCols(CWebVariantList& value) {
    int32_t cols = 0;
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        cols = GetAttributeInt(DomNode(), "size");
    } else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(DomNode())) {
        cols = ReadNumber(area.get(), &nsIDOMHTMLTextAreaElement::GetCols).value_or(0);
    }
    value.Set(cols);
}

void CNS6Edit::ReadRows(CWebVariantList& value) {
    nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(DomNode());
    value.Set(ReadNumber(area.get(), &nsIDOMHTMLTextAreaElement::GetRows).value_or(0));
}

void CNS6Edit::ReadKind(CWebVariantList& value) {
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        value.Set("singeline"); // the tool's own spelling
    } else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(DomNode())) {
        value.Set("multiline");
    } else {
        SetNotApplicable(value);
    }
}

void CNS6Edit::ReadElementName(CWebVariantList& value) {
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        value.Set(ReadText(input.get(), &nsIDOMHTMLInputElement::GetName).value_or(""));
    } else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(DomNode())) {
        value.Set(ReadText(area.get(), &nsIDOMHTMLTextAreaElement::GetName).value_or(""));
    } else {
        SetNotApplicable(value);
    }
}

void CNS6Edit::ReadType(CWebVariantList& value) {
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        std::string type = ReadText(input.get(), &nsIDOMHTMLInputElement::GetType).value_or("");
        value.Set(EqualsIgnoringCase(type, "TEXTAREA") ? std::string("text") : type);
    } else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(DomNode())) {
        value.Set(ReadText(area.get(), &nsIDOMHTMLTextAreaElement::GetType).value_or(""));
    } else {
        value.Set(GetAttributeText(DomNode(), "type"));
    }
}

void CNS6Edit::ReadEnabled(CWebVariantList& value) {
    std::optional<bool> disabled;
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        disabled = ReadFlag(input.get(), &nsIDOMHTMLInputElement::GetDisabled);
    } else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(DomNode())) {
        disabled = ReadFlag(area.get(), &nsIDOMHTMLTextAreaElement::GetDisabled);
    }
    if (!disabled) {
        disabled = HasNonEmptyAttribute(DomNode(), "disabled");
    }
    value.Set(*disabled ? 0 : 1);
}

bool CNS6Edit::IsPassword() {
    CWebVariantList type;
    std::string name = "type";
    return CNS6Edit::GetPropertyAt(name, type, -1) && type.GetType() == WebVariantType::String &&
           !type.IsEmpty() && type.GetAt(0)->GetString() == "password";
}

bool CNS6Edit::IsXulTextField() {
    nsIDOMNode* node = DomNode();
    if (node == nullptr) {
        return false;
    }
    if (std::optional<std::string> local = ReadText(node, &nsIDOMNode::GetLocalName)) {
        if (EqualsIgnoringCase(*local, "textfield") || EqualsIgnoringCase(*local, "textbox")) {
            return true;
        }
    }
    // The anonymous input inside a XUL text box.
    nsCOMPtr<nsIDOMNode> parent;
    if (NS_FAILED(node->GetParentNode(getter_AddRefs(parent))) || !parent) {
        return false;
    }
    const std::string parentTag = GetTagName(parent.get());
    return parentTag.size() >= 4 &&
           EqualsIgnoringCase(std::string_view(parentTag).substr(0, 4), "xul:");
}

bool CNS6Edit::CallMethod(std::string_view method, CWebInfo& record) {
    if (method == "IsRecordEnabled") {
        IsRecordEnabled(record);
        return true;
    }
    if (method == "SetValue") {
        SetValue(record);
        return true;
    }
    return CNS6StdObj::CallMethod(method, record);
}

void CNS6Edit::IsRecordEnabled(CWebInfo& record) {
    record.SetRetValue(1);
    CWebVariantList current;
    if (!GetProperty("value", current) || current.GetType() != WebVariantType::String ||
        current.IsEmpty()) {
        return;
    }
    const std::string& now = current.GetAt(0)->GetString();
    CNS6Frame* owner = OwnerFrame();
    if (owner == nullptr) {
        return;
    }
    std::string stored;
    const bool found = owner->LookupRecordedState(RunTimeID(), &stored);
    if (stored != now) {
        record.SetRetValue(0);
        // Fields that were not seeded learn their value only at the second
        // change, so that the first one is recorded against an empty start.
        if (found || !(IsPassword() || IsXulTextField())) {
            stored = now;
        }
        owner->StoreRecordedState(RunTimeID(), stored);
    } else if (!found) {
        owner->StoreRecordedState(RunTimeID(), now);
    }
}

void CNS6Edit::SetValue(CWebInfo& record) {
    std::optional<std::string> text = StringArg(record, "value");
    if (!text) {
        record.SetRetValue(kInvalidArgument);
        return;
    }
    const nsString wide = ToHostString(*text);
    if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(DomNode())) {
        input->SetValue(wide);
    } else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(DomNode())) {
        area->SetValue(wide);
    } else if (nsCOMPtr<nsIDOMXULTextBoxElement> box = do_QueryInterface(DomNode())) {
        // Typing goes into the text box's input field, as the user's does.
        box->SetValue(wide);
    } else {
        SetAttributeText(DomNode(), "value", *text);
    }
}

// --- CNS6File ---

CNS6File::CNS6File(nsIDOMNode* node, const CWebObjRef& frame)
    : CNS6Edit(node, frame), CNS6PushButton(node, frame) {
    CNS6Edit::SetUtil(&GetClassUtilities().file);
    CNS6PushButton::SetUtil(&GetClassUtilities().file);
}

CWebObjRef CNS6File::Create(nsIDOMNode* node, const CWebObjRef& frame) {
    return CWebObjRef(static_cast<CNS6Edit*>(new CNS6File(node, frame)));
}

bool CNS6File::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    if (position == 0 || name == "element_name") {
        if (position == 0) {
            name = "element_name";
        }
        value.Clear();
        ReadInputName(CNS6Edit::DomNode(), value);
        return true;
    }
    if (position > 0) {
        --position;
    }
    if (CNS6Edit::GetPropertyAt(name, value, position)) {
        return true;
    }
    return CNS6PushButton::GetPropertyAt(name, value, position);
}
