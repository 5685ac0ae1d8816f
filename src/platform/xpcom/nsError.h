// Result codes of the component framework. A result is a 32-bit value whose
// top bit marks failure; the values are those of the original platform, so
// codes travel unchanged into the tool's records.
#pragma once

#include <cstdint>

using nsresult = uint32_t;

// X(name, value): every result code the framework and its users name.
#define NS_ENUMERATE_RESULTS(X)                                                                    \
    X(NS_OK, 0x00000000u)                                                                          \
    X(NS_ERROR_NOT_IMPLEMENTED, 0x80004001u)                                                       \
    X(NS_ERROR_NO_INTERFACE, 0x80004002u)                                                          \
    X(NS_ERROR_NULL_POINTER, 0x80004003u)                                                          \
    X(NS_ERROR_ABORT, 0x80004004u)                                                                 \
    X(NS_ERROR_FAILURE, 0x80004005u)                                                               \
    X(NS_ERROR_UNEXPECTED, 0x8000FFFFu)                                                            \
    X(NS_ERROR_OUT_OF_MEMORY, 0x8007000Eu)                                                         \
    X(NS_ERROR_INVALID_ARG, 0x80070057u)                                                           \
    X(NS_ERROR_NO_AGGREGATION, 0x80040110u)                                                        \
    X(NS_ERROR_NOT_AVAILABLE, 0x80040111u)                                                         \
    X(NS_ERROR_FACTORY_NOT_REGISTERED, 0x80040154u)                                                \
    X(NS_ERROR_FACTORY_NOT_LOADED, 0x800401F8u)                                                    \
    X(NS_ERROR_FACTORY_EXISTS, 0xC1F30100u)                                                        \
    X(NS_ERROR_NOT_INITIALIZED, 0xC1F30001u)                                                       \
    X(NS_ERROR_ALREADY_INITIALIZED, 0xC1F30002u)                                                   \
    X(NS_ERROR_FILE_NOT_FOUND, 0x80520012u)                                                        \
    X(NS_ERROR_MALFORMED_URI, 0x804B000Au)                                                         \
    X(NS_ERROR_UNKNOWN_PROTOCOL, 0x804B0012u)                                                      \
    X(NS_ERROR_CONNECTION_REFUSED, 0x804B000Du)                                                    \
    X(NS_BINDING_ABORTED, 0x804B0002u)

#define NS_DEFINE_RESULT(name, value) inline constexpr nsresult name = value;
NS_ENUMERATE_RESULTS(NS_DEFINE_RESULT)
#undef NS_DEFINE_RESULT

// The Windows names of the same codes, as the agent's records carry them.
inline constexpr nsresult NS_NOINTERFACE = NS_ERROR_NO_INTERFACE;
inline constexpr nsresult S_OK = NS_OK;
inline constexpr nsresult E_NOTIMPL = NS_ERROR_NOT_IMPLEMENTED;
inline constexpr nsresult E_NOINTERFACE = NS_ERROR_NO_INTERFACE;
inline constexpr nsresult E_POINTER = NS_ERROR_NULL_POINTER;
inline constexpr nsresult E_FAIL = NS_ERROR_FAILURE;
inline constexpr nsresult E_UNEXPECTED = NS_ERROR_UNEXPECTED;
inline constexpr nsresult E_OUTOFMEMORY = NS_ERROR_OUT_OF_MEMORY;
inline constexpr nsresult E_INVALIDARG = NS_ERROR_INVALID_ARG;
inline constexpr nsresult CLASS_E_NOAGGREGATION = NS_ERROR_NO_AGGREGATION;

constexpr bool NS_FAILED(nsresult rv) {
    return (rv & 0x80000000u) != 0;
}
constexpr bool NS_SUCCEEDED(nsresult rv) {
    return !NS_FAILED(rv);
}

// The symbolic name of a result code, or nullptr for a code not listed.
const char* NS_ResultName(nsresult rv);
