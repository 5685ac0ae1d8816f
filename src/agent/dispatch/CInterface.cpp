#include "agent/dispatch/CInterface.h"

#include "agent/channel/CAgentWindow.h"
#include "agent/channel/RequestArgs.h"
#include "agent/channel/ToolSender.h"
#include "agent/channel/Trace.h"
#include "agent/common/AgentCodes.h"
#include "agent/common/IAgentContext.h"
#include "agent/dispatch/CDispatcherContext.h"
#include "agent/dispatch/Identification.h"
#include "platform/win32/Windows.h"

#include <memory>
#include <optional>

namespace {

HWND WindowOfId(int32_t value) {
    return HwndFromValue(static_cast<ULONG>(value));
}

int32_t ValueOfWindow(HWND window) {
    return static_cast<int32_t>(HandleToULong(window));
}

// The integer "handle" property of an object, if it has one.
std::optional<int32_t> HandleProperty(CWebObj& object) {
    CWebVariantList value;
    if (!object.GetProperty("handle", value) || value.GetType() != WebVariantType::Integer ||
        value.IsEmpty())
        return std::nullopt;
    return value.GetAt(0)->GetInteger();
}

} // namespace

void SetDispatcherSource(DispatcherSource source) {
    // The context this function installed last; replaced on every call.
    static std::unique_ptr<CDispatcherContext> installed;
    std::unique_ptr<CDispatcherContext> previous = std::move(installed);
    if (source != nullptr) {
        installed = std::make_unique<CDispatcherContext>(source);
        InstallAgentContext(installed.get());
    } else if (previous != nullptr && GetAgentContext() == previous.get()) {
        InstallAgentContext(nullptr);
    }
}

CInterface* GetProcessDispatcher() {
    auto* context = dynamic_cast<CDispatcherContext*>(GetAgentContext());
    return context != nullptr ? context->GetDispatcher() : nullptr;
}

nsresult CInterface::FindIdByHandle(HWND window, CWebRunTimeID& out) {
    return FindIdByWindowOf(window, Ancestors::No, out);
}

nsresult CInterface::FindIdByWindowOf(HWND window, Ancestors ancestors, CWebRunTimeID& out) {
    CWebObjRef browser = FindBrowserByWindow(window);
    if (!browser)
        return E_FAIL;
    std::vector<CWebObjRef> children;
    browser->CollectChildren(children, kChildFilterOrdinary);
    if (children.empty())
        return E_FAIL;
    for (HWND w = window; w != nullptr; w = GetParent(w)) {
        for (const CWebObjRef& child : children) {
            CWebObj* object = child.Get(); // a page change may have deleted it
            if (!object)
                continue;
            if (HandleProperty(*object) == ValueOfWindow(w)) {
                out = object->RunTimeID();
                return NS_OK;
            }
        }
        if (ancestors == Ancestors::No)
            break;
    }
    return E_FAIL;
}

CWebObjRef CInterface::ResolveObject(CWebInfo& record) {
    record.SetRetValue(NS_OK);
    const CWebRunTimeID id = record.GetRunTimeID();
    const CWebRunTimeID frameLevel = id.FrameLevel();
    if (CWebObjRef browser = ResolveBrowser(id)) {
        if (id == id.BrowserLevel())
            return browser;
        if (CWebObjRef child = browser->GetChildById(frameLevel)) {
            if (id == frameLevel)
                return child;
            if (CWebObj* object = child.Get()) {
                if (CWebObjRef found = object->FindDescendant(id))
                    return found;
            }
        }
    }
    record.SetRetValue(kResultNotFound);
    return {};
}

CWebObjRef CInterface::ResolveByHandle(HWND window) {
    CWebRunTimeID id;
    if (NS_FAILED(FindIdByHandle(window, id)))
        return {};
    CWebInfo scratch;
    scratch.SetRunTimeID(id);
    return ResolveObject(scratch);
}

CWebObjRef CInterface::FindBrowserByWindow(HWND window) {
    if (window == nullptr || !IsWindow(window))
        return {};
    HWND top = GetTopWindow(window);
    std::vector<CWebObjRef> browsers;
    if (!GetBrowsers(browsers))
        return {};
    for (const CWebObjRef& browser : browsers) {
        CWebObj* object = browser.Get();
        if (object && HandleProperty(*object) == ValueOfWindow(top))
            return browser;
    }
    return {};
}

