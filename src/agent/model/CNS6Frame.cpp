#include "agent/model/CNS6Frame.h"

#include "agent/channel/RequestArgs.h"
#include "agent/common/DomHelpers.h"
#include "agent/common/IAgentContext.h"
#include "agent/common/WindowHelpers.h"
#include "agent/model/CNS6Browser.h"
#include "agent/model/CNS6Page.h"
#include "agent/model/CWebFrameUtil.h"
#include "platform/win32/WinUser.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMHostService.h"
#include "platform/xpcom/dom/nsIDOMRange.h"
#include "platform/xpcom/nsXPCOM.h"
#include "platform/xpcom/shell/nsIDocShell.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr std::string_view kNoTitle = "__NO_TITLE_";
constexpr std::string_view kImageFrame = "image_frame";
constexpr std::string_view kDocumentFrame = "document_frame";

// The frame's properties in the order the tool enumerates them: the name and
// the enumerator its handler in GetPropertyAt and GetFramePropertyAt answers.
// X(enumerator, name)
#define WEBAGENT_FRAME_PROPERTIES(X)                                                               \
    X(kClass, "class")                                                                             \
    X(kHandle, "handle")                                                                           \
    X(kTitle, "title")                                                                             \
    X(kFrameTitle, "frame_title")                                                                  \
    X(kPageTitle, "page_title")                                                                    \
    X(kName, "name")                                                                               \
    X(kHtmlId, "html_id")                                                                          \
    X(kType, "type")                                                                               \
    X(kUrl, "url")                                                                                 \
    X(kText, "text")                                                                               \
    X(kSelectedText, "selected_text")                                                              \
    X(kParent, "parent")                                                                           \
    X(kChild, "child")                                                                             \
    X(kRect, "rect")                                                                               \
    X(kState, "state")

enum FrameProperty : size_t {
#define WEBAGENT_FRAME_PROPERTY_ENUM(enumerator, name) enumerator,
    WEBAGENT_FRAME_PROPERTIES(WEBAGENT_FRAME_PROPERTY_ENUM)
#undef WEBAGENT_FRAME_PROPERTY_ENUM
};

constexpr std::array kFrameProperties = {
#define WEBAGENT_FRAME_PROPERTY_NAME(enumerator, name) std::string_view(name),
    WEBAGENT_FRAME_PROPERTIES(WEBAGENT_FRAME_PROPERTY_NAME)
#undef WEBAGENT_FRAME_PROPERTY_NAME
};

// A frame that is not in the middle of loading reports this state.
constexpr int32_t kStateComplete = 4;

nsCOMPtr<nsIDOMHostService> HostServiceOf(nsIDOMDocument* document) {
    nsCOMPtr<nsIDOMHostService> host = do_GetService(nsIDOMHostService::kContractID);
    if (host || document == nullptr) {
        return host;
    }
    nsCOMPtr<nsIDOMDocumentInternal> internal = do_QueryInterface(document);
    if (internal && NS_FAILED(internal->GetHostService(getter_AddRefs(host)))) {
        host = nullptr;
    }
    return host;
}

nsCOMPtr<nsIDOMDocument> DocumentOf(nsIDOMWindow* window) {
    nsCOMPtr<nsIDOMDocument> document;
    if (window == nullptr || NS_FAILED(window->GetDocument(getter_AddRefs(document)))) {
        return nullptr;
    }
    return document;
}

nsCOMPtr<nsIDOMHTMLElement> BodyOf(nsIDOMDocument* document) {
    nsCOMPtr<nsIDOMHTMLDocument> html = do_QueryInterface(document);
    nsCOMPtr<nsIDOMHTMLElement> body;
    if (!html || NS_FAILED(html->GetBody(getter_AddRefs(body)))) {
        return nullptr;
    }
    return body;
}

// The element children of a node, in order.
std::vector<nsCOMPtr<nsIDOMNode>> ElementChildren(nsIDOMNode* parent) {
    std::vector<nsCOMPtr<nsIDOMNode>> children;
    if (parent == nullptr) {
        return children;
    }
    nsCOMPtr<nsIDOMNode> child;
    parent->GetFirstChild(getter_AddRefs(child));
    while (child) {
        PRUint16 type = 0;
        if (NS_SUCCEEDED(child->GetNodeType(&type)) && type == nsIDOMNode::ELEMENT_NODE) {
            children.push_back(child);
        }
        nsCOMPtr<nsIDOMNode> next;
        child->GetNextSibling(getter_AddRefs(next));
        child = next;
    }
    return children;
}

