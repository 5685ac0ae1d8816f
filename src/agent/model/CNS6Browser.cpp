#include "agent/model/CNS6Browser.h"

#include "agent/channel/CAgentWindow.h"
#include "agent/channel/RequestArgs.h"
#include "agent/common/IAgentContext.h"
#include "agent/common/WindowHelpers.h"
#include "agent/model/CNS6StreamListener.h"
#include "agent/model/CWebFrameUtil.h"
#include "agent/model/INS6Frame.h"
#include "platform/win32/WinUser.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/dom/nsIDOMNode.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"
#include "platform/xpcom/shell/nsIDocShell.h"

#include <algorithm>
#include <array>

namespace {

// "state" of a browser with nothing loading; a disabled window (a modal
// dialog is up) reports it too.
constexpr int32_t kStateIdle = 4;

int32_t ValueOf(HWND window) {
    return static_cast<int32_t>(HandleToULong(window));
}

nsCOMPtr<nsIDocShell> DocShellOf(nsIDOMWindow* window) {
    nsCOMPtr<nsIDocShell> shell;
    if (NS_FAILED(GetDocShell(window, getter_AddRefs(shell)))) {
        return nullptr;
    }
    return shell;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

struct ToolBarCommand {
    std::string_view command;
    std::u16string_view elementId;
    std::u16string_view tag;
};

constexpr std::array<ToolBarCommand, 5> kToolBarCommands = {{
    {"Back", u"back-button", u"menubutton"},
    {"Forward", u"forward-button", u"menubutton"},
    {"Home", u"home-button", u"button"},
    {"ReLoad", u"reload-button", u"button"},
    {"Navigate", u"urlbar", u"textbox"},
}};

} // namespace

CNS6Container::CNS6Container(HWND window, nsIDOMWindow* chromeWindow, IAgentContext* context)
    : CWebObj(nullptr, {}), m_Window(ValueOf(window)) {
    SetId(CWebRunTimeID(m_Window, -1, -1, -1));
    SetContext(context);
    m_ChromeWindow = chromeWindow;
    IAgentContext* agent = GetContext();
    if (agent == nullptr) {
        return;
    }
    m_ContentListener = agent->CreateContentListener(CWebObjRef(this));
    if (m_ContentListener == nullptr) {
        return;
    }
    m_ContentListener->AddRef();
    m_ListenerInstalled = true;
    if (nsCOMPtr<nsIDocShell> shell = DocShellOf(m_ChromeWindow.get())) {
        nsCOMPtr<nsIURIContentListener> previous;
        shell->GetParentURIContentListener(getter_AddRefs(previous));
        m_ContentListener->SetParentContentListener(previous.get());
        shell->SetParentURIContentListener(m_ContentListener);
    }
}

CNS6Container::~CNS6Container() {
    m_AgentWindow.reset();
    if (IAgentContext* context = GetContext()) {
        context->RemoveBrowser(GetWindow());
    }
    if (m_ContentListener != nullptr) {
        // The document shell holds no reference to its parent listener: put
        // the one we chained to back, so that it is not left pointing at a
        // listener that goes with us.
        if (nsCOMPtr<nsIDocShell> shell = DocShellOf(m_ChromeWindow.get())) {
            nsCOMPtr<nsIURIContentListener> current;
            shell->GetParentURIContentListener(getter_AddRefs(current));
            if (current.get() == m_ContentListener) {
                nsCOMPtr<nsIURIContentListener> chained;
                m_ContentListener->GetParentContentListener(getter_AddRefs(chained));
                shell->SetParentURIContentListener(chained.get());
            }
        }
        m_ContentListener->Release();
        m_ContentListener = nullptr;
    }
    // Pages and frames go with the base.
    ReleaseChildren();
}

CAgentWindow* CNS6Container::GetAgentWindow() {
    if (m_AgentWindow) {
        return m_AgentWindow.get();
    }
    IAgentContext* context = GetContext();
    m_AgentWindow = std::make_unique<CAgentWindow>(GetWindow(), context);
    // Keep alive across re-entrancy: the announcement sends a message to the
    // tool, and nested requests may run while it waits.
    CWebObjRef self(this);
    m_AgentWindow->Create(context != nullptr ? context->GetModuleInstance() : nullptr,
                          dynamic_cast<CNS6Browser*>(this));
    return self.IsValid() ? m_AgentWindow.get() : nullptr;
}

nsIDOMWindow* CNS6Container::GetContentWindow() {
    if (m_ContentWindow) {
        return m_ContentWindow.get();
    }
    nsCOMPtr<nsIDocShell> chrome = DocShellOf(m_ChromeWindow.get());
    nsCOMPtr<nsIDocShellTreeItem> item = do_QueryInterface(chrome);
    if (!item) {
        return nullptr;
    }
    nsCOMPtr<nsIDocShellTreeOwner> owner;
    if (NS_FAILED(item->GetTreeOwner(getter_AddRefs(owner))) || !owner) {
        return nullptr;
    }
    nsCOMPtr<nsIDocShellTreeItem> primary;
    if (NS_FAILED(owner->GetPrimaryContentShell(getter_AddRefs(primary))) || !primary) {
        return nullptr;
    }
    nsCOMPtr<nsIDocShell> content = do_QueryInterface(primary);
    nsCOMPtr<nsIDOMWindow> window;
    if (!content || NS_FAILED(content->GetDOMWindow(getter_AddRefs(window))) || !window) {
        return nullptr;
    }
    m_ContentWindow = window;
    return m_ContentWindow.get();
}

bool CNS6Container::IsAlive() {
    if (!IsWindow(GetWindow())) {
        return false;
    }
    return DocShellOf(m_ChromeWindow.get()) != nullptr;
}

std::vector<CWebObjRef> CNS6Container::CollectPages() {
    std::vector<CWebObjRef> pages;
    PurgeRemovedChildren();
    for (size_t slot = 0; slot < GetChildSlotCount(); ++slot) {
        CWebObjRef page(ChildAt(slot));
        if (page && page->RunTimeID().MatchesChildFilter(kChildFilterOrdinary)) {
            pages.push_back(std::move(page));
        }
    }
    return pages;
}

void CNS6Container::PruneDeadChildren() {
    for (CWebObjRef& page : CollectPages()) {
        auto* frame = dynamic_cast<INS6Frame*>(page.Get());
        if (frame != nullptr && !frame->IsFrameAlive()) {
            page.Destroy();
        }
    }
}

CWebObjRef CNS6Container::FindChildByWindow(HWND window) {
    if (window == nullptr) {
        return {};
    }
    HWND parent = ::GetParent(window);
    for (CWebObjRef& page : CollectPages()) {
        auto* frame = dynamic_cast<INS6Frame*>(page.Get());
        if (frame == nullptr) {
            continue;
        }
        HWND own = frame->GetFrameWindow();
        if (own != nullptr && (own == window || own == parent)) {
            return page;
        }
    }
    return {};
}

CWebObjRef CNS6Container::FindFrameByWindow(nsIDOMWindow* window) {
    std::vector<CWebObjRef> pages;
    CWebObj::CollectChildren(pages, kChildFilterOrdinary);
    for (CWebObjRef& page : pages) {
        auto* ops = dynamic_cast<INS6Page*>(page.Get());
        if (ops == nullptr) {
            continue;
        }
        if (CWebObjRef frame = ops->FindFrameByWindow(window)) {
            return frame;
        }
    }
    return {};
}

bool CNS6Container::BuildChildren() {
    if (!IsAlive()) {
        return false;
    }
    PruneDeadChildren();
    IAgentContext* context = GetContext();
    if (context == nullptr || !context->HasTrapState()) {
        return false;
    }
    // The page stays our child; the handle is not needed here.
    context->GetOrCreatePage(GetContentWindow(), nullptr);
    return true;
}

bool CNS6Container::AddChild(const CWebObjRef& child) {
    PruneDeadChildren();
    return CWebObj::AddChild(child);
}

bool CNS6Container::CollectChildren(std::vector<CWebObjRef>& out, int32_t /*flags*/) {
    if (!EnsureChildren()) {
        return false;
    }
    PruneDeadChildren();
    for (CWebObjRef& page : CollectPages()) {
        out.push_back(page);
        if (auto* ops = dynamic_cast<INS6Page*>(page.Get())) {
            ops->AppendFrames(out);
        }
    }
    return true;
}

CWebObjRef CNS6Container::GetChildById(const CWebRunTimeID& id) {
    for (CWebObjRef& page : CollectPages()) {
        if (page->RunTimeID() == id) {
            return page;
        }
        if (auto* ops = dynamic_cast<INS6Page*>(page.Get())) {
            if (CWebObjRef frame = ops->FindFrameById(id)) {
                return frame;
            }
        }
    }
    return {};
}

// The container's properties in enumeration order, with the enumerator its
// handler below answers. X(enumerator, name)
#define WEBAGENT_CONTAINER_PROPERTIES(X)                                                           \
    X(Class, "class")                                                                              \
    X(Handle, "handle")                                                                            \
    X(Child, "child")                                                                              \
    X(State, "state")

namespace {

enum ContainerProperty : size_t {
#define WEBAGENT_CONTAINER_PROPERTY_ENUM(enumerator, name) k##enumerator,
    WEBAGENT_CONTAINER_PROPERTIES(WEBAGENT_CONTAINER_PROPERTY_ENUM)
#undef WEBAGENT_CONTAINER_PROPERTY_ENUM
};

constexpr std::array kContainerProperties = {
#define WEBAGENT_CONTAINER_PROPERTY_NAME(enumerator, name) std::string_view(name),
    WEBAGENT_CONTAINER_PROPERTIES(WEBAGENT_CONTAINER_PROPERTY_NAME)
#undef WEBAGENT_CONTAINER_PROPERTY_NAME
};

} // namespace

bool CNS6Container::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    const auto& kNames = kContainerProperties;
    size_t index = 0;
    if (position < 0) {
        auto it = std::find(kNames.begin(), kNames.end(), name);
        if (it == kNames.end()) {
            return false;
        }
        index = static_cast<size_t>(it - kNames.begin());
    } else if (static_cast<size_t>(position) < kNames.size()) {
        index = static_cast<size_t>(position);
        name = kNames[index];
    } else {
        return false;
    }
    switch (index) {
    case kClass:
        value.Set(std::string_view("Container"));
        return true;
    case kHandle:
        value.Set(m_Window);
        return true;
    case kChild: {
        CWebObjRef child = GetChildByValue(value);
        if (child) {
            value.Set(child->RunTimeID());
        } else {
            value.Clear();
            value.SetStatus(kWebStatusNoSuchChild);
        }
        return true;
    }
    case kState:
        break;
    }
    // "state": idle while the window is disabled, else the addressed or the
    // first busy page's state.
    if ((static_cast<DWORD>(GetWindowLong(GetWindow(), GWL_STYLE)) & WS_DISABLED) != 0) {
        value.Set(kStateIdle);
        return true;
    }
    if (value.GetType() == WebVariantType::RunTimeID && !value.IsEmpty()) {
        if (CWebObjRef target = FindDescendant(value.GetAt(0)->GetRunTimeID())) {
            return target->GetProperty("state", value);
        }
    }
    std::vector<CWebObjRef> pages;
    CWebObj::CollectChildren(pages, kChildFilterOrdinary);
    for (CWebObjRef& page : pages) {
        CWebVariantList state;
        if (page && page->GetProperty("state", state) &&
            state.GetType() == WebVariantType::Integer && !state.IsEmpty() &&
            state.GetAt(0)->GetInteger() != kStateIdle) {
            value = state;
            return true;
        }
    }
    value.Set(kStateIdle);
    return true;
}

