// The request dispatcher: turns one request record into one operation and
// leaves the results in the same record, which the agent window returns.
//
//     CInterface* dispatcher = GetProcessDispatcher();
//     if (dispatcher && dispatcher->Dispatch(request))
//         SendRecordToTool(request);
//
// There is one per process (a CNS6Interface), held by the global trap state.
// Everything runs on the browser's user-interface thread; a dispatch may be
// re-entered by nested requests while it waits inside a send.
#pragma once

#include "agent/channel/CWebInfo.h"
#include "platform/win32/WinDef.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class CInterface {
public:
    CInterface() = default;
    CInterface(const CInterface&) = delete;
    CInterface& operator=(const CInterface&) = delete;
    virtual ~CInterface();

    virtual int QueryReserved() { return 1; }
    virtual int GetVersion() { return 1000; }
    // Performs the operation the record's MsgId selects; true when the record
    // is to be sent back as the reply (always, unknown MsgIds included).
    virtual bool Dispatch(CWebInfo& record);

    // Tool options (message 48); an option never set reads as 0.
    int32_t GetOption(std::string_view name) const;
    void SetOption(std::string_view name, int32_t value);

    // Announces a new agent window to the tool (message 38), then reads the
    // options that stay fixed for the life of the dispatcher. Options the tool
    // sends while the announcement is outstanding are already in place.
    bool AnnounceConnection(HWND browserWindow, HWND agentWindow);
    // The module under which the tool-tip control is created.
    void SetModuleInstance(HINSTANCE instance) { m_instance = instance; }

    int32_t CachedUseOldName() const { return m_useOldName; }
    int32_t CachedUseQuorvin70IE55Description() const { return m_useQuorvin70IE55Description; }

    // The last recorded statement, deposited by the recorder for message 22.
    void SetLastEventId(const CWebRunTimeID& id) { m_lastEventId = id; }
    void SetLastEventName(std::string_view name) { m_lastEventName = name; }
    void SetLastEventRecord(const CWebInfo& record) { m_lastEventRecord = record; }
    const CWebRunTimeID& GetLastEventId() const { return m_lastEventId; }
    const std::string& GetLastEventName() const { return m_lastEventName; }
    const CWebInfo& GetLastEventRecord() const { return m_lastEventRecord; }

protected:
    void SetToolOption(CWebInfo& record);   // message 48
    void SetTraceOptions(CWebInfo& record); // message 29
    void GetLastEvent(CWebInfo& record);    // message 22
    void ShowToolTip(CWebInfo& record);     // message 41
    // The rows that address test objects.
    void DispatchObjectRequest(CWebInfo& record);

private:
    static constexpr LPARAM kToolTipAutoPopMs = 3392;

    HINSTANCE m_instance = nullptr;
    HWND m_toolTipWindow = nullptr; // owned; destroyed with the dispatcher
    int32_t m_toolTipTarget = 0;
    CWebRunTimeID m_lastEventId;
    std::string m_lastEventName;
    CWebInfo m_lastEventRecord;
    int32_t m_useOldName = -1;
    int32_t m_useQuorvin70IE55Description = -1;
    std::map<std::string, int32_t, std::less<>> m_options;
};

// The process's dispatcher as the global trap state holds it. The trap state
// installs its accessor when it is created; without one there is none.
using DispatcherSource = CInterface* (*)();
void SetDispatcherSource(DispatcherSource source);
CInterface* GetProcessDispatcher();
