#include "agent/dispatch/CNS6Interface.h"

#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/common/IAgentContext.h"
#include "platform/win32/Windows.h"

namespace {

// Deeper than any real window tree; ends the walk should a hierarchy ever
// loop back on itself.
constexpr int kMaxWindowDepth = 4096;

} // namespace

bool CNS6Interface::Dispatch(CWebInfo& record) {
    switch (static_cast<MsgId>(record.GetMsgId())) {
    case MsgId::None18:
    case MsgId::None50:
        return true;
    case MsgId::SetValue:
        SetValue(record);
        return true;
    case MsgId::RegisterEventHandler:
        RegisterEventHandler(record);
        return true;
    default:
        return CInterface::Dispatch(record);
    }
}

nsresult CNS6Interface::FindIdByHandle(HWND window, CWebRunTimeID& out) {
    return FindIdByWindowOf(window, Ancestors::Yes, out);
}

HWND CNS6Interface::GetTopWindow(HWND window) {
    if (window == nullptr || !IsWindow(window))
        return nullptr;
    HWND top = window;
    for (int depth = 0; depth < kMaxWindowDepth; ++depth) {
        HWND parent = GetParent(top);
        if (parent == nullptr)
            break;
        top = parent;
    }
    return top;
}

bool CNS6Interface::GetBrowsers(std::vector<CWebObjRef>& out) {
    IAgentContext* context = GetAgentContext();
    return context != nullptr && context->ListBrowsers(out);
}

void CNS6Interface::SetValue(CWebInfo& record) {
    if (CWebObjRef object = ResolveOrFail(record))
        object->CallMethod("SetValue", record);
}

void CNS6Interface::RegisterEventHandler(CWebInfo& record) {
    // FIXME: the recorder's event configuration, which takes "class",
    // "event_name", "event_type" and "event_status", has not landed.
    record.SetRetValue(E_NOTIMPL);
}
