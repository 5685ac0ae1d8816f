// The dispatcher rows that address test objects.
#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/dispatch/CInterface.h"
#include "agent/dispatch/ImageSaving.h"
#include "platform/win32/CrtFile.h"
#include "platform/win32/Windows.h"

#include <array>

namespace {

// What a row that forwards a named method does when no class answers it.
enum class Unhandled { Ignore, NotImplemented };

struct MethodRow {
    MsgId id;
    std::string_view method;
    Unhandled unhandled;
};

// The rows that resolve their object (E_FAIL without one) and hand the
// request to one named method of it.
constexpr std::array kMethodRows{
    MethodRow{MsgId::MainComboSelection, "MainComboSelection", Unhandled::NotImplemented},
    MethodRow{MsgId::MainComboItemToNum, "MainComboItemToNum", Unhandled::NotImplemented},
    MethodRow{MsgId::Doc2VievConvert, "Doc2VievConvert", Unhandled::Ignore},
    MethodRow{MsgId::Viev2DocConvert, "Viev2DocConvert", Unhandled::Ignore},
    MethodRow{MsgId::ContainsText, "ContainsText", Unhandled::NotImplemented},
    MethodRow{MsgId::ItemToNum, "ItemToNum", Unhandled::Ignore},
    MethodRow{MsgId::NumToItem, "NumToItem", Unhandled::Ignore},
    MethodRow{MsgId::WriteInfoToFile, "WriteInfoToFile", Unhandled::Ignore},
    MethodRow{MsgId::MakeVisible, "MakeVisible", Unhandled::Ignore},
    MethodRow{MsgId::MakeHwndObjVisible, "MakeHwndObjVisible", Unhandled::Ignore},
    MethodRow{MsgId::WriteAttrValToFile, "WriteAttrValToFile", Unhandled::Ignore},
    MethodRow{MsgId::UpdateActiveXMap, "UpdateActiveXMap", Unhandled::Ignore},
    MethodRow{MsgId::CallEvent, "CallEvent", Unhandled::Ignore},
};

const MethodRow* FindMethodRow(int32_t msgId) {
    for (const MethodRow& row : kMethodRows) {
        if (ToInt(row.id) == msgId)
            return &row;
    }
    return nullptr;
}

constexpr size_t kWrapWidth = 20;

// True when the object matches every attribute of the request.
bool MatchesAll(CWebObj& object, const std::vector<CAttrPair>& attributes) {
    for (const CAttrPair& attribute : attributes) {
        if (!object.MatchProperty(attribute.GetName(), attribute.GetValue(), true))
            return false;
    }
    return true;
}

// Depth first below the object: each child is tried before its own subtree,
// and the first match ends the search.
CWebObjRef FindMatchingDescendant(CWebObj& object, const std::vector<CAttrPair>& attributes) {
    std::vector<CWebObjRef> children;
    object.CollectChildren(children, kChildFilterOrdinary);
    for (const CWebObjRef& child : children) {
        CWebObj* target = child.Get(); // matching may run page code that deletes owned objects
        if (!target)
            continue;
        if (MatchesAll(*target, attributes))
            return child;
        if (CWebObjRef found = FindMatchingDescendant(*target, attributes))
            return found;
    }
    return {};
}

} // namespace

std::string WrapText(std::string_view text) {
    std::string wrapped;
    wrapped.reserve(text.size() + text.size() / kWrapWidth + 1);
    size_t kept = 0;
    for (char c : text) {
        if (c == ' ')
            continue;
        wrapped.push_back(c);
        if (++kept % kWrapWidth == 0)
            wrapped.push_back('\n');
    }
    return wrapped;
}

CWebObjRef CInterface::ResolveOrFail(CWebInfo& record) {
    CWebObjRef object = ResolveObject(record);
    if (!object)
        record.SetRetValue(E_FAIL);
    return object;
}

void CInterface::DispatchObjectRequest(CWebInfo& record) {
    const int32_t msgId = record.GetMsgId();
    if (const MethodRow* row = FindMethodRow(msgId)) {
        if (CWebObjRef object = ResolveOrFail(record)) {
            if (!object->CallMethod(row->method, record) &&
                row->unhandled == Unhandled::NotImplemented)
                record.SetRetValue(E_NOTIMPL);
        }
        return;
    }
    switch (static_cast<MsgId>(msgId)) {
    case MsgId::GetState:
        GetState(record);
        break;
    case MsgId::GetProperties:
        if (CWebObjRef object = ResolveObject(record))
            object->GetProperties(record);
        break;
    case MsgId::GetDescription:
        GetDescription(record);
        break;
    case MsgId::GetAllProperties:
        if (CWebObjRef object = ResolveObject(record))
            object->GetAllProperties(record);
        break;
    case MsgId::GetPropertiesOfMany:
        GetPropertiesOfMany(record);
        break;
    case MsgId::WriteText:
        WriteText(record, Wrap::No);
        break;
    case MsgId::WriteTextWrapped:
        WriteText(record, Wrap::Yes);
        break;
    case MsgId::DescToId:
        DescToId(record, Descend::Yes);
        break;
    case MsgId::DescToIdChildren:
        DescToId(record, Descend::No);
        break;
    case MsgId::ObjectsAtPoint:
        ObjectsAtPoint(record);
        break;
    case MsgId::WriteObjectInfo:
        WriteObjectInfo(record);
        break;
    case MsgId::IdOfWindow:
        IdOfWindow(record);
        break;
    case MsgId::CountObjects:
        CountObjects(record);
        break;
    case MsgId::WriteFormatFile:
        WriteFormatFile(record);
        break;
    case MsgId::IdToDesc:
        IdToDesc(record);
        break;
    case MsgId::ClassDefinition:
        DefineClass(record);
        break;
    case MsgId::FindByProperties:
        FindByProperties(record);
        break;
    case MsgId::DescToIdUnnested:
        DescToIdUnnested(record);
        break;
    case MsgId::CallNamedMethod:
        CallNamedMethod(record);
        break;
    case MsgId::EnumerateObjects:
        EnumerateObjects(record);
        break;
    case MsgId::SaveImgContentToFile:
        SaveImgContentToFile(record);
        break;
    default:
        break; // rows without an operation and unknown ids come back unchanged
    }
}

