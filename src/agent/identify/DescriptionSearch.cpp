#include "agent/identify/DescriptionSearch.h"

#include "agent/channel/Trace.h"
#include "agent/common/RegExpService.h"

#include <algorithm>
#include <optional>

namespace {

constexpr nsresult kNotFound = static_cast<nsresult>(0x80040202);
constexpr nsresult kSeveralFound = static_cast<nsresult>(0x80040203);

bool IsGeneralElementSearch(const CWebInfo& request) {
    const CWebVariant* value = request.FindFirstValue("class");
    return value != nullptr && value->GetType() == WebVariantType::String &&
           value->GetString() == "html_general_element";
}

// The object the identifier names through the dispatcher's resolution.
CWebObjRef Resolve(IDescriptionHost& dispatcher, const CWebRunTimeID& id) {
    CWebInfo scratch;
    scratch.SetRunTimeID(id);
    return dispatcher.ResolveObject(scratch);
}

std::optional<RECT> TopLeftRect(IWebObj& object) {
    CWebVariantList rect;
    if (!object.GetProperty("rect", rect) || rect.GetType() != WebVariantType::Rect ||
        rect.IsEmpty()) {
        return std::nullopt;
    }
    return rect.GetAt(0)->GetRect();
}

std::string ValueText(const CWebVariant& value) {
    CWebVariant copy = value;
    if (!copy.ConvertTo(WebVariantType::String)) {
        return {};
    }
    return copy.GetString();
}

// Rows say so through "SkipObjFromPoint": handled with result 0.
bool AsksToBeSkipped(IWebObj& object) {
    CWebInfo question;
    return object.CallMethod("SkipObjFromPoint", question) && question.GetRetValue() == NS_OK;
}

bool HoldsPointInside(IWebObj& object, int32_t x, int32_t y) {
    CWebVariantList rects;
    if (!object.GetProperty("rect", rects) || rects.GetType() != WebVariantType::Rect) {
        return false;
    }
    return std::any_of(rects.Elements().begin(), rects.Elements().end(), [&](const CWebVariant& r) {
        RECT rect = r.GetRect();
        return rect.left < x && x < rect.right && rect.top < y && y < rect.bottom;
    });
}

} // namespace

bool IsFrameLevel(const CWebRunTimeID& id) {
    return id.First() != CWebRunTimeID::kUnused && id.Second() != CWebRunTimeID::kUnused &&
           id.Third() == CWebRunTimeID::kUnused;
}

bool IsElementLevel(const CWebRunTimeID& id) {
    return id.First() != CWebRunTimeID::kUnused && id.Second() != CWebRunTimeID::kUnused &&
           id.Third() != CWebRunTimeID::kUnused;
}

nsresult FindObjectsByDesc(IDescriptionHost& dispatcher, const CWebInfo& request, Descend descend,
                           std::vector<CWebObjRef>& found) {
    found.clear();
    // The engine describes descendants; a search among children only must
    // not be answered with a grandchild.
    if (descend == Descend::Yes) {
        CWebInfo copy = request;
        // An "id" the tool sent must not pass for the engine's answer.
        copy.RemoveAttr("id");
        CWebObjRef context = dispatcher.ResolveObject(copy);
        if (context && context->CallMethod("DescToId", copy)) {
            const CWebVariant* id = copy.FindFirstValue("id");
            if (id != nullptr && id->GetType() == WebVariantType::RunTimeID) {
                if (CWebObjRef object = Resolve(dispatcher, id->GetRunTimeID())) {
                    found.push_back(std::move(object));
                    return NS_OK;
                }
            }
        }
    }
    const int32_t flags = IsGeneralElementSearch(request) ? kChildFilterAll : kChildFilterOrdinary;
    if (!CollectObjects(dispatcher, request.GetRunTimeID(), found, flags, descend)) {
        found.clear();
        return E_UNEXPECTED;
    }
    FilterObjVectorByDesc(request, found);
    return NS_OK;
}

bool CollectObjects(IDescriptionHost& dispatcher, const CWebRunTimeID& id,
                    std::vector<CWebObjRef>& out, int32_t flags, Descend descend) {
    if (id.IsEmpty()) {
        std::vector<CWebObjRef> browsers;
        if (!dispatcher.GetBrowsers(browsers)) {
            return false;
        }
        for (CWebObjRef& browser : browsers) {
            CWebObj* target = browser.Get();
            if (target == nullptr) {
                continue;
            }
            std::vector<CWebObjRef> below;
            bool collected = descend == Descend::Yes ? target->CollectDescendants(below, flags)
                                                     : target->CollectChildren(below, flags);
            if (collected) {
                out.push_back(browser);
                out.insert(out.end(), std::make_move_iterator(below.begin()),
                           std::make_move_iterator(below.end()));
            }
        }
        return true;
    }
    CWebObjRef object = Resolve(dispatcher, id);
    if (!object) {
        return false;
    }
    out.clear();
    if (descend == Descend::Yes) {
        object->CollectDescendants(out, flags);
    } else {
        object->CollectChildren(out, flags);
    }
    return true;
}