// 1 for the root plus every element below it; iterative, so that deep
// documents cannot exhaust the stack.
int32_t CountElements(nsIDOMNode* root) {
    int32_t count = 0;
    std::vector<nsCOMPtr<nsIDOMNode>> pending{nsCOMPtr<nsIDOMNode>(root)};
    while (!pending.empty()) {
        nsCOMPtr<nsIDOMNode> node = pending.back();
        pending.pop_back();
        ++count;
        for (nsCOMPtr<nsIDOMNode>& child : ElementChildren(node.get())) {
            pending.push_back(std::move(child));
        }
    }
    return count;
}

// Whether `node` hangs in the tree of `document`: the top of its parent
// chain is that document.
bool IsInDocument(nsIDOMNode* node, nsIDOMDocument* document) {
    if (node == nullptr || document == nullptr) {
        return false;
    }
    nsCOMPtr<nsIDOMNode> top(node);
    while (true) {
        nsCOMPtr<nsIDOMNode> above;
        if (NS_FAILED(top->GetParentNode(getter_AddRefs(above))) || !above) {
            break;
        }
        top = above;
    }
    return IsSameHostObject(top.get(), document);
}

nsCOMPtr<nsIDocumentEncoder> NewPlainTextEncoder(nsIDOMDocument* document) {
    nsCOMPtr<nsIDocumentEncoder> encoder = do_CreateInstance(nsIDocumentEncoder::kPlainTextCID);
    if (!encoder) {
        if (nsCOMPtr<nsIDOMHostService> host = HostServiceOf(document)) {
            host->CreatePlainTextEncoder(getter_AddRefs(encoder));
        }
    }
    if (encoder && NS_FAILED(encoder->Init(document, u"text/plain", 0))) {
        return nullptr;
    }
    return encoder;
}

// Checkpoint cleaning without brace removal, then the element text clean-up.
std::string CleanEncodedText(const nsString& encoded) {
    std::string text = ToNarrow(encoded);
    CWebObjUtil::CleanText(text, false);
    CleanText(text);
    return text;
}

bool RectsIntersect(const RECT& a, const RECT& b, RECT& out) {
    out.left = std::max(a.left, b.left);
    out.top = std::max(a.top, b.top);
    out.right = std::min(a.right, b.right);
    out.bottom = std::min(a.bottom, b.bottom);
    if (out.left >= out.right || out.top >= out.bottom) {
        out = RECT{};
        return false;
    }
    return true;
}

bool IsEmptyRect(const RECT& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::optional<RECT> RectOf(const CWebVariantList* value) {
    if (value == nullptr || value->GetType() != WebVariantType::Rect || value->IsEmpty()) {
        return std::nullopt;
    }
    return value->GetAt(0)->GetRect();
}

void SetRectAttr(CWebInfo& record, const RECT& rect) {
    CWebVariantList value;
    value.Set(rect);
    record.SetAttr("rect", value);
}

void SetIntegerAttr(CWebInfo& record, std::string_view name, int32_t number) {
    CWebVariantList value;
    value.Set(number);
    record.SetAttr(name, value);
}

} // namespace

int32_t GetDomWindowIdentity(nsIDOMWindow* window) {
    if (window == nullptr) {
        return 0;
    }
    nsCOMPtr<nsIDOMDocument> document = DocumentOf(window);
    nsCOMPtr<nsIDOMHostService> host = HostServiceOf(document.get());
    PRUint32 identity = 0;
    if (!host || NS_FAILED(host->GetWindowIdentity(window, &identity))) {
        return 0;
    }
    return static_cast<int32_t>(identity);
}

bool IsSameHostObject(nsISupports* a, nsISupports* b) {
    if (a == nullptr || b == nullptr) {
        return false;
    }
    nsCOMPtr<nsISupports> baseA = do_QueryInterface(a);
    nsCOMPtr<nsISupports> baseB = do_QueryInterface(b);
    return baseA && baseA.get() == baseB.get();
}

