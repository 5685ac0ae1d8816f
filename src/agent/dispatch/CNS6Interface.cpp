#include "agent/dispatch/CNS6Interface.h"

#include "agent/dispatch/MessageIds.h"

bool CNS6Interface::Dispatch(CWebInfo& record) {
    switch (static_cast<MsgId>(record.GetMsgId())) {
    case MsgId::None18:
    case MsgId::None50:
        return true;
    case MsgId::SetValue:
    case MsgId::RegisterEventHandler:
        // FIXME: "SetValue" needs the test-object model and event handler
        // registration the recorder's event rules; neither has landed.
        record.SetRetValue(E_NOTIMPL);
        return true;
    default:
        return CInterface::Dispatch(record);
    }
}
