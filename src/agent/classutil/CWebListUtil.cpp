// The operations of the list and control utilities: the statement that
// records a selection change, and the native window of a control.
#include "agent/classutil/CWebElementUtil.h"
#include "agent/common/IAgentContext.h"
#include "platform/win32/WinUser.h"

#include <set>

namespace {

constexpr char kItemSeparator = '\x1e';

std::set<std::string, std::less<>> SplitItems(std::string_view selection) {
    std::set<std::string, std::less<>> items;
    if (selection.empty()) {
        return items;
    }
    size_t start = 0;
    while (true) {
        const size_t end = selection.find(kItemSeparator, start);
        items.emplace(selection.substr(start, end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return items;
}

// The texts of `from` that `other` lacks, joined with the separator.
std::pair<size_t, std::string> Missing(const std::set<std::string, std::less<>>& from,
                                       const std::set<std::string, std::less<>>& other) {
    size_t count = 0;
    std::string joined;
    for (const std::string& item : from) {
        if (other.contains(item)) {
            continue;
        }
        if (count++ > 0) {
            joined.push_back(kItemSeparator);
        }
        joined += item;
    }
    return {count, joined};
}

} // namespace

void CWebSelectElementUtil::ListStatement(std::string_view before, std::string_view after,
                                          std::string& items, std::string& command) {
    const auto beforeItems = SplitItems(before);
    const auto afterItems = SplitItems(after);
    const auto [addedCount, added] = Missing(afterItems, beforeItems);
    const auto [removedCount, removed] = Missing(beforeItems, afterItems);
    if (addedCount == 1 && removedCount == 0 && !before.empty()) {
        command = "list_extend_item";
        items = added;
    } else if (removedCount == 1 && addedCount == 0) {
        command = "list_deselect_item";
        items = removed;
    } else if (afterItems.size() > 1) {
        command = "list_select_multi_items";
        items = after;
    } else {
        command = "list_select_item";
        items = after;
    }
    for (char& c : items) {
        if (c == kItemSeparator) {
            c = ',';
        }
    }
}

int32_t CWebStdObjUtil::GetNativeWindowHandle(CWebObj& control) const {
    CWebVariantList visible;
    if (control.GetProperty("visible", visible) && visible.GetType() == WebVariantType::Integer &&
        !visible.IsEmpty() && visible.GetAt(0)->GetInteger() == 0) {
        return 0;
    }
    CWebInfo scroll;
    CWebVariantList point;
    point.SetPair(5, 5);
    scroll.SetAttr("point", point);
    control.CallMethod("MakeVisible", scroll);

    CWebVariantList screen;
    if (!control.GetProperty("screen_rect", screen) || screen.GetType() != WebVariantType::Rect ||
        screen.IsEmpty()) {
        return 0;
    }
    const RECT rect = screen.GetAt(0)->GetRect();

    CWebObjRef frame = GetEnclosingFrame(CWebObjRef(&control));
    CWebVariantList frameHandle;
    if (!frame || !frame->GetProperty("handle", frameHandle) ||
        frameHandle.GetType() != WebVariantType::Integer || frameHandle.IsEmpty() ||
        frameHandle.GetAt(0)->GetInteger() == 0) {
        return 0;
    }
    HWND frameWindow = HwndFromValue(static_cast<ULONG>(frameHandle.GetAt(0)->GetInteger()));

    // The probe finds the control's window only when no other window covers
    // it, so its browser window comes to the front first.
    HWND top = frameWindow;
    while (HWND parent = GetParent(top)) {
        top = parent;
    }
    SetForegroundWindow(top);

    POINT probe{rect.left + 5, rect.top + 5};
    HWND found = nullptr;
    IAgentContext* context = control.GetContext();
    if (context != nullptr && context->HasDispatcher() &&
        control.GetOption("SupportDisabledLists") == 1) {
        // A disabled window does not answer the screen probe; the frame's own
        // child list still has it.
        ScreenToClient(frameWindow, &probe);
        found = ChildWindowFromPoint(frameWindow, probe);
    } else {
        found = WindowFromPoint(probe);
    }
    if (found == nullptr || GetParent(found) != frameWindow) {
        return 0;
    }
    return static_cast<int32_t>(HandleToULong(found));
}