CNS6Frame::CNS6Frame(nsIDOMWindow* window, HWND handle, const CWebObjRef& parent)
    : CWebObj(nullptr, parent), m_DomWindow(window),
      m_Window(static_cast<int32_t>(HandleToULong(handle))) {
    CWebRunTimeID id;
    if (CWebObj* above = parent.Get()) {
        id = above->RunTimeID();
    }
    id.SetSecond(GetDomWindowIdentity(window));
    SetId(id);
    SetUtil(&FrameClassUtil());
}

nsCOMPtr<nsIDOMDocument> CNS6Frame::GetDocument() const {
    return DocumentOf(m_DomWindow.get());
}

bool CNS6Frame::IsAlive() {
    if (!IsWindow(GetWindow()) || !m_DomWindow) {
        return false;
    }
    nsCOMPtr<nsIDocShell> shell;
    return NS_SUCCEEDED(GetDocShell(m_DomWindow.get(), getter_AddRefs(shell))) && shell;
}

bool CNS6Frame::IsSameWindow(nsIDOMWindow* window) {
    return IsSameHostObject(m_DomWindow.get(), window);
}

nsCOMPtr<nsIDOMElement> CNS6Frame::GetFrameElement() {
    if (!m_DomWindow) {
        return nullptr;
    }
    nsCOMPtr<nsIDOMWindow> parent;
    if (NS_FAILED(m_DomWindow->GetParent(getter_AddRefs(parent))) || !parent ||
        IsSameWindow(parent.get())) {
        return nullptr;
    }
    nsCOMPtr<nsIDOMDocument> document = DocumentOf(parent.get());
    if (!document) {
        return nullptr;
    }
    for (std::u16string_view tag : {u"FRAME", u"IFRAME"}) {
        nsCOMPtr<nsIDOMNodeList> elements;
        if (NS_FAILED(document->GetElementsByTagName(nsString(tag), getter_AddRefs(elements))) ||
            !elements) {
            continue;
        }
        PRUint32 length = 0;
        elements->GetLength(&length);
        for (PRUint32 i = 0; i < length; ++i) {
            nsCOMPtr<nsIDOMNode> node;
            elements->Item(i, getter_AddRefs(node));
            nsCOMPtr<nsIDOMWindow> content;
            if (nsCOMPtr<nsIDOMHTMLFrameElement> frame = do_QueryInterface(node)) {
                frame->GetContentWindow(getter_AddRefs(content));
            } else if (nsCOMPtr<nsIDOMHTMLIFrameElement> inner = do_QueryInterface(node)) {
                inner->GetContentWindow(getter_AddRefs(content));
            }
            if (content && IsSameWindow(content.get())) {
                nsCOMPtr<nsIDOMElement> element = do_QueryInterface(node);
                return element;
            }
        }
    }
    return nullptr;
}

bool CNS6Frame::LookupRecordedState(const CWebRunTimeID& id, std::string* first,
                                    std::string* second, std::string* third) const {
    auto it = m_RecordedStates.find(id);
    if (it == m_RecordedStates.end()) {
        return false;
    }
    if (first != nullptr) {
        *first = it->second.first;
    }
    if (second != nullptr) {
        *second = it->second.second;
    }
    if (third != nullptr) {
        *third = it->second.third;
    }
    return true;
}

bool CNS6Frame::StoreRecordedState(const CWebRunTimeID& id, std::string_view first,
                                   std::string_view second, std::string_view third) {
    if (m_RecordedStates.size() >= m_RecordedStatesPruneAt && !m_RecordedStates.contains(id)) {
        PruneRecordedStates();
    }
    m_RecordedStates[id] =
        RecordedState{std::string(first), std::string(second), std::string(third)};
    return true;
}

void CNS6Frame::PruneRecordedStates() {
    // Identities are never handed out twice, so the entry of a control that
    // left the document (or of a document this window no longer shows) can
    // never be read again. Without this every page shown in the window and
    // every control a page removed would keep its entry for the life of the
    // browser window. The bound doubles with what stays, so pruning costs a
    // constant amount per stored entry.
    std::erase_if(m_RecordedStates,
                  [this](const auto& entry) { return !NodeOfElementId(entry.first); });
    m_RecordedStatesPruneAt = std::max(kRecordedStatesPruneMin, 2 * m_RecordedStates.size());
}

