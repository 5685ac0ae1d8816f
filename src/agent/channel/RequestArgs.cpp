#include "agent/channel/RequestArgs.h"

const CWebVariant* TypedArg(const CWebInfo& record, std::string_view name, WebVariantType type) {
    const CWebVariantList* list = record.FindAttr(name);
    if (!list || list->GetType() != type)
        return nullptr;
    return list->GetAt(0);
}

std::optional<int32_t> IntegerArg(const CWebInfo& record, std::string_view name) {
    if (const CWebVariant* value = TypedArg(record, name, WebVariantType::Integer))
        return value->GetInteger();
    return std::nullopt;
}

std::optional<std::string> StringArg(const CWebInfo& record, std::string_view name) {
    if (const CWebVariant* value = TypedArg(record, name, WebVariantType::String))
        return value->GetString();
    return std::nullopt;
}

std::optional<std::pair<int32_t, int32_t>> PairArg(const CWebInfo& record, std::string_view name) {
    if (const CWebVariant* value = TypedArg(record, name, WebVariantType::Pair))
        return std::pair{value->GetPairFirst(), value->GetPairSecond()};
    return std::nullopt;
}

void AppendInteger(CWebInfo& record, std::string_view name, int32_t value) {
    record.AppendAttr(name, CWebVariantList(CWebVariant(value)));
}

void AppendString(CWebInfo& record, std::string_view name, std::string_view value) {
    record.AppendAttr(name, CWebVariantList(CWebVariant(value)));
}

void AppendRunTimeID(CWebInfo& record, std::string_view name, const CWebRunTimeID& id) {
    record.AppendAttr(name, CWebVariantList(CWebVariant(id)));
}
