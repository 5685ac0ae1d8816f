#include "agent/dispatch/CDispatcherContext.h"

#include "agent/dispatch/CInterface.h"

int32_t CDispatcherContext::GetOption(std::string_view name) const {
    CInterface* dispatcher = GetDispatcher();
    return dispatcher != nullptr ? dispatcher->GetOption(name) : 0;
}

int32_t CDispatcherContext::GetFixedUseOldName() const {
    CInterface* dispatcher = GetDispatcher();
    return dispatcher != nullptr ? dispatcher->CachedUseOldName() : -1;
}

bool CDispatcherContext::Dispatch(CWebInfo& request) {
    CInterface* dispatcher = GetDispatcher();
    return dispatcher != nullptr && dispatcher->Dispatch(request);
}

bool CDispatcherContext::AnnounceConnection(HWND browserWindow, HWND agentWindow) {
    CInterface* dispatcher = GetDispatcher();
    return dispatcher != nullptr && dispatcher->AnnounceConnection(browserWindow, agentWindow);
}

void CDispatcherContext::StoreLastEvent(const CWebRunTimeID& id, std::string_view name,
                                        const CWebInfo& record) {
    if (CInterface* dispatcher = GetDispatcher()) {
        dispatcher->SetLastEventId(id);
        dispatcher->SetLastEventName(name);
        dispatcher->SetLastEventRecord(record);
    }
}

CWebObjRef CDispatcherContext::GetOrCreatePage(nsIDOMWindow*, HWND) {
    return {};
}

CWebObjRef CDispatcherContext::GetOrCreateFrame(nsIDOMWindow*, HWND) {
    return {};
}