bool CNS6Frame::BuildChildren() {
    nsCOMPtr<nsIDOMDocument> document = GetDocument();
    nsCOMPtr<nsIDOMElement> root;
    if (!document || NS_FAILED(document->GetDocumentElement(getter_AddRefs(root))) || !root) {
        return false;
    }
    // The host keeps the document's element count as the tree changes, so
    // reading it costs nothing however large the page; a document without
    // that side is counted by walking its tree (the same number).
    int32_t count = 0;
    PRUint32 kept = 0;
    nsCOMPtr<nsIDOMDocumentInternal> internal = do_QueryInterface(document);
    if (internal && NS_SUCCEEDED(internal->GetElementCount(&kept)) && kept <= INT32_MAX) {
        count = static_cast<int32_t>(kept);
    } else {
        nsCOMPtr<nsIDOMNode> rootNode = do_QueryInterface(root);
        count = CountElements(rootNode.get());
    }
    if (count == m_Signature) {
        return true;
    }
    m_Signature = count;
    m_Engine.SetFrameId(RunTimeID());
    m_Engine.MarkDirty();
    m_Engine.EnsureMaps(*this);
    return true;
}

CWebObjRef CNS6Frame::MakeElementObject(nsIDOMNode* node) {
    IAgentContext* context = GetContext();
    if (context == nullptr || node == nullptr) {
        return {};
    }
    return context->ObjectForNode(node, CWebObjRef(this), 0);
}

nsCOMPtr<nsIDOMNode> CNS6Frame::GetCollectionRoot() const {
    nsCOMPtr<nsIDOMDocument> document = GetDocument();
    if (!document) {
        return nullptr;
    }
    nsCOMPtr<nsIDOMNode> top;
    if (nsCOMPtr<nsIDOMHTMLElement> body = BodyOf(document.get())) {
        top = do_QueryInterface(body);
    } else {
        nsCOMPtr<nsIDOMElement> root;
        document->GetDocumentElement(getter_AddRefs(root));
        top = do_QueryInterface(root);
    }
    return top;
}

void CNS6Frame::CollectDocumentChildren(std::vector<CWebObjRef>& out, int32_t flags) {
    // No element identifier matches flags 0, so nothing below could be
    // appended: spare the walk.
    if (flags == 0) {
        return;
    }
    nsCOMPtr<nsIDOMNode> top = GetCollectionRoot();
    for (nsCOMPtr<nsIDOMNode>& node : ElementChildren(top.get())) {
        CWebObjRef object = MakeElementObject(node.get());
        if (!object) {
            continue;
        }
        // An object the flags do not select is transparent: its nearest
        // selected objects stand in its place. One that is selected keeps its
        // own children, as every element does.
        if (object->RunTimeID().MatchesChildFilter(flags)) {
            out.push_back(object);
        } else {
            object->CollectChildren(out, flags);
        }
    }
}

void CNS6Frame::CollectDocumentDescendants(std::vector<CWebObjRef>& out, int32_t flags) {
    IAgentContext* context = GetContext();
    nsCOMPtr<nsIDOMNode> top = GetCollectionRoot();
    if (context == nullptr || !top) {
        return;
    }
    context->CollectElementObjects(top.get(), CWebObjRef(this), out, static_cast<uint32_t>(flags));
}

nsCOMPtr<nsIDOMNode> CNS6Frame::NodeOfElementId(const CWebRunTimeID& id) {
    if (id.IsEmpty() || id.First() != RunTimeID().First() || id.Second() != RunTimeID().Second() ||
        id.Third() <= 0 || (id.Fourth() != 0 && id.Fourth() != -1)) {
        return nullptr;
    }
    nsCOMPtr<nsIDOMDocument> document = GetDocument();
    nsCOMPtr<nsIDOMHostService> host = HostServiceOf(document.get());
    nsCOMPtr<nsIDOMNode> node;
    // The host never reuses an identity and refuses one whose node is gone,
    // so a stale identifier cannot reach freed memory.
    if (!host ||
        NS_FAILED(
            host->GetNodeByIdentity(static_cast<PRUint32>(id.Third()), getter_AddRefs(node))) ||
        !node) {
        return nullptr;
    }
    // A node that lives on outside this frame's document (in another frame's,
    // in the document this window showed before it navigated, or taken out
    // of the tree) names no object here.
    if (!IsInDocument(node.get(), document.get())) {
        return nullptr;
    }
    return node;
}