bool CNS6Container::CallMethod(std::string_view method, CWebInfo& record) {
    if (method == "GetHtmlClass") {
        GetHtmlClass(record);
        return true;
    }
    if (method == "SaveImgContentToFile") {
        SaveImgContentToFile(record);
        return true;
    }
    return CWebObj::CallMethod(method, record);
}

void CNS6Container::GetHtmlClass(CWebInfo& record) {
    record.SetRetValue(E_FAIL);
    std::optional<int32_t> handle = IntegerArg(record, "handle");
    record.RemoveAttr("handle");
    if (!handle) {
        return;
    }
    std::vector<CWebObjRef> entries;
    CollectChildren(entries, kChildFilterOrdinary);
    if (entries.empty()) {
        return;
    }
    record.SetRetValue(NS_OK);
    const HWND wanted = HwndFromValue(static_cast<ULONG>(*handle));
    CWebVariantList handles;
    bool decided = false;
    for (CWebObjRef& entry : entries) {
        auto* frame = dynamic_cast<INS6Frame*>(entry.Get());
        if (frame == nullptr) {
            continue;
        }
        if (!decided && frame->IsEmbedHwnd(wanted)) {
            AppendString(record, "class", "embeded");
            decided = true;
        }
        const int32_t own = ValueOf(frame->GetFrameWindow());
        handles.Append(own);
        if (!decided && own != 0 && own == *handle) {
            AppendString(record, "class", "html_frame");
            decided = true;
        }
    }
    record.SetAttr("handle", handles);
}

