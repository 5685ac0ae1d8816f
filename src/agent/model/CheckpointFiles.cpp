// The checkpoint writers every test object shares: format files and property
// values. The class-specific writers (link, image, table and cell tables)
// are the element class utilities'.
#include "agent/model/CheckpointFiles.h"

#include "agent/channel/RequestArgs.h"
#include "agent/model/CWebObjUtil.h"
#include "platform/win32/CrtFile.h"
#include "platform/xpcom/nsError.h"

#include <algorithm>
#include <set>
#include <vector>

namespace checkpoint {

bool WriteToFile(std::string_view path, std::string_view mode, std::string_view text) {
    std::optional<CrtFile> file = CrtFile::Open(path, mode);
    if (!file) {
        return false;
    }
    const bool written = text.empty() || file->Write(text);
    return file->Close() && written;
}

std::optional<std::string> StringProperty(CWebObj& object, std::string_view name) {
    CWebVariantList value;
    if (!object.GetProperty(name, value) || value.GetType() != WebVariantType::String ||
        value.IsEmpty()) {
        return std::nullopt;
    }
    return value.GetAt(0)->GetString();
}

std::optional<int32_t> IntegerProperty(CWebObj& object, std::string_view name) {
    CWebVariantList value;
    if (!object.GetProperty(name, value) || value.GetType() != WebVariantType::Integer ||
        value.IsEmpty()) {
        return std::nullopt;
    }
    return value.GetAt(0)->GetInteger();
}

std::string Cleaned(std::string text) {
    CWebObjUtil::CleanText(text, true);
    return text;
}

} // namespace checkpoint

using checkpoint::kAppend;
using checkpoint::kCreate;
using checkpoint::StringProperty;
using checkpoint::WriteToFile;

namespace {

// Specific objects only: what the tool lists as children.
constexpr int32_t kSpecificObjects = kChildFilterOrdinary;

} // namespace

bool CWebObjUtil::MatchesRequestedClass(const CWebObjRef& object, const CWebInfo& record) const {
    const CWebVariant* wanted = record.FindFirstValue("class");
    if (wanted == nullptr || wanted->GetType() != WebVariantType::String || m_Chain.empty()) {
        return false;
    }
    // "!" patterns need the agent's matching, which the object's context gives.
    CWebObj* target = object.Get();
    TextMatchFunction matcher = target != nullptr ? target->TextMatcher() : nullptr;
    return wanted->Matches(CWebVariant(std::string_view(m_Chain.front())),
                           matcher != nullptr ? matcher : &EqualWebTexts);
}

bool CWebObjUtil::WriteFormatHeader(const CWebObjRef&, CWebInfo& record) const {
    std::optional<std::string> path = StringArg(record, "file_name");
    if (!path || !WriteToFile(*path, kCreate, {})) {
        record.SetRetValue(E_INVALIDARG);
    }
    return true;
}

bool CWebObjUtil::WriteFormatToFile(const CWebObjRef& object, CWebInfo& record) const {
    std::optional<std::string> path = StringArg(record, "file_name");
    if (!path || m_Chain.empty()) {
        record.SetRetValue(E_INVALIDARG);
        return true;
    }
    const int32_t level = std::max(IntegerArg(record, "level").value_or(0), 0);
    std::string line(static_cast<size_t>(level), '\t');
    line += m_Chain.front();
    line += '\n';
    if (!WriteToFile(*path, kAppend, line)) {
        record.SetRetValue(E_INVALIDARG);
        return true;
    }
    CWebObj* target = object.Get();
    if (target == nullptr) {
        return true;
    }
    // The handles keep the children alive while each writes its subtree.
    std::vector<CWebObjRef> children;
    target->CollectChildren(children, kSpecificObjects);
    // A frame lists the children of its top-level objects beside them; each
    // of those is written once, in the subtree of its own parent.
    std::set<CWebRunTimeID> listed;
    for (const CWebObjRef& child : children) {
        if (const CWebObj* item = child.Get()) {
            listed.insert(item->RunTimeID());
        }
    }
    record.SetAttr("level", CWebVariantList(CWebVariant(level + 1)));
    for (const CWebObjRef& child : children) {
        CWebObj* item = child.Get();
        if (item == nullptr) {
            continue;
        }
        const CWebObjRef parent = item->GetParent();
        if (parent && parent.Get() != target && listed.count(parent->RunTimeID()) != 0) {
            continue;
        }
        item->CallMethod("WriteFormatToFile", record);
    }
    record.SetAttr("level", CWebVariantList(CWebVariant(level)));
    return true;
}

bool CWebObjUtil::WriteAttrValToFile(const CWebObjRef& object, CWebInfo& record) const {
    std::optional<std::string> path = StringArg(record, "file_name");
    std::optional<std::string> name = StringArg(record, "attr_name");
    CWebObj* target = object.Get();
    std::optional<std::string> value;
    if (path && name && target != nullptr) {
        value = StringProperty(*target, *name);
    }
    record.SetRetValue(value && WriteToFile(*path, kAppend, *value) ? NS_OK : E_INVALIDARG);
    return true;
}
