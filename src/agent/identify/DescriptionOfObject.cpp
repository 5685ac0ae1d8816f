#include "agent/identify/DescriptionOfObject.h"

#include "agent/common/AgentCodes.h"
#include "agent/identify/DescriptionSearch.h"

#include <string>
#include <vector>

namespace {

constexpr nsresult kNotFound = static_cast<nsresult>(0x80040202);
constexpr nsresult kSeveralFound = static_cast<nsresult>(0x80040203);

// An object gone while the searches ran page code is tagged "object".
void AddTag(const CWebObjRef& object, const std::string& tagAttr, CWebInfo& record) {
    CWebVariantList value;
    if (CWebObj* target = object.Get()) {
        target->GetProperty(tagAttr, value);
    }
    CWebVariantList tag;
    const CWebVariant* first = value.GetAt(0);
    if (value.GetType() == WebVariantType::String && first != nullptr &&
        !first->GetString().empty()) {
        tag.Set(std::string_view(first->GetString()));
    } else {
        tag.Set(std::string_view("object"));
    }
    record.AddAttr("tag", tag);
}

void AddInteger(CWebInfo& record, std::string_view name, int32_t number) {
    CWebVariantList value;
    value.Set(number);
    record.AddAttr(name, value);
}

// The context of the general search for an object: the nearest object above
// it that is not an element; the empty identifier when there is none. The
// object itself never is: a frame is searched for among its parent's objects.
CWebRunTimeID SearchContext(const CWebObjRef& object) {
    CWebObjRef current = object->GetParent();
    while (current && IsElementLevel(current->RunTimeID())) {
        current = current->GetParent();
    }
    return current ? current->RunTimeID() : CWebRunTimeID();
}

struct Enumeration {
    CWebInfo ids;
    size_t position = 0;
};

Enumeration& CurrentEnumeration() {
    static Enumeration* state = new Enumeration(); // never destroyed: lives to unload
    return *state;
}

nsresult SelectorAnswer(CWebInfo& record, const CWebObjRef& object, const std::string& selector,
                        const std::vector<CWebObjRef>& last) {
    const CWebRunTimeID& id = record.GetRunTimeID();
    if (selector.empty()) {
        return NS_OK; // nothing numbers the look-alikes: the description stands
    }
    if (selector == "location" && IsFrameLevel(id)) {
        CWebObj* target = object.Get();
        int location = target != nullptr ? GetLocation(*target, last) : -1;
        if (location < 0) {
            return E_UNEXPECTED;
        }
        AddInteger(record, selector, location);
        return NS_OK;
    }
    for (size_t i = 0; i < last.size(); ++i) {
        if (last[i] && last[i]->RunTimeID() == id) {
            AddInteger(record, selector, static_cast<int32_t>(i));
            return NS_OK;
        }
    }
    return E_UNEXPECTED;
}

nsresult Describe(IDescriptionHost& dispatcher, CWebInfo& record, const CWebRunTimeID& id) {
    record.ClearAttrs();
    CWebObjRef object = dispatcher.ResolveObject(record);
    if (!object) {
        return kNotFound;
    }
    CWebInfo optional;
    std::string selector;
    std::string tagAttr;
    object->GetDescription(record, optional, selector, tagAttr);
    record.SetRunTimeID(id);
    if (object->CallMethod("IdToDesc", record)) {
        AddTag(object, tagAttr, record);
        return NS_OK;
    }
    // An element that does not hand the question to its frame: its frame's
    // maps are asked directly, so that the description is the one those maps
    // resolve (their selector numbers count the objects of the same
    // description, which a search by class chain would not).
    const CWebRunTimeID context = SearchContext(object);
    if (IsElementLevel(id)) {
        CWebInfo scratch;
        scratch.SetRunTimeID(context);
        CWebObjRef frame = context.IsEmpty() ? CWebObjRef() : dispatcher.ResolveObject(scratch);
        if (frame && frame->CallMethod("IdToDesc", record)) {
            AddTag(object, tagAttr, record);
            return NS_OK;
        }
    }
    CWebInfo search = record;
    search.SetRunTimeID(context);
    std::vector<CWebObjRef> found;
    if (FindObjectsByDesc(dispatcher, search, Descend::Yes, found) != NS_OK) {
        return E_UNEXPECTED;
    }
    std::erase_if(found, [](const CWebObjRef& candidate) { return !candidate.IsValid(); });
    if (found.size() <= 1) {
        if (found.empty()) {
            return kNotFound;
        }
        AddTag(object, tagAttr, record);
        return NS_OK;
    }
    for (const CAttrPair& attribute : optional.Attrs()) {
        if (attribute.GetValue().IsEmpty()) {
            continue;
        }
        record.AddAttr(attribute.GetName(), attribute.GetValue());
        search.AddAttr(attribute.GetName(), attribute.GetValue());
        std::vector<CWebObjRef> narrowed;
        if (FindObjectsByDesc(dispatcher, search, Descend::Yes, narrowed) != NS_OK) {
            continue;
        }
        std::erase_if(narrowed, [](const CWebObjRef& candidate) { return !candidate.IsValid(); });
        if (narrowed.empty()) {
            return kNotFound;
        }
        found = std::move(narrowed);
        if (found.size() == 1) {
            AddTag(object, tagAttr, record);
            return NS_OK;
        }
    }
    if (IsElementLevel(id) || dispatcher.CachedUseQuorvin70IE55Description() != 0) {
        nsresult code = SelectorAnswer(record, object, selector, found);
        if (code != NS_OK) {
            return code;
        }
    }
    AddTag(object, tagAttr, record);
    return NS_OK;
}

} // namespace