CWebObjRef CNS6Frame::FindElementById(const CWebRunTimeID& id) {
    nsCOMPtr<nsIDOMNode> node = NodeOfElementId(id);
    IAgentContext* context = GetContext();
    if (!node || context == nullptr) {
        return {};
    }
    // The fourth field tells a general object from a specific one.
    const uint32_t flags = id.Fourth() == 0 ? kChildFilterGeneral : kChildFilterOrdinary;
    CWebObjRef object = context->ObjectForNode(node.get(), CWebObjRef(this), flags);
    if (!object || object->RunTimeID() != id) {
        return {};
    }
    return object;
}

CWebObjRef CNS6Frame::GetChild(int position) {
    std::vector<CWebObjRef> children;
    CollectChildren(children, kChildFilterOrdinary);
    if (position < 1 || static_cast<size_t>(position) > children.size()) {
        return {};
    }
    return children[static_cast<size_t>(position - 1)];
}

int CNS6Frame::GetChildCount() {
    if (!m_DomWindow) {
        return 0;
    }
    std::vector<CWebObjRef> children;
    CollectChildren(children, 0);
    return static_cast<int>(children.size());
}

bool CNS6Frame::CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) {
    CollectDocumentChildren(out, flags);
    return true;
}

bool CNS6Frame::CollectDescendants(std::vector<CWebObjRef>& out, int32_t flags) {
    CollectDocumentDescendants(out, flags);
    return true;
}

CWebObjRef CNS6Frame::FindDescendant(const CWebRunTimeID& id) {
    return FindElementById(id);
}

CWebObjRef CNS6Frame::GetChildById(const CWebRunTimeID& id) {
    return FindElementById(id);
}

std::optional<std::string> CNS6Frame::GetDocumentTitle() {
    if (!m_DomWindow || !IsAlive()) {
        return std::nullopt;
    }
    nsCOMPtr<nsIDOMDocument> document = GetDocument();
    if (!document) {
        return std::nullopt;
    }
    nsString title;
    if (nsCOMPtr<nsIDOMHTMLDocument> html = do_QueryInterface(document)) {
        if (NS_FAILED(html->GetTitle(title))) {
            return std::nullopt;
        }
        return ToNarrow(title);
    }
    nsCOMPtr<nsIDOMDocumentInternal> internal = do_QueryInterface(document);
    if (!internal || NS_FAILED(internal->GetDocumentTitle(title))) {
        return std::nullopt;
    }
    return ToNarrow(title);
}

bool CNS6Frame::GetPropertyAt(std::string& name, CWebVariantList& value, int position) {
    size_t index = 0;
    if (position < 0) {
        auto it = std::find(kFrameProperties.begin(), kFrameProperties.end(), name);
        if (it == kFrameProperties.end()) {
            return false;
        }
        index = static_cast<size_t>(it - kFrameProperties.begin());
    } else if (static_cast<size_t>(position) < kFrameProperties.size()) {
        index = static_cast<size_t>(position);
        name = kFrameProperties[index];
    } else {
        return false;
    }
    if (index == kClass) {
        GetUtil()->GetClassNames(value);
        return true;
    }
    if (index == kHandle) {
        value.Set(m_Window);
        return true;
    }
    if (!IsAlive()) {
        value.Clear();
        value.SetStatus(kWebStatusObjectGone);
        return true;
    }
    if (index == kText) {
        return GetBodyText(value, position < 0);
    }
    return GetFramePropertyAt(index, value);
}