CWebObjRef CInterface::ResolveBrowser(const CWebRunTimeID& id) {
    return FindBrowserByWindow(WindowOfId(id.First()));
}

HWND CInterface::GetTopWindow(HWND) {
    return nullptr;
}

bool CInterface::GetBrowsers(std::vector<CWebObjRef>&) {
    return false;
}

void CInterface::GetPropertiesOfMany(CWebInfo& record) {
    const int idIndex = record.IndexOfAttr("id");
    if (idIndex < 0) {
        record.SetRetValue(kResultNotFound);
        return;
    }
    // Every other attribute names a property; its value is ignored.
    const CWebVariantList ids = *record.GetAttrValue(static_cast<size_t>(idIndex));
    std::vector<size_t> properties;
    for (size_t i = 0; i < record.GetAttrCount(); ++i) {
        if (i != static_cast<size_t>(idIndex))
            properties.push_back(i);
    }
    std::vector<CWebVariantList> results(properties.size());
    for (const CWebVariant& element : ids.Elements()) {
        if (element.GetType() != WebVariantType::RunTimeID)
            continue;
        CWebInfo scratch;
        scratch.SetRunTimeID(element.GetRunTimeID());
        CWebObjRef object = ResolveObject(scratch);
        for (size_t k = 0; k < properties.size(); ++k) {
            CWebVariantList value;
            // Re-checked for every property: reading one may run page code
            // that removes the object.
            if (CWebObj* target = object.Get())
                target->GetProperty(*record.GetAttrName(properties[k]), value);
            // A list whose type is fixed drops an element of another type,
            // the empty placeholder of a missing object included.
            results[k].Append(value.IsEmpty() ? CWebVariant() : *value.GetAt(0));
        }
    }
    for (size_t k = 0; k < properties.size(); ++k)
        record.SetAttrValueAt(properties[k], results[k]);
    record.SetRetValue(NS_OK);
}

void CInterface::ObjectsAtPoint(CWebInfo& record) {
    if (auto objectsAtPoint = m_identification.objectsAtPoint) {
        objectsAtPoint(*this, record);
        return;
    }
    // FIXME: the point search belongs to the identification subsystem, which
    // has not installed it yet.
    record.SetRetValue(E_NOTIMPL);
}

CInterface::~CInterface() {
    if (m_toolTipWindow && IsWindow(m_toolTipWindow))
        DestroyWindow(m_toolTipWindow);
}

int32_t CInterface::GetOption(std::string_view name) const {
    auto it = m_options.find(name);
    return it == m_options.end() ? 0 : it->second;
}

void CInterface::SetOption(std::string_view name, int32_t value) {
    if (name.empty())
        return;
    m_options.insert_or_assign(std::string(name), value);
}

bool CInterface::AnnounceConnection(HWND browserWindow, HWND agentWindow) {
    DWORD process = 0;
    DWORD thread = IsWindow(browserWindow) ? GetWindowThreadProcessId(browserWindow, &process) : 0;
    CWebInfo record;
    record.SetMsgId(kMsgIdConnection);
    AppendInteger(record, "handle", static_cast<int32_t>(HandleToULong(browserWindow)));
    AppendInteger(record, "version", GetVersion());
    AppendInteger(record, "thread", static_cast<int32_t>(thread));
    AppendInteger(record, "process", static_cast<int32_t>(process));
    AppendInteger(record, "agent_handle", static_cast<int32_t>(HandleToULong(agentWindow)));
    // The tool answers with option settings while this send is outstanding;
    // they are in the table when the send returns.
    SendRecordToTool(record);
    if (m_useOldName == -1)
        m_useOldName = GetOption("UseOldName");
    if (m_useQuorvin70IE55Description == -1)
        m_useQuorvin70IE55Description = GetOption("UseQuorvin70IE55Description");
    return true;
}

void CInterface::SetToolOption(CWebInfo& record) {
    std::string name = StringArg(record, "var_name").value_or(std::string());
    int32_t value = IntegerArg(record, "var_value").value_or(0);
    SetOption(name, value);
    record.SetRetValue(NS_OK);
}

void CInterface::SetTraceOptions(CWebInfo& record) {
    if (auto state = IntegerArg(record, "state"))
        SetTraceMask(*state);
    if (auto useFile = IntegerArg(record, "use file"))
        SetTraceFileSwitch(*useFile);
}