nsresult IdToDesc(IDescriptionHost& dispatcher, CWebInfo& request) {
    const CWebRunTimeID id = request.GetRunTimeID();
    nsresult code = Describe(dispatcher, request, id);
    // The reply names the object it describes, whatever was searched.
    request.SetRunTimeID(id);
    return code;
}

void ResetEnumeration() {
    CurrentEnumeration() = Enumeration{};
}

void EnumerateObjects(IDescriptionHost& dispatcher, CWebInfo& request) {
    const CWebVariant* needed = request.FindFirstValue("bEnumNeeded");
    if (needed == nullptr || needed->GetType() != WebVariantType::Integer) {
        request.SetRetValue(E_FAIL);
        return;
    }
    Enumeration& state = CurrentEnumeration();
    if (needed->GetInteger() != 0) {
        state = Enumeration{};
        CWebInfo search;
        search.SetMsgId(ToInt(MsgId::DescToId));
        search.SetRunTimeID(request.GetRunTimeID());
        CWebVariantList objectClass;
        objectClass.Set(std::string_view("html_object"));
        search.AddAttr("class", objectClass);
        dispatcher.Dispatch(search);
        if (search.GetRetValue() != NS_OK && search.GetRetValue() != kSeveralFound) {
            request.SetRetValue(search.GetRetValue());
            return;
        }
        state.ids = std::move(search);
    }
    for (;;) {
        const std::string* name = state.ids.GetAttrName(state.position);
        if (name == nullptr || *name != "id") {
            request.SetRetValue(E_UNEXPECTED);
            return;
        }
        const CWebVariant* value = state.ids.GetAttrValue(state.position)->GetAt(0);
        if (value == nullptr || value->GetType() != WebVariantType::RunTimeID) {
            request.SetRetValue(kNotFound);
            return;
        }
        const CWebRunTimeID id = value->GetRunTimeID();
        CWebInfo scratch;
        scratch.SetRunTimeID(id);
        CWebObjRef object = dispatcher.ResolveObject(scratch);
        if (!object) {
            request.SetRetValue(kNotFound);
            return;
        }
        scratch.AddAttr("IsIgnored", CWebVariantList());
        scratch.AddAttr("rect", CWebVariantList());
        object->GetProperties(scratch);
        const CWebVariant* ignored = scratch.FindFirstValue("IsIgnored");
        if (scratch.GetRetValue() != NS_OK || ignored == nullptr ||
            ignored->GetType() != WebVariantType::Integer) {
            request.SetRetValue(E_UNEXPECTED);
            return;
        }
        ++state.position;
        if (ignored->GetInteger() == 1) {
            continue;
        }
        request.SetRunTimeID(id);
        request.ClearAttrs();
        if (IdToDesc(dispatcher, request) != NS_OK) {
            request.SetRetValue(E_UNEXPECTED);
            return;
        }
        const CWebVariantList* rect = scratch.FindAttr("rect");
        if (rect != nullptr && rect->GetType() == WebVariantType::Rect && !rect->IsEmpty()) {
            request.AddAttr("rect", *rect);
        }
        request.SetRetValue(NS_OK);
        return;
    }
}
