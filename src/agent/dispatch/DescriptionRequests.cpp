// The dispatcher rows built on identification: from a description to the
// identifiers of the matching objects, and the rows that shape those results.
#include "agent/channel/RequestArgs.h"
#include "agent/classutil/ClassUtilities.h"
#include "agent/common/IAgentContext.h"
#include "agent/dispatch/CInterface.h"
#include "agent/dispatch/Identification.h"

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kHiddenFromIdList = 1; // class flag bit 0

using DescriptionSearch = decltype(IdentificationService::findObjectsByDesc);

// The installed description search; without one the request is refused.
DescriptionSearch SearchOrRefuse(const IdentificationService& service, CWebInfo& record) {
    DescriptionSearch find = service.findObjectsByDesc;
    // FIXME: until identification installs its search these rows answer
    // E_NOTIMPL; a count of 0 or "nothing found" would read as an answer.
    if (!find) {
        record.SetRetValue(E_NOTIMPL);
    }
    return find;
}

} // namespace

void CInterface::DescToId(CWebInfo& record, Descend descend) {
    DescriptionSearch find = SearchOrRefuse(m_Identification, record);
    if (!find) {
        return;
    }
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
        if ((object->GetClassFlags() & kHiddenFromIdList) == 0) {
            AppendRunTimeID(record, "id", object->RunTimeID());
        }
    }
    record.SetRetValue(kResultSeveralFound);
}

void CInterface::DescToIdUnnested(CWebInfo& record) {
    DescToId(record, Descend::Yes);
    if (record.GetRetValue() == kResultSeveralFound) {
        RemoveNesting(record);
    }
}

void CInterface::RemoveNesting(CWebInfo& record) {
    std::vector<CWebRunTimeID> ids;
    const std::string* first = record.GetAttrName(0);
    if (first && *first == "id") {
        for (const CAttrPair& attribute : record.Attrs()) {
            const CWebVariant* value = attribute.GetValue().GetAt(0);
            if (value && value->GetType() == WebVariantType::RunTimeID) {
                ids.push_back(value->GetRunTimeID());
            }
        }
    }
    record.ClearAttrs();
    std::vector<bool> kept(ids.size(), true);
    for (size_t i = 0; i + 1 < ids.size(); ++i) {
        CWebInfo scratch;
        scratch.SetRunTimeID(ids[i]);
        CWebObjRef object = ResolveObject(scratch);
        if (!object) {
            continue;
        }
        // The object answers whether the next identifier lies inside it.
        CWebInfo question;
        AppendRunTimeID(question, "child_id", ids[i + 1]);
        if (object->CallMethod("IsParent", question) && question.GetRetValue() == NS_OK) {
            kept[i] = false;
        }
    }
    for (size_t i = 0; i < ids.size(); ++i) {
        if (kept[i]) {
            AppendRunTimeID(record, "id", ids[i]);
        }
    }
    if (record.GetAttrCount() == 1) {
        record.SetRetValue(NS_OK);
    }
}

void CInterface::CountObjects(CWebInfo& record) {
    DescriptionSearch find = SearchOrRefuse(m_Identification, record);
    if (!find) {
        return;
    }
    std::vector<CWebObjRef> found;
    (void)find(*this, record, Descend::Yes, found); // the count is the answer
    record.ClearAttrs();
    AppendInteger(record, "number_of_objects", static_cast<int32_t>(found.size()));
    record.SetRetValue(NS_OK);
}

void CInterface::WriteObjectInfo(CWebInfo& record) {
    DescriptionSearch find = SearchOrRefuse(m_Identification, record);
    if (!find) {
        return;
    }
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
    copy.SetRetValue(NS_OK);
    if (!first || !first->CallMethod("WriteObjInfoHeader", copy)) {
        record.SetRetValue(E_NOTIMPL);
        return;
    }
    // The writers answer on the copy. A file that was not started must not
    // take lines (they would be appended to whatever an earlier run left),
    // and a writer's failure is the tool's to see, not a silent success.
    if (NS_FAILED(copy.GetRetValue())) {
        record.SetRetValue(copy.GetRetValue());
        return;
    }
    nsresult firstFailure = NS_OK;
    for (const CWebObjRef& object : found) {
        CWebObj* target = object.Get();
        if (!target || !target->CallMethod("WriteObjInfo", copy)) {
            record.SetRetValue(E_NOTIMPL);
            return;
        }
        if (NS_FAILED(copy.GetRetValue()) && firstFailure == NS_OK) {
            firstFailure = copy.GetRetValue();
        }
    }
    if (NS_FAILED(firstFailure)) {
        record.SetRetValue(firstFailure);
    }
}

void CInterface::IdToDesc(CWebInfo& record) {
    auto idToDesc = m_Identification.idToDesc;
    // FIXME: until identification installs it the request is refused.
    record.SetRetValue(idToDesc ? idToDesc(*this, record) : E_NOTIMPL);
}

void CInterface::EnumerateObjects(CWebInfo& record) {
    if (auto enumerate = m_Identification.enumerateObjects) {
        enumerate(*this, record);
        return;
    }
    // FIXME: until identification installs it the request is refused.
    record.SetRetValue(E_NOTIMPL);
}

void CInterface::DefineClass(CWebInfo& record) {
    record.SetRetValue(E_FAIL);
    IAgentContext* context = GetAgentContext();
    if (context != nullptr && context->HasTrapState()) {
        record.SetRetValue(E_INVALIDARG);
        std::optional<std::string> className = StringArg(record, "class");
        std::optional<std::string> obligatory =
            className ? StringArg(record, "oblig") : std::nullopt;
        std::optional<std::string> optional = obligatory ? StringArg(record, "opt") : std::nullopt;
        std::optional<std::string> selector =
            optional ? StringArg(record, "selector") : std::nullopt;
        if (selector) {
            SetClassTemplate(ListClassUtilities(), *className, *obligatory, *optional, *selector,
                             StringArg(record, "tag_attr").value_or(std::string()));
            record.SetRetValue(NS_OK);
        }
    }
    // Cached descriptions were made with the old templates.
    std::vector<CWebObjRef> browsers;
    GetBrowsers(browsers);
    for (const CWebObjRef& browser : browsers) {
        std::vector<CWebObjRef> children;
        if (CWebObj* target = browser.Get())
            target->CollectChildren(children, kChildFilterOrdinary);
        for (const CWebObjRef& child : children) {
            CWebInfo reset;
            if (CWebObj* target = child.Get())
                target->CallMethod("ResetConversionMaps", reset);
        }
    }
}