void FilterObjVectorByDesc(const CWebInfo& request, std::vector<CWebObjRef>& objects) {
    // One pattern is compared with every object's value: one that runs away
    // must not do so once per object.
    RunawayPatternScope runaway;
    int32_t selector = -1;
    std::string_view selectorName;
    const bool tracing = TraceEnabled(kTraceDescription);
    for (const CAttrPair& attribute : request.Attrs()) {
        const std::string& name = attribute.GetName();
        const CWebVariant* first = attribute.GetValue().GetAt(0);
        if (name == "location" || name == "index") {
            if (first != nullptr) {
                CWebVariant value = *first;
                if (value.ConvertTo(WebVariantType::Integer)) {
                    selector = value.GetInteger();
                    selectorName = name;
                }
            }
            continue;
        }
        if (tracing && first != nullptr) {
            Trace(kTraceDescription,
                  FormatTraceLine(
                      "FilterObjVectorByDesc(): number of objects:%d, AttrName:%s, AttrVal:%s",
                      static_cast<int>(objects.size()), name.c_str(), ValueText(*first).c_str()));
        }
        if (name.empty()) {
            continue;
        }
        std::erase_if(objects, [&](const CWebObjRef& object) {
            CWebObj* target = object.Get();
            // An object gone meanwhile must not take a selector position.
            return target == nullptr || !target->MatchProperty(name, attribute.GetValue(), true);
        });
    }
    if (tracing) {
        Trace(kTraceDescription, FormatTraceLine("FilterObjVectorByDesc(): number of objects:%d",
                                                 static_cast<int>(objects.size())));
    }
    if (selectorName.empty()) {
        return;
    }
    if (static_cast<uint32_t>(selector) >= objects.size()) {
        objects.clear();
        return;
    }
    size_t chosen = static_cast<size_t>(selector);
    CWebObj* first = objects.front().Get();
    if (selectorName == "location" && first != nullptr && IsFrameLevel(first->RunTimeID())) {
        // Frames and pages are told apart by where they are, not by order.
        auto at = std::find_if(objects.begin(), objects.end(), [&](const CWebObjRef& object) {
            CWebObj* target = object.Get();
            return target != nullptr && GetLocation(*target, objects) == selector;
        });
        if (at == objects.end()) {
            objects.clear();
            return;
        }
        chosen = static_cast<size_t>(at - objects.begin());
    }
    CWebObjRef pick = objects[chosen];
    objects.assign(1, std::move(pick));
}

int GetLocation(IWebObj& object, const std::vector<CWebObjRef>& objects) {
    std::optional<RECT> own = TopLeftRect(object);
    if (!own) {
        return -1;
    }
    int location = 0;
    for (const CWebObjRef& other : objects) {
        CWebObj* target = other.Get();
        if (target == nullptr) {
            continue;
        }
        std::optional<RECT> rect = TopLeftRect(*target);
        if (rect && (rect->top < own->top || (rect->top == own->top && rect->left < own->left))) {
            ++location;
        }
    }
    return location;
}

void ObjectsAtPoint(IDescriptionHost& dispatcher, CWebInfo& request) {
    std::vector<CWebObjRef> objects;
    if (!CollectObjects(dispatcher, request.GetRunTimeID(), objects, kChildFilterOrdinary,
                        Descend::Yes)) {
        request.SetRetValue(E_FAIL);
        return;
    }
    const CWebVariant* point = request.FindFirstValue("point");
    if (point == nullptr || point->GetType() != WebVariantType::Pair) {
        request.SetRetValue(E_UNEXPECTED);
        return;
    }
    const int32_t x = point->GetPairFirst();
    const int32_t y = point->GetPairSecond();
    std::erase_if(objects, [&](const CWebObjRef& object) {
        CWebObj* target = object.Get();
        return target == nullptr || AsksToBeSkipped(*target) || !HoldsPointInside(*target, x, y);
    });
    if (objects.empty()) {
        request.SetRetValue(kNotFound);
        return;
    }
    request.ClearAttrs();
    for (const CWebObjRef& object : objects) {
        CWebVariantList id;
        id.Set(object->RunTimeID());
        if (!request.AppendAttr("id", id)) {
            request.SetRetValue(E_UNEXPECTED);
            return;
        }
    }
    request.SetRetValue(objects.size() == 1 ? NS_OK : kSeveralFound);
}