void CNS6Container::SaveImgContentToFile(CWebInfo& record) {
    record.SetRetValue(E_FAIL);
    std::optional<std::string> fileName = StringArg(record, "file_name");
    std::optional<std::string> url = StringArg(record, "url");
    if (!fileName || !url) {
        return;
    }
    // Success only when the whole image reached the file: a save that
    // failed must not pass for one the tool may go on to compare.
    if (NS_SUCCEEDED(SaveUrlToFile(*url, *fileName))) {
        record.SetRetValue(NS_OK);
    }
}

CNS6Browser::CNS6Browser(HWND window, nsIDOMWindow* chromeWindow, IAgentContext* context)
    : CNS6Container(window, chromeWindow, context) {
    SetUtil(&BrowserClassUtil());
}

bool CNS6Browser::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    if (position == 0 || (position < 0 && name == "class")) {
        name = "class";
        GetUtil()->GetClassNames(value);
        return true;
    }
    return CNS6Container::GetPropertyAt(name, value, position < 0 ? position : position - 1);
}

bool CNS6Browser::CallMethod(std::string_view method, CWebInfo& record) {
    if (method == "BrowserCommand") {
        if (CWebObjRef page = GetChild(1)) {
            page->CallMethod(method, record);
        }
        return true;
    }
    if (method == "GetToolBarRect") {
        record.SetRetValue(E_FAIL);
        std::optional<std::string> command = StringArg(record, "command");
        RECT rect{};
        if (command && GetToolBarRect(*command, rect)) {
            CWebVariantList value;
            value.Set(rect);
            record.AddAttr("rect", value);
            record.SetRetValue(NS_OK);
        }
        return true;
    }
    return CNS6Container::CallMethod(method, record);
}

