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
#include "agent/dispatch/Identification.h"
#include "agent/model/CWebObj.h"
#include "platform/win32/WinDef.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Whether a description search looks at every descendant of the addressed
// object or at its direct children only.
enum class Descend { No, Yes };

class CInterface {
public:
    CInterface() = default;
    CInterface(const CInterface&) = delete;
    CInterface& operator=(const CInterface&) = delete;

    virtual int QueryReserved() { return 1; }
    virtual int GetVersion() { return 1000; }
    // Performs the operation the record's MsgId selects; true when the record
    // is to be sent back as the reply (always, unknown MsgIds included).
    virtual bool Dispatch(CWebInfo& record);

    // The identifier of the page or frame whose native window is the given
    // one: 0 and the identifier, or E_FAIL. This class looks at the window
    // itself only.
    virtual nsresult FindIdByHandle(HWND window, CWebRunTimeID& out);
    // The object the record's identifier names: the browser, its page or
    // frame, or an element below that. Sets the record's RetValue to 0, or to
    // "no object found" with a null handle.
    virtual CWebObjRef ResolveObject(CWebInfo& record);
    // The object whose native window is the given one, or null.
    virtual CWebObjRef ResolveByHandle(HWND window);
    // The browser object of the window's top-level window, or null for a
    // null or dead window and for a window no browser object stands for.
    virtual CWebObjRef FindBrowserByWindow(HWND window);
    // The browser object of an identifier's first level.
    virtual CWebObjRef ResolveBrowser(const CWebRunTimeID& id);
    // The top-level window above a window. This class knows no window
    // hierarchy and answers null.
    virtual HWND GetTopWindow(HWND window);
    // Message 8: the same properties of several objects, one list per name.
    virtual void GetPropertiesOfMany(CWebInfo& record);
    virtual ~CInterface();
    // Message 17: the objects under the addressed object at a point.
    virtual void ObjectsAtPoint(CWebInfo& record);
    // The registered browser objects in registry order, after those whose
    // window is gone were dropped; false when there is no registry. This
    // class has none.
    virtual bool GetBrowsers(std::vector<CWebObjRef>& out);

    // The identification operations the description rows call.
    void SetIdentificationService(const IdentificationService& service) {
        m_identification = service;
    }
    const IdentificationService& GetIdentificationService() const { return m_identification; }

    // Tool options (message 48); an option never set reads as 0.
    int32_t GetOption(std::string_view name) const;
    void SetOption(std::string_view name, int32_t value);

    // Announces a new agent window to the tool (message 38), then reads the
    // options that stay fixed for the life of the dispatcher. Options the tool
    // sends while the announcement is outstanding are already in place.
    bool AnnounceConnection(HWND browserWindow, HWND agentWindow);

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

    // Resolves the record's object; without one the RetValue becomes E_FAIL.
    CWebObjRef ResolveOrFail(CWebInfo& record);
    // Shared by the window searches; Ancestors::Yes also tries the parents
    // of the window, nearest first.
    enum class Ancestors { No, Yes };
    nsresult FindIdByWindowOf(HWND window, Ancestors ancestors, CWebRunTimeID& out);

    void GetState(CWebInfo& record);       // message 1
    void GetDescription(CWebInfo& record); // message 6
    enum class Wrap { No, Yes };
    void WriteText(CWebInfo& record, Wrap wrap);      // messages 9, 10
    void IdOfWindow(CWebInfo& record);                // message 25
    void WriteFormatFile(CWebInfo& record);           // message 37
    void FindByProperties(CWebInfo& record);          // message 42
    void CallNamedMethod(CWebInfo& record);           // message 49
    void SaveImgContentToFile(CWebInfo& record);      // message 52
    void DescToId(CWebInfo& record, Descend descend); // messages 15, 16
    void DescToIdUnnested(CWebInfo& record);          // message 44
    void CountObjects(CWebInfo& record);              // message 26
    void WriteObjectInfo(CWebInfo& record);           // message 23
    void IdToDesc(CWebInfo& record);                  // message 39
    void DefineClass(CWebInfo& record);               // message 40
    void EnumerateObjects(CWebInfo& record);          // message 51
    // Drops from an "id" list every identifier whose successor lies inside it.
    void RemoveNesting(CWebInfo& record);

    IdentificationService m_identification;

private:
    static constexpr LPARAM kToolTipAutoPopMs = 3392;

    HWND m_toolTipWindow = nullptr; // owned; destroyed with the dispatcher
    int32_t m_toolTipTarget = 0;
    CWebRunTimeID m_lastEventId;
    std::string m_lastEventName;
    CWebInfo m_lastEventRecord;
    int32_t m_useOldName = -1;
    int32_t m_useQuorvin70IE55Description = -1;
    std::map<std::string, int32_t, std::less<>> m_options;
};

// For hosts without a global trap state (the console's stand-in browser,
// tests): installs, as the process's agent context, a context that reaches
// the dispatcher the source answers (null uninstalls it). The global trap
// state installs its own context instead.
using DispatcherSource = CInterface* (*)();
void SetDispatcherSource(DispatcherSource source);
// The dispatcher behind the process's agent context, or null.
CInterface* GetProcessDispatcher();

// The text of a write-text request wrapped for the file: blanks dropped and a
// line feed after every 20 characters kept.
std::string WrapText(std::string_view text);
