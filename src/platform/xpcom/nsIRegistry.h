// The registry service: trees of named keys holding string and integer
// values. The application component registry (well-known registry 1) is
// where the framework remembers registered components, and where a component
// enters itself under "software/netscape/appshell/components" to be started
// by the application shell:
//
//     nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID);
//     registry->OpenWellKnownRegistry(nsIRegistry::ApplicationComponentRegistry);
//     nsRegistryKey key;
//     registry->AddSubtree(nsIRegistry::Common, "software/example/thing", &key);
//
// Paths are key names separated by "/"; AddKey and GetKey take one name,
// which may itself contain "/". Names compare exactly.
#pragma once

#include "platform/xpcom/nsISupports.h"
#include "platform/xpcom/nsString.h"

#include <cstdint>
#include <string>
#include <vector>

using nsRegistryKey = uint32_t;

inline constexpr const char* NS_REGISTRY_CONTRACTID = "@mozilla.org/registry;1";
inline constexpr nsCID NS_REGISTRY_CID{
    0xE76D0F70, 0x2E21, 0x4C4A, {0x9B, 0x1A, 0x3D, 0x57, 0x52, 0x61, 0x0B, 0x2E}};

// The key under which the application shell finds the components it starts.
inline constexpr const char* NS_APPSHELL_COMPONENTS_KEY = "software/netscape/appshell/components";

class nsIRegistry : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x5D41A440, 0x8E37, 0x11D2, {0x80, 0x59, 0x00, 0x60, 0x08, 0x11, 0xA9, 0xC3}};
    using BaseInterface = nsISupports;

    // Root keys, valid in every open registry.
    static constexpr nsRegistryKey Users = 1;
    static constexpr nsRegistryKey Common = 2;
    static constexpr nsRegistryKey CurrentUser = 3;

    // Well-known registries.
    static constexpr int32_t ApplicationComponentRegistry = 1;
    static constexpr int32_t ApplicationRegistry = 2;

    // NS_ERROR_INVALID_ARG for an unknown registry.
    virtual nsresult OpenWellKnownRegistry(int32_t registry) = 0;
    virtual nsresult IsOpen(bool* result) = 0;
    // Writes the open registry to its file, when it has one.
    virtual nsresult Flush() = 0;

    // Keys: NS_ERROR_NOT_INITIALIZED before Open, NS_ERROR_INVALID_ARG for a
    // key that does not exist (any more), NS_ERROR_NOT_AVAILABLE for a name
    // or path that is not there.
    virtual nsresult AddKey(nsRegistryKey base, const char* name, nsRegistryKey* result) = 0;
    virtual nsresult GetKey(nsRegistryKey base, const char* name, nsRegistryKey* result) = 0;
    virtual nsresult RemoveKey(nsRegistryKey base, const char* name) = 0;
    // Makes every missing key of `path` and answers the last one.
    virtual nsresult AddSubtree(nsRegistryKey base, const char* path, nsRegistryKey* result) = 0;
    virtual nsresult GetSubtree(nsRegistryKey base, const char* path, nsRegistryKey* result) = 0;
    // Removes the key at `path` with everything below it.
    virtual nsresult RemoveSubtree(nsRegistryKey base, const char* path) = 0;
    // The names of the direct subkeys of `base`, in name order.
    virtual nsresult EnumerateSubtrees(nsRegistryKey base, std::vector<std::string>* names) = 0;

    // Values: NS_ERROR_NOT_AVAILABLE for a missing value, NS_ERROR_INVALID_ARG
    // for one of the other type.
    virtual nsresult SetString(nsRegistryKey key, const char* name, const char* value) = 0;
    virtual nsresult GetString(nsRegistryKey key, const char* name, nsACString& value) = 0;
    virtual nsresult SetInt(nsRegistryKey key, const char* name, int32_t value) = 0;
    virtual nsresult GetInt(nsRegistryKey key, const char* name, int32_t* value) = 0;
    virtual nsresult DeleteValue(nsRegistryKey key, const char* name) = 0;
    virtual nsresult EnumerateValueNames(nsRegistryKey key, std::vector<std::string>* names) = 0;
};
