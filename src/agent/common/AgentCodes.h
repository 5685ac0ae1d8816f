// The fixed numbers of the channel between tool and agent, each listed once
// with its name: message identifiers, the status codes of property values and
// the result codes of the object search. The agent, the console, the tool's
// library and the tests all take them from here.
//
//     record.SetMsgId(ToInt(MsgId::DescToId));
//     value.SetStatus(kWebStatusNotApplicable);
//     if (record.GetRetValue() == kResultNotFound) ...
#pragma once

#include "platform/xpcom/nsError.h"

#include <cstdint>
#include <string_view>

// X(name, id)
#define WEBAGENT_ENUMERATE_MESSAGES(X)                                                             \
    X(GetState, 1)                                                                                 \
    X(None2, 2)                                                                                    \
    X(MainComboSelection, 3)                                                                       \
    X(MainComboItemToNum, 4)                                                                       \
    X(GetProperties, 5)                                                                            \
    X(GetDescription, 6)                                                                           \
    X(GetAllProperties, 7)                                                                         \
    X(GetPropertiesOfMany, 8)                                                                      \
    X(WriteText, 9)                                                                                \
    X(WriteTextWrapped, 10)                                                                        \
    X(Doc2VievConvert, 11)                                                                         \
    X(Viev2DocConvert, 12)                                                                         \
    X(ContainsText, 13)                                                                            \
    X(None14, 14)                                                                                  \
    X(DescToId, 15)                                                                                \
    X(DescToIdChildren, 16)                                                                        \
    X(ObjectsAtPoint, 17)                                                                          \
    X(None18, 18)                                                                                  \
    X(ItemToNum, 19)                                                                               \
    X(NumToItem, 20)                                                                               \
    X(WriteInfoToFile, 21)                                                                         \
    X(LastEvent, 22)                                                                               \
    X(WriteObjectInfo, 23)                                                                         \
    X(GetPropertiesWithClassIndex, 24)                                                             \
    X(IdOfWindow, 25)                                                                              \
    X(CountObjects, 26)                                                                            \
    X(MakeVisible, 27)                                                                             \
    X(MakeHwndObjVisible, 28)                                                                      \
    X(TraceSettings, 29)                                                                           \
    X(None30, 30)                                                                                  \
    X(None31, 31)                                                                                  \
    X(SetValue, 32)                                                                                \
    X(None33, 33)                                                                                  \
    X(None34, 34)                                                                                  \
    X(None35, 35)                                                                                  \
    X(WriteAttrValToFile, 36)                                                                      \
    X(WriteFormatFile, 37)                                                                         \
    X(Connection, 38)                                                                              \
    X(IdToDesc, 39)                                                                                \
    X(ClassDefinition, 40)                                                                         \
    X(ShowToolTip, 41)                                                                             \
    X(FindByProperties, 42)                                                                        \
    X(UpdateActiveXMap, 43)                                                                        \
    X(DescToIdUnnested, 44)                                                                        \
    X(CallEvent, 45)                                                                               \
    X(NavigationNotice, 46)                                                                        \
    X(RegisterEventHandler, 47)                                                                    \
    X(SetToolOption, 48)                                                                           \
    X(CallNamedMethod, 49)                                                                         \
    X(None50, 50)                                                                                  \
    X(EnumerateObjects, 51)                                                                        \
    X(SaveImgContentToFile, 52)

enum class MsgId : int32_t {
#define WEBAGENT_DEFINE_MESSAGE_ID(name, id) name = id,
    WEBAGENT_ENUMERATE_MESSAGES(WEBAGENT_DEFINE_MESSAGE_ID)
#undef WEBAGENT_DEFINE_MESSAGE_ID
};

constexpr int32_t ToInt(MsgId id) {
    return static_cast<int32_t>(id);
}

// The name of a message identifier ("SetToolOption"), or "" for one not listed.
constexpr std::string_view MsgIdName(int32_t id) {
    switch (id) {
#define WEBAGENT_MESSAGE_ID_CASE(name, value)                                                      \
    case value:                                                                                    \
        return #name;
        WEBAGENT_ENUMERATE_MESSAGES(WEBAGENT_MESSAGE_ID_CASE)
#undef WEBAGENT_MESSAGE_ID_CASE
    }
    return {};
}

// Status codes that mark a property value without an ordinary value.
// X(name, code)
#define WEBAGENT_ENUMERATE_STATUS_CODES(X)                                                         \
    X(ObjectGone, 1)    /* the object's window or document is gone */                              \
    X(NoSuchChild, 3)   /* no child at that position */                                            \
    X(NotApplicable, 4) /* the property does not apply to this object */

enum class WebStatus : int32_t {
#define WEBAGENT_DEFINE_STATUS(name, code) name = code,
    WEBAGENT_ENUMERATE_STATUS_CODES(WEBAGENT_DEFINE_STATUS)
#undef WEBAGENT_DEFINE_STATUS
};

inline constexpr int32_t kWebStatusObjectGone = static_cast<int32_t>(WebStatus::ObjectGone);
inline constexpr int32_t kWebStatusNoSuchChild = static_cast<int32_t>(WebStatus::NoSuchChild);
inline constexpr int32_t kWebStatusNotApplicable = static_cast<int32_t>(WebStatus::NotApplicable);

// Result codes of the object search, beside the framework's own (NS_OK,
// E_FAIL, E_INVALIDARG, E_NOTIMPL, E_UNEXPECTED in nsError.h).
inline constexpr nsresult kResultNotFound = 0x80040202u;
inline constexpr nsresult kResultSeveralFound = 0x80040203u;
