// The dispatcher rows built on identification: from a description to the
// identifiers of the matching objects, and the rows that shape those results.
#include "agent/channel/RequestArgs.h"
#include "agent/dispatch/CInterface.h"
#include "agent/dispatch/Identification.h"

#include <vector>

namespace {

constexpr uint32_t kHiddenFromIdList = 1; // class flag bit 0

using DescriptionSearch = decltype(IdentificationService::findObjectsByDesc);

// The installed description search; without one the request is refused.
DescriptionSearch SearchOrRefuse(const IdentificationService& service, CWebInfo& record) {
    DescriptionSearch find = service.findObjectsByDesc;
    // FIXME: until identification installs its search these rows answer
    // E_NOTIMPL; a count of 0 or "nothing found" would read as an answer.
    if (!find)
        record.SetRetValue(E_NOTIMPL);
    return find;
}

} // namespace

void CInterface::DescToId(CWebInfo& record, Descend descend) {
    DescriptionSearch find = SearchOrRefuse(m_identification, record);
    if (!find)
        return;
    std::vector<CWebObjRef> found;
    if (nsresult code = find(*this, record, descend, found); code != NS_OK) {
        record.SetRetValue(code);
        return;
    }
    // Owned objects may have gone while the search ran page code.
    std::erase_if(found, [](const CWebObjRef& object) { return !object.IsValid(); });
    if (found.empty()) {
        record.SetRetValue(kResultNotFound);
        return;
    }
    record.ClearAttrs();
    if (found.size() == 1) {
        CWebVariantList id(CWebVariant(found.front()->RunTimeID()));
        record.SetRetValue(record.AppendAttr("id", id) ? NS_OK : E_UNEXPECTED);
        return;
    }
    for (const CWebObjRef& object : found) {
        if ((object->GetClassFlags() & kHiddenFromIdList) == 0)
            AppendRunTimeID(record, "id", object->RunTimeID());
    }
    record.SetRetValue(kResultSeveralFound);
}

void CInterface::DescToIdUnnested(CWebInfo& record) {
    DescToId(record, Descend::Yes);
    if (record.GetRetValue() == kResultSeveralFound)
        RemoveNesting(record);
}

void CInterface::RemoveNesting(CWebInfo& record) {
    std::vector<CWebRunTimeID> ids;
    const std::string* first = record.GetAttrName(0);
    if (first && *first == "id") {
        for (const CAttrPair& attribute : record.Attrs()) {
            const CWebVariant* value = attribute.GetValue().GetAt(0);
            if (value && value->GetType() == WebVariantType::RunTimeID)
                ids.push_back(value->GetRunTimeID());
        }
    }
    record.ClearAttrs();
    std::vector<bool> kept(ids.size(), true);
    for (size_t i = 0; i + 1 < ids.size(); ++i) {
        CWebInfo scratch;
        scratch.SetRunTimeID(ids[i]);
        CWebObjRef object = ResolveObject(scratch);
        if (!object)
            continue;
        // The object answers whether the next identifier lies inside it.
        CWebInfo question;
        AppendRunTimeID(question, "child_id", ids[i + 1]);
        if (object->CallMethod("IsParent", question) && question.GetRetValue() == NS_OK)
            kept[i] = false;
    }
    for (size_t i = 0; i < ids.size(); ++i) {
        if (kept[i])
            AppendRunTimeID(record, "id", ids[i]);
    }
    if (record.GetAttrCount() == 1)
        record.SetRetValue(NS_OK);
}

void CInterface::CountObjects(CWebInfo& record) {
    DescriptionSearch find = SearchOrRefuse(m_identification, record);
    if (!find)
        return;
    std::vector<CWebObjRef> found;
    (void)find(*this, record, Descend::Yes, found); // the count is the answer
    record.ClearAttrs();
    AppendInteger(record, "number_of_objects", static_cast<int32_t>(found.size()));
    record.SetRetValue(NS_OK);
}

void CInterface::WriteObjectInfo(CWebInfo& record) {
    DescriptionSearch find = SearchOrRefuse(m_identification, record);
    if (!find)
        return;
    CWebInfo copy = record;
    if (!record.FindAttr("class") || !StringArg(record, "file_name")) {
        record.SetRetValue(E_INVALIDARG);
        return;
    }
    // The search must not take the file name for a property of the description.
    record.RemoveAttr("file_name");
    std::vector<CWebObjRef> found;
    if (find(*this, record, Descend::Yes, found) != NS_OK || found.empty()) {
        record.SetRetValue(kResultNotFound);
        return;
    }
    CWebObj* first = found.front().Get();
    if (!first || !first->CallMethod("WriteObjInfoHeader", copy)) {
        record.SetRetValue(E_NOTIMPL);
        return;
    }
    for (const CWebObjRef& object : found) {
        CWebObj* target = object.Get();
        if (!target || !target->CallMethod("WriteObjInfo", copy)) {
            record.SetRetValue(E_NOTIMPL);
            return;
        }
    }
}

void CInterface::IdToDesc(CWebInfo& record) {
    auto idToDesc = m_identification.idToDesc;
    // FIXME: until identification installs it the request is refused.
    record.SetRetValue(idToDesc ? idToDesc(*this, record) : E_NOTIMPL);
}

void CInterface::EnumerateObjects(CWebInfo& record) {
    if (auto enumerate = m_identification.enumerateObjects) {
        enumerate(*this, record);
        return;
    }
    // FIXME: until identification installs it the request is refused.
    record.SetRetValue(E_NOTIMPL);
}

void CInterface::DefineClass(CWebInfo& record) {
    // FIXME: the class table of the global trap state, which takes the new
    // template, and the frames' conversion maps, which it resets, have not
    // landed; the request is refused meanwhile.
    record.SetRetValue(E_NOTIMPL);
}