void CInterface::GetLastEvent(CWebInfo& record) {
    if (m_lastEventId.IsEmpty()) {
        record.SetRetValue(kResultNotFound);
        return;
    }
    record = m_lastEventRecord;
    CWebVariantList id;
    id.Append(m_lastEventId);
    record.AddAttr("id", id);
    CWebVariantList name;
    name.Append(std::string_view(m_lastEventName));
    record.AddAttr("event_name", name);
}

void CInterface::ShowToolTip(CWebInfo& record) {
    record.SetRetValue(E_INVALIDARG);
    auto handle = IntegerArg(record, "handle");
    if (!handle)
        return;
    auto text = StringArg(record, "value");
    if (!text)
        return;
    HWND target = HwndFromValue(static_cast<ULONG>(*handle));

    if (!m_toolTipWindow) {
        // The control belongs to the agent's module, which the trap state
        // keeps; without a trap state no tip can be shown.
        IAgentContext* context = GetAgentContext();
        if (!context || !context->HasTrapState())
            return;
        m_toolTipWindow = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, target,
                                         nullptr, context->GetModuleInstance(), nullptr);
        if (!m_toolTipWindow)
            return;
        SendMessage(m_toolTipWindow, TTM_SETDELAYTIME, TTDT_AUTOPOP, kToolTipAutoPopMs);
        SendMessage(m_toolTipWindow, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
        SendMessage(m_toolTipWindow, TTM_SETDELAYTIME, TTDT_RESHOW, 0);
    }

    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = target;
    tool.uId = reinterpret_cast<UINT_PTR>(target);
    tool.lpszText = text->data();
    if (m_toolTipTarget == *handle) {
        SendMessage(m_toolTipWindow, TTM_UPDATETIPTEXT, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        SendMessage(m_toolTipWindow, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&tool));
        if (m_toolTipTarget != 0) {
            HWND previous = HwndFromValue(static_cast<ULONG>(m_toolTipTarget));
            TOOLINFOA old{};
            old.cbSize = TTTOOLINFOA_V2_SIZE;
            old.uFlags = TTF_IDISHWND;
            old.hwnd = previous;
            old.uId = reinterpret_cast<UINT_PTR>(previous);
            SendMessage(m_toolTipWindow, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&old));
        }
        m_toolTipTarget = *handle;
    }

    auto colours = PairArg(record, "point");
    if (!colours)
        return;
    auto lParam = IntegerArg(record, "lparam");
    if (!lParam)
        return;
    auto wParam = IntegerArg(record, "wparam");
    if (!wParam)
        return;
    auto message = IntegerArg(record, "message");
    if (!message)
        return;
    if (colours->first != 0)
        SendMessage(m_toolTipWindow, TTM_SETTIPBKCOLOR, static_cast<WPARAM>(colours->first), 0);
    if (colours->second != 0)
        SendMessage(m_toolTipWindow, TTM_SETTIPTEXTCOLOR, static_cast<WPARAM>(colours->second), 0);
    MSG relayed{};
    relayed.hwnd = target;
    relayed.message = static_cast<UINT>(*message);
    relayed.wParam = static_cast<WPARAM>(static_cast<uint32_t>(*wParam));
    relayed.lParam = static_cast<LPARAM>(*lParam);
    SendMessage(m_toolTipWindow, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    SendMessage(m_toolTipWindow, TTM_ACTIVATE, TRUE, 0);
    record.SetRetValue(NS_OK);
}

bool CInterface::Dispatch(CWebInfo& record) {
    switch (static_cast<MsgId>(record.GetMsgId())) {
    case MsgId::LastEvent:
        GetLastEvent(record);
        break;
    case MsgId::GetPropertiesWithClassIndex:
        record.AddAttr("class_index", CWebVariantList(CWebVariant(-1)));
        record.SetMsgId(ToInt(MsgId::GetProperties));
        return Dispatch(record);
    case MsgId::TraceSettings:
        SetTraceOptions(record);
        break;
    case MsgId::ShowToolTip:
        ShowToolTip(record);
        break;
    case MsgId::SetToolOption:
        SetToolOption(record);
        break;
    default:
        DispatchObjectRequest(record);
        break;
    }
    return true;
}
