// A component library's module made from a static description. The library
// lists its components and exports NSGetModule:
//
//     static const nsModuleComponentInfo kComponents[] = {
//         {"Foo component", kFooCID, "@example/foo;1", FooConstructor, RegisterFoo, nullptr},
//     };
//     static const nsModuleInfo kModule = {NS_MODULEINFO_VERSION, "FooModule", kComponents,
//                                          std::size(kComponents), nullptr, nullptr};
//
//     NS_EXPORT_MODULE nsresult NSGetModule(nsIComponentManager*, nsIFile*, nsIModule** result) {
//         return NS_NewGenericModule(&kModule, result);
//     }
//
// RegisterSelf enters each component with the manager (served from the
// library's file) and then runs its registration callback; GetClassObject
// answers a factory per component that calls its constructor.
#pragma once

#include "platform/xpcom/nsIComponentManager.h"
#include "platform/xpcom/nsIFactory.h"
#include "platform/xpcom/nsIFile.h"
#include "platform/xpcom/nsIModule.h"

#include <cstddef>
#include <cstdint>

// Makes an instance as `iid`; refuses aggregation unless it supports it.
using NSConstructorProcPtr = nsresult (*)(nsISupports* outer, const nsIID& iid, void** result);
using NSRegisterSelfProcPtr = nsresult (*)(nsIComponentManager* manager, nsIFile* location,
                                           const char* registryLocation, const char* componentType,
                                           const struct nsModuleComponentInfo* info);
using NSUnregisterSelfProcPtr = nsresult (*)(nsIComponentManager* manager, nsIFile* location,
                                             const char* registryLocation,
                                             const struct nsModuleComponentInfo* info);
using NSModuleDestructorProcPtr = void (*)(nsIModule* self);
using NSModuleConstructorProcPtr = nsresult (*)(nsIModule* self);

struct nsModuleComponentInfo {
    const char* description;
    nsCID cid;
    const char* contractID; // may be null
    NSConstructorProcPtr constructor;
    NSRegisterSelfProcPtr registerSelf;     // may be null
    NSUnregisterSelfProcPtr unregisterSelf; // may be null
};

inline constexpr uint32_t NS_MODULEINFO_VERSION = 0x10000;

struct nsModuleInfo {
    uint32_t version; // NS_MODULEINFO_VERSION
    const char* moduleName;
    const nsModuleComponentInfo* components;
    size_t componentCount;
    NSModuleConstructorProcPtr constructor; // may be null; runs when the module is made
    NSModuleDestructorProcPtr destructor;   // may be null; runs when the module goes
};

// The module of `info`, which must outlive it (it is the library's static
// data). NS_ERROR_INVALID_ARG for another version; a failing module
// constructor's code is answered.
nsresult NS_NewGenericModule(const nsModuleInfo* info, nsIModule** result);

// Makes a factory calling `constructor`, for RegisterFactory.
nsresult NS_NewGenericFactory(NSConstructorProcPtr constructor, nsIFactory** result);

// A constructor for a class that is made with `new` and offers `iid` through
// QueryInterface; refuses aggregation.
template <typename T>
nsresult NS_GenericConstructor(nsISupports* outer, const nsIID& iid, void** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (outer)
        return NS_ERROR_NO_AGGREGATION;
    T* object = new T();
    object->AddRef();
    nsresult rv = object->QueryInterface(iid, result);
    object->Release();
    return rv;
}