bool CNS6Frame::GetFramePropertyAt(size_t index, CWebVariantList& value) {
    switch (index) {
    case kTitle:
        value.Set(std::string_view(GetDocumentTitle().value_or(std::string())));
        return true;
    case kFrameTitle: {
        std::string title = GetDocumentTitle().value_or(std::string());
        value.Set(title.empty() ? kNoTitle : std::string_view(title));
        return true;
    }
    case kPageTitle: {
        if (IsPage()) {
            return GetProperty("frame_title", value);
        }
        CWebObjRef parent = GetParent();
        if (!parent) {
            value.Clear();
            return true;
        }
        return parent->GetProperty("frame_title", value);
    }
    case kName:
        value.Set(std::string_view(GetLogicalName()));
        return true;
    case kHtmlId: {
        nsCOMPtr<nsIDOMElement> element = GetFrameElement();
        nsCOMPtr<nsIDOMNode> node = do_QueryInterface(element);
        value.Set(std::string_view(node ? GetAttributeText(node.get(), "id") : std::string()));
        return true;
    }
    case kType: {
        nsCOMPtr<nsIDOMHTMLElement> body = BodyOf(GetDocument().get());
        nsCOMPtr<nsIDOMNode> bodyNode = do_QueryInterface(body);
        std::vector<nsCOMPtr<nsIDOMNode>> children = ElementChildren(bodyNode.get());
        bool image = children.size() == 1 && HasTagName(children.front().get(), "IMG");
        value.Set(image ? kImageFrame : kDocumentFrame);
        return true;
    }
    case kUrl: {
        nsCOMPtr<nsIDOMHTMLDocument> html = do_QueryInterface(GetDocument());
        nsString url;
        if (!html || NS_FAILED(html->GetURL(url))) {
            url.clear();
        }
        value.Set(std::string_view(ToNarrow(url)));
        return true;
    }
    case kSelectedText:
        return GetSelectedText(value);
    case kParent: {
        CWebObjRef parent = GetParent();
        if (parent) {
            if (CWebObjRef above = parent->GetParent()) {
                parent = above;
            }
        }
        value.Clear();
        if (parent && parent->RunTimeID() == parent->RunTimeID().BrowserLevel()) {
            value.Set(parent->RunTimeID());
        }
        return true;
    }
    case kChild: {
        CWebObjRef child = GetChildByValue(value);
        value.Clear();
        if (child) {
            value.Set(child->RunTimeID());
        } else {
            value.SetStatus(kWebStatusNoSuchChild);
        }
        return true;
    }
    case kRect: {
        RECT rect{};
        GetWindowRect(GetWindow(), &rect);
        value.Set(rect);
        return true;
    }
    case kState:
        value.Set(kStateComplete);
        return true;
    default:
        return false;
    }
}

bool CNS6Frame::GetBodyText(CWebVariantList& value, bool byName) {
    nsCOMPtr<nsIDOMDocument> document = GetDocument();
    nsCOMPtr<nsIDOMNodeList> bodies;
    PRUint32 count = 0;
    if (document && NS_SUCCEEDED(document->GetElementsByTagName(u"BODY", getter_AddRefs(bodies))) &&
        bodies) {
        bodies->GetLength(&count);
    }
    if (count != 1) {
        // A frameset document has no body. Asked by name this is a failure;
        // while the properties are enumerated it must not end the
        // enumeration, so the value says the property does not apply.
        value.Clear();
        if (byName) {
            return false;
        }
        value.SetStatus(kWebStatusNotApplicable);
        return true;
    }
    nsCOMPtr<nsIDOMNode> body;
    bodies->Item(0, getter_AddRefs(body));
    nsCOMPtr<nsIDocumentEncoder> encoder = NewPlainTextEncoder(document.get());
    nsString encoded;
    if (!encoder || NS_FAILED(encoder->SetNode(body.get())) ||
        NS_FAILED(encoder->EncodeToString(encoded))) {
        value.Clear();
        value.SetStatus(kWebStatusNotApplicable);
        return true;
    }
    value.Set(std::string_view(CleanEncodedText(encoded)));
    return true;
}

bool CNS6Frame::GetSelectedText(CWebVariantList& value) {
    nsCOMPtr<nsISelection> selection;
    nsCOMPtr<nsIDOMDocument> document = GetDocument();
    nsCOMPtr<nsIDocumentEncoder> encoder;
    nsString encoded;
    if (document && NS_SUCCEEDED(m_DomWindow->GetSelection(getter_AddRefs(selection))) &&
        selection) {
        encoder = NewPlainTextEncoder(document.get());
    }
    if (!encoder || NS_FAILED(encoder->SetSelection(selection.get())) ||
        NS_FAILED(encoder->EncodeToString(encoded))) {
        encoded.clear();
    }
    value.Set(std::string_view(CleanEncodedText(encoded)));
    return true;
}

