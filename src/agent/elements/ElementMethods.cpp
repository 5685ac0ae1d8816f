// The named methods of every element object and the DOM event replay behind
// them. Kept apart from the element object's properties and tree so that the
// methods grow here on their own.
#include "agent/channel/RequestArgs.h"
#include "agent/elements/CNS6Obj.h"
#include "agent/elements/ElementEvents.h"
#include "agent/elements/ScrollIntoView.h"
#include "agent/model/CWebObjUtil.h"
#include "platform/xpcom/nsError.h"

bool CNS6Obj::CallMethod(std::string_view method, CWebInfo& record) {
    // The page's handlers and scroll listeners run inside these methods and
    // may drop every other handle to this object.
    const CWebObjRef self(this);
    const CWebObjRef frame = GetOwnerFrame();
    if (IsOwnerWindowDisabled(frame)) {
        // A modal dialog runs: nothing may act on the page.
        record.SetRetValue(E_FAIL);
        return true;
    }
    if (method == "DescToId" || method == "IdToDesc") {
        CWebObj* owner = frame.Get();
        return owner != nullptr && owner->CallMethod(method, record);
    }
    if (method == "MakeVisible") {
        MakeNodeVisible(m_Element.get(), frame, record,
                        [this](nsIDOMNode* node, RECT& rect) { return GetRect(node, rect); });
        return true;
    }
    if (method == "CallEvent") {
        std::optional<std::string> name = StringArg(record, "event_name");
        if (!name || name->empty()) {
            record.SetRetValue(E_INVALIDARG);
            return true;
        }
        std::optional<POINT> point;
        if (std::optional<std::pair<int32_t, int32_t>> pos = PairArg(record, "pos")) {
            point = POINT{pos->first, pos->second};
        }
        // The tool replays and moves on: what the page made of the event is
        // its own business, and an unknown name does nothing.
        FireEvent(*name, point);
        record.SetRetValue(NS_OK);
        return true;
    }
    const CWebObjUtil* util = GetUtil();
    if (util == nullptr) {
        return false;
    }
    if (method == "WriteFormatHeader") {
        return util->WriteFormatHeader(self, record);
    }
    if (method == "WriteFormatToFile") {
        return util->WriteFormatToFile(self, record);
    }
    if (method == "WriteAttrValToFile") {
        return util->WriteAttrValToFile(self, record);
    }
    return false;
}

nsresult CNS6Obj::FireEvent(std::string_view event, std::optional<POINT> point) {
    // Held while the page's handlers run: they may drop the element.
    const CWebObjRef self(this);
    const nsCOMPtr<nsIDOMNode> node = m_Element;
    return FireElementEvent(node.get(), event, point);
}
