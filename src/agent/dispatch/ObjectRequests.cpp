// The dispatcher rows that address test objects.
#include "agent/dispatch/CInterface.h"
#include "agent/dispatch/MessageIds.h"

void CInterface::DispatchObjectRequest(CWebInfo& record) {
    switch (static_cast<MsgId>(record.GetMsgId())) {
#define WEBAGENT_OBJECT_ROW(name, id) case MsgId::name:
        // FIXME: object resolution needs the test-object model, which has not
        // landed; until it does these rows answer E_NOTIMPL.
        WEBAGENT_ENUMERATE_OBJECT_ROWS(WEBAGENT_OBJECT_ROW)
#undef WEBAGENT_OBJECT_ROW
        record.SetRetValue(E_NOTIMPL);
        break;
    default:
        break; // rows without an operation and unknown ids come back unchanged
    }
}