std::string CNS6Frame::GetLogicalName() {
    CWebInfo obligatory;
    CWebInfo optional;
    std::string selector;
    std::string tagAttr;
    GetDescriptionTemplate(obligatory, optional, selector, tagAttr);
    if (!tagAttr.empty() && tagAttr != "name") {
        CWebVariantList tagged;
        if (GetProperty(tagAttr, tagged) && tagged.GetType() == WebVariantType::String &&
            !tagged.IsEmpty() && !tagged.GetAt(0)->GetString().empty()) {
            return tagged.GetAt(0)->GetString();
        }
    }
    std::string name;
    CWebVariantList image;
    image.Set(kImageFrame);
    if (!MatchProperty("type", image, true)) {
        // Until the connection announcement has read the option it counts as
        // set.
        IAgentContext* context = GetContext();
        const int32_t useOldName = context != nullptr ? context->GetFixedUseOldName() : -1;
        if (useOldName == 0 && !FrameClassUtil().IsOnlyPage(CWebObjRef(this))) {
            nsCOMPtr<nsIDocShell> shell;
            GetDocShell(m_DomWindow.get(), getter_AddRefs(shell));
            nsCOMPtr<nsIDocShellTreeItem> item = do_QueryInterface(shell);
            nsString shellName;
            if (item && NS_SUCCEEDED(item->GetName(shellName))) {
                name = ToNarrow(shellName);
            }
        }
        if (name.empty()) {
            name = GetDocumentTitle().value_or(std::string());
        }
    }
    if (!name.empty()) {
        return name;
    }
    CWebVariantList url;
    GetProperty("url", url);
    if (url.GetType() != WebVariantType::String || url.IsEmpty() ||
        url.GetAt(0)->GetString().empty()) {
        return name;
    }
    std::string_view address = url.GetAt(0)->GetString();
    address = address.substr(0, address.find_first_of("#?"));
    size_t cut = address.rfind('/');
    if (cut == std::string_view::npos) {
        cut = address.rfind('\\');
    }
    if (cut == std::string_view::npos) {
        return "html_frame";
    }
    return std::string(address.substr(cut + 1));
}

bool CNS6Frame::IsWindowDisabled() const {
    HWND top = GetNonChildAncestor(GetWindow());
    return top != nullptr && (static_cast<DWORD>(GetWindowLong(top, GWL_STYLE)) & WS_DISABLED) != 0;
}

bool CNS6Frame::CallMethod(std::string_view method, CWebInfo& record) {
    if (IsWindowDisabled()) {
        record.SetRetValue(E_FAIL);
        return true;
    }
    if (method == "DescToId") {
        return EnsureChildren() && m_Engine.LookupDescription(*this, record);
    }
    if (method == "IdToDesc") {
        return EnsureChildren() && m_Engine.LookupIdentifier(*this, record);
    }
    if (method == "ResetConversionMaps") {
        // Sent to every frame; the answer is ignored.
        m_Engine.MarkDirty();
        return false;
    }
    if (method == "MakeVisible") {
        MakeVisible(record);
        return true;
    }
    if (method == "ScrollPointIntoView") {
        ScrollPointIntoView(record);
        return true;
    }
    if (method == "ScrollFrameByPoint") {
        ScrollFrameByPoint(record);
        return true;
    }
    if (method == "IsEmbedHwnd") {
        record.SetRetValue(NS_OK);
        std::optional<int32_t> handle = IntegerArg(record, "handle");
        if (handle && *handle != 0) {
            record.SetRetValue(IsEmbedHwnd(HwndFromValue(static_cast<ULONG>(*handle))) ? NS_OK : 1);
        }
        return true;
    }
    if (method == "WriteFormatHeader" && GetUtil() != nullptr) {
        return GetUtil()->WriteFormatHeader(CWebObjRef(this), record);
    }
    if (method == "WriteFormatToFile" && GetUtil() != nullptr) {
        return GetUtil()->WriteFormatToFile(CWebObjRef(this), record);
    }
    record.SetRetValue(E_NOTIMPL);
    return false;
}

