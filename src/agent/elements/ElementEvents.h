// Replaying DOM events on an element: the tool's event names, the platform
// events they become, and the dispatch through the presentation shell's
// event entry, so that the page's handlers run and default actions happen as
// when a user acts (a click on a link follows it, a click on a check box
// toggles it, "submit" on a form submits it).
//
//     nsresult result = FireElementEvent(node, "onClick", POINT{3, 4});
//     // E_NOTIMPL for a name outside the table; the handlers have run.
//
// Everything runs synchronously on the user-interface thread; the page's
// handlers may remove the element or unload its document meanwhile.
#pragma once

#include "platform/win32/WinDef.h"
#include "platform/xpcom/dom/nsIDOMNode.h"
#include "platform/xpcom/shell/nsIPresShell.h"

#include <cstdint>
#include <optional>
#include <string_view>

// What a replayed event name does.
enum class ReplayKind : uint8_t {
    Mouse, // one mouse event
    Click, // mouse click, then the XUL click and command, then DOMActivate
    Plain, // one plain event
    Focus, // the element's own focus operation
    Blur,  // the element's own blur operation
    Submit // the form's submit operation
};

struct ReplayedEvent {
    std::string_view name;
    ReplayKind kind;
    PRUint32 message; // the platform event; 0 for the element operations
};

// The events the tool can replay, by their DOM names.
inline constexpr ReplayedEvent kReplayedEvents[] = {
    {"mousedown", ReplayKind::Mouse, NS_MOUSE_LEFT_BUTTON_DOWN},
    {"mouseup", ReplayKind::Mouse, NS_MOUSE_LEFT_BUTTON_UP},
    {"click", ReplayKind::Click, NS_MOUSE_LEFT_CLICK},
    {"dblclick", ReplayKind::Mouse, NS_MOUSE_LEFT_DOUBLECLICK},
    {"mouseover", ReplayKind::Mouse, NS_MOUSE_ENTER},
    {"mouseout", ReplayKind::Mouse, NS_MOUSE_EXIT},
    {"focus", ReplayKind::Focus, 0},
    {"blur", ReplayKind::Blur, 0},
    {"submit", ReplayKind::Submit, 0},
    {"change", ReplayKind::Plain, NS_FORM_CHANGE},
};

// The table entry of an event name, written in any letter case, with or
// without the "on" of its handler attribute; nothing for other names.
std::optional<ReplayedEvent> FindReplayedEvent(std::string_view name);

// Fires the named event at `node` and answers the dispatch's result code:
// E_NOTIMPL for a name outside the table, E_FAIL for "submit" on an element
// that is not a form, 0 for "focus" and "blur". Nothing is dispatched to an
// element without a layout frame. A mouse event carries `point` (pixels in
// the element's widget) or (0, 0). The steps of a click stop as soon as the
// page's own handlers took the element out of its document.
nsresult FireElementEvent(nsIDOMNode* node, std::string_view name,
                          std::optional<POINT> point = std::nullopt);
