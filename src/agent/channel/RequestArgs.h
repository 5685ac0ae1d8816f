// Reading arguments from request records and writing results back: the
// typed-attribute rules that every dispatcher row shares.
//
//     if (auto handle = IntegerArg(request, "handle")) ...
//     AppendInteger(reply, "number_of_objects", count);
#pragma once

#include "agent/channel/CWebInfo.h"
#include "agent/common/AgentCodes.h"

#include <optional>
#include <string>
#include <string_view>

// The first element of an attribute that holds elements of the given type.
const CWebVariant* TypedArg(const CWebInfo& record, std::string_view name, WebVariantType type);
std::optional<int32_t> IntegerArg(const CWebInfo& record, std::string_view name);
std::optional<std::string> StringArg(const CWebInfo& record, std::string_view name);
std::optional<std::pair<int32_t, int32_t>> PairArg(const CWebInfo& record, std::string_view name);

// Append one attribute holding one value (names may repeat).
void AppendInteger(CWebInfo& record, std::string_view name, int32_t value);
void AppendString(CWebInfo& record, std::string_view name, std::string_view value);
void AppendRunTimeID(CWebInfo& record, std::string_view name, const CWebRunTimeID& id);