void CInterface::GetState(CWebInfo& record) {
    CWebObjRef object = ResolveOrFail(record);
    if (!object)
        return;
    CWebVariantList state;
    if (!object->GetProperty("state", state)) {
        record.SetRetValue(E_FAIL);
        return;
    }
    record.ClearAttrs();
    record.AppendAttr("state", state);
    record.SetRetValue(NS_OK);
}

void CInterface::GetDescription(CWebInfo& record) {
    CWebObjRef object = ResolveObject(record);
    if (!object)
        return;
    // The request receives the obligatory part. The template it is copied
    // from is a whole record, so the request's header is put back afterwards:
    // the reply must still say which request and object it answers.
    const nsresult retValue = record.GetRetValue();
    const int32_t msgId = record.GetMsgId();
    const CWebRunTimeID id = record.GetRunTimeID();
    const int32_t webInfoId = record.GetWebInfoId();
    CWebInfo optional;
    std::string selector;
    std::string tagAttr;
    object->GetDescription(record, optional, selector, tagAttr);
    record.SetRetValue(retValue);
    record.SetMsgId(msgId);
    record.SetRunTimeID(id);
    record.SetWebInfoId(webInfoId);
}

void CInterface::WriteText(CWebInfo& record, Wrap wrap) {
    CWebObjRef object = ResolveOrFail(record);
    if (!object)
        return;
    CWebVariantList text;
    object->GetProperty("text", text);
    auto fileName = StringArg(record, "file_name");
    if (!fileName) {
        record.SetRetValue(E_INVALIDARG);
        return;
    }
    if (text.GetType() != WebVariantType::String || text.IsEmpty()) {
        record.SetRetValue(E_UNEXPECTED);
        return;
    }
    const std::string& plain = text.GetAt(0)->GetString();
    const std::string content = wrap == Wrap::Yes ? WrapText(plain) : plain;
    // A file that cannot be created is not reported: the reply stays as the
    // resolution left it.
    if (auto file = CrtFile::Open(*fileName, "w+t")) {
        file->Printf("%s\n", content.c_str());
        file->Close();
    }
}

void CInterface::IdOfWindow(CWebInfo& record) {
    auto handle = IntegerArg(record, "handle");
    if (!handle) {
        record.SetRetValue(E_INVALIDARG);
        return;
    }
    CWebRunTimeID id;
    nsresult result = FindIdByHandle(HwndFromValue(static_cast<ULONG>(*handle)), id);
    record.SetRetValue(result);
    if (NS_SUCCEEDED(result)) {
        record.ClearAttrs();
        AppendRunTimeID(record, "id", id);
    }
}

void CInterface::WriteFormatFile(CWebInfo& record) {
    CWebObjRef object = ResolveOrFail(record);
    if (!object)
        return;
    if (!object->CallMethod("WriteFormatHeader", record)) {
        record.SetRetValue(E_NOTIMPL);
        return;
    }
    CWebObj* target = object.Get(); // writing the header may have closed an owned object
    if (!target || !target->CallMethod("WriteFormatToFile", record))
        record.SetRetValue(E_NOTIMPL);
}

void CInterface::FindByProperties(CWebInfo& record) {
    CWebObjRef root = ResolveOrFail(record);
    if (!root)
        return;
    record.SetRetValue(E_FAIL);
    const std::vector<CAttrPair> attributes = record.Attrs();
    CWebObjRef match = FindMatchingDescendant(*root.Get(), attributes);
    CWebObj* found = match.Get();
    if (!found)
        return;
    record.ClearAttrs();
    AppendRunTimeID(record, "id", found->RunTimeID());
    record.SetRetValue(NS_OK);
}

void CInterface::CallNamedMethod(CWebInfo& record) {
    CWebObjRef object = ResolveObject(record);
    if (!object)
        return;
    std::string method = StringArg(record, "method_name").value_or(std::string());
    record.RemoveAttr("method_name");
    object->CallMethod(method, record);
}

void CInterface::SaveImgContentToFile(CWebInfo& record) {
    CWebObjRef object = ResolveObject(record);
    if (object && object->CallMethod("SaveImgContentToFile", record))
        return;
    SaveImageWithWinInet(record);
}