void CNS6Frame::MakeVisible(CWebInfo& record) {
    record.SetRetValue(E_FAIL);
    CWebObjRef browser = GetParent();
    while (browser && browser->GetParent()) {
        browser = browser->GetParent();
    }
    auto* container = dynamic_cast<CNS6Container*>(browser.Get());
    nsCOMPtr<nsIDOMWindow> parentWindow;
    if (container == nullptr || container->GetContentWindow() == nullptr || !m_DomWindow ||
        NS_FAILED(m_DomWindow->GetParent(getter_AddRefs(parentWindow))) || !parentWindow ||
        IsSameWindow(parentWindow.get())) {
        return;
    }
    CWebObjRef holder = container->FindFrameByWindow(parentWindow.get());
    if (!holder || holder.Get() == this) {
        return;
    }
    holder->CallMethod("MakeVisible", record);
    if (static_cast<int32_t>(record.GetRetValue()) < 0) {
        return;
    }
    std::optional<RECT> outer = RectOf(record.FindAttr("rect"));
    if (!outer || IsEmptyRect(*outer)) {
        return;
    }
    CWebVariantList own;
    GetProperty("rect", own);
    std::optional<RECT> inner = RectOf(&own);
    if (!inner) {
        return;
    }
    RECT visible{};
    int32_t dx = 0;
    int32_t dy = 0;
    if (!RectsIntersect(*outer, *inner, visible) || !SameRect(visible, *inner)) {
        dx = inner->left - outer->left;
        dy = inner->top - outer->top;
    }
    // Scroll when either axis needs it: a frame lined up with the visible
    // left edge but lying below the visible area must still come into view.
    if (dx != 0 || dy != 0) {
        CWebInfo scroll;
        CWebVariantList pos;
        pos.SetPair(dx, dy);
        scroll.SetAttr("pos", pos);
        holder->CallMethod("ScrollFrameByPoint", scroll);
        own.Clear();
        GetProperty("rect", own);
        inner = RectOf(&own);
        if (!inner || !RectsIntersect(*outer, *inner, visible)) {
            visible = RECT{};
        }
    }
    record.SetRetValue(NS_OK);
    SetRectAttr(record, visible);
    SetIntegerAttr(record, "handle", m_Window);
}

bool CNS6Frame::ScrollPointIntoView(POINT point) {
    if (!m_DomWindow) {
        return false;
    }
    PRInt32 scrollX = 0;
    PRInt32 scrollY = 0;
    m_DomWindow->GetScrollX(&scrollX);
    m_DomWindow->GetScrollY(&scrollY);
    RECT client{};
    GetClientRect(GetWindow(), &client);
    const int32_t right = scrollX + (client.right - client.left);
    const int32_t bottom = scrollY + (client.bottom - client.top) - GetSystemMetrics(SM_CXVSCROLL);
    if (point.x > scrollX && point.x < right && point.y > scrollY && point.y < bottom) {
        return true;
    }
    return NS_SUCCEEDED(m_DomWindow->ScrollTo(point.x, point.y));
}

void CNS6Frame::ScrollPointIntoView(CWebInfo& record) {
    std::optional<std::pair<int32_t, int32_t>> pos = PairArg(record, "pos");
    if (!pos) {
        record.SetRetValue(E_INVALIDARG);
        return;
    }
    record.SetRetValue(ScrollPointIntoView(POINT{pos->first, pos->second}) ? NS_OK : E_FAIL);
}

void CNS6Frame::ScrollFrameByPoint(CWebInfo& record) {
    std::optional<std::pair<int32_t, int32_t>> pos = PairArg(record, "pos");
    if (!pos) {
        record.SetRetValue(E_INVALIDARG);
        return;
    }
    if ((pos->first != 0 || pos->second != 0) && m_DomWindow) {
        m_DomWindow->ScrollBy(pos->first, pos->second);
    }
    record.SetRetValue(NS_OK);
}

bool CNS6Frame::IsEmbedHwnd(HWND window) {
    nsCOMPtr<nsIDOMNSHTMLDocument> html = do_QueryInterface(GetDocument());
    nsCOMPtr<nsIDOMHTMLCollection> embeds;
    if (!html || NS_FAILED(html->GetEmbeds(getter_AddRefs(embeds))) || !embeds) {
        return false;
    }
    PRUint32 length = 0;
    embeds->GetLength(&length);
    for (PRUint32 i = 0; i < length; ++i) {
        nsCOMPtr<nsIDOMNode> node;
        embeds->Item(i, getter_AddRefs(node));
        CWebObjRef element = MakeElementObject(node.get());
        if (!element) {
            continue;
        }
        // FIXME: ask the element object for its native window once element
        // objects are built; its "handle" property stands in for that.
        CWebVariantList handle;
        if (element->GetProperty("handle", handle) && handle.GetType() == WebVariantType::Integer &&
            !handle.IsEmpty() &&
            handle.GetAt(0)->GetInteger() == static_cast<int32_t>(HandleToULong(window))) {
            return true;
        }
    }
    return false;
}
