// The message identifiers of requests and agent-sent records, with their names.
#pragma once

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
