#pragma once
// The recorder: turns a DOM event the observer let through into a recorded
// statement (the acted-on object's runtime identifier, a statement name and
// optional attributes), stores it where the tool collects it (message 22)
// and signals the browser's native window with message 0x422.
//
//     CNS6EventUtil& recorder = GetEventRecorder();     // made on first use
//     recorder.ElementEvent(event, frame);              // inside a page
//     recorder.ChromeEvent(event, browser);             // toolbar, address
//     recorder.NavigationNotice(browser);               // message 46
//
// Runs on the browser's user-interface thread inside DOM event dispatch.

#include "agent/model/CWebObj.h"
#include "agent/record/CEventUtil.h"
#include "platform/win32/WinUser.h"
#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMNode.h"
#include "platform/xpcom/nsCOMPtr.h"

#include <string_view>

// The window message that tells the tool a statement is waiting.
inline constexpr UINT kRecordedSignal = WM_USER + 34; // 0x422

class CWebInfo;
class CWebRunTimeID;

class CNS6EventUtil : public CEventUtil {
public:
    CNS6EventUtil() = default;
    ~CNS6EventUtil() override = default;

    // A page event on an element of `frame`: NS_OK when handled (recorded or
    // skipped), E_FAIL when it cannot or must not be recorded.
    virtual nsresult ElementEvent(nsIDOMEvent* event, const CWebObjRef& frame);
    // An event in the browser's own chrome, recorded against `browser`.
    virtual nsresult ChromeEvent(nsIDOMEvent* event, const CWebObjRef& browser);
    // The user started a navigation in `browser`: message 46 to the tool,
    // then the signal to the browser window.
    virtual nsresult NavigationNotice(const CWebObjRef& browser);

    // The element that last received a page "focus" event.
    nsIDOMNode* LastFocused() const { return m_LastFocused.get(); }
    void ForgetLastFocused() { m_LastFocused = nullptr; }

private:
    nsCOMPtr<nsIDOMNode> m_LastFocused;
};

// The one recorder of the process, created on first use and kept.
CNS6EventUtil& GetEventRecorder();

// Stores a statement where the tool collects it; an empty `record` leaves
// the attributes of an earlier statement in place.
void StoreRecordedStatement(const CWebRunTimeID& id, std::string_view name, const CWebInfo& record);