bool CNS6Browser::GetToolBarRect(std::string_view command, RECT& rect) {
    auto entry = std::find_if(kToolBarCommands.begin(), kToolBarCommands.end(),
                              [&](const ToolBarCommand& c) { return c.command == command; });
    if (entry == kToolBarCommands.end() || !GetChromeWindow()) {
        return false;
    }
    nsCOMPtr<nsIDOMDocument> document;
    if (NS_FAILED(GetChromeWindow()->GetDocument(getter_AddRefs(document))) || !document) {
        return false;
    }
    nsCOMPtr<nsIDOMNodeList> elements;
    if (NS_FAILED(document->GetElementsByTagName(nsString(entry->tag), getter_AddRefs(elements))) ||
        !elements) {
        return false;
    }
    PRUint32 length = 0;
    elements->GetLength(&length);
    for (PRUint32 i = 0; i < length; ++i) {
        nsCOMPtr<nsIDOMNode> node;
        elements->Item(i, getter_AddRefs(node));
        nsCOMPtr<nsIDOMElement> element = do_QueryInterface(node);
        if (!element) {
            continue;
        }
        nsString id;
        element->GetAttribute(u"id", id);
        if (!EqualsIgnoringCase(id, entry->elementId)) {
            continue;
        }
        nsCOMPtr<nsIDOMXULElement> xul = do_QueryInterface(element);
        nsCOMPtr<nsIBoxObject> box;
        if (!xul || NS_FAILED(xul->GetBoxObject(getter_AddRefs(box))) || !box) {
            return false;
        }
        RECT screen{};
        if (!GetWindowRect(GetNativeWindow(GetChromeWindow()), &screen)) {
            return false;
        }
        PRInt32 x = 0, y = 0, width = 0, height = 0;
        box->GetX(&x);
        box->GetY(&y);
        box->GetWidth(&width);
        box->GetHeight(&height);
        rect.left = screen.left + x;
        rect.top = screen.top + y;
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
        return true;
    }
    return false;
}
