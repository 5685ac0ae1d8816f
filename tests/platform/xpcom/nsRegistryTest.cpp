#include "XpcomTestSupport.h"
#include "platform/xpcom/nsIRegistry.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

using xpcomtest::ScopedFramework;
using xpcomtest::TempFolder;

nsCOMPtr<nsIRegistry> OpenRegistry(int32_t which) {
    nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID);
    if (registry && NS_FAILED(registry->OpenWellKnownRegistry(which)))
        registry = nullptr;
    return registry;
}

TEST(nsRegistry, SubtreeUnderTheCommonRootIsListedAndFound) {
    ScopedFramework framework;
    ASSERT_EQ(framework.Result(), NS_OK);
    nsCOMPtr<nsIRegistry> registry = OpenRegistry(nsIRegistry::ApplicationComponentRegistry);
    ASSERT_TRUE(registry);

    nsRegistryKey leaf = 0;
    ASSERT_EQ(registry->AddSubtree(nsIRegistry::Common,
                                   "software/netscape/appshell/components/{AAAA}", &leaf),
              NS_OK);
    nsRegistryKey other = 0;
    ASSERT_EQ(registry->AddSubtree(nsIRegistry::Common,
                                   "software/netscape/appshell/components/{BBBB}", &other),
              NS_OK);
    nsRegistryKey again = 0;
    ASSERT_EQ(registry->AddSubtree(nsIRegistry::Common,
                                   "software/netscape/appshell/components/{AAAA}", &again),
              NS_OK);
    EXPECT_EQ(again, leaf) << "adding an existing subtree answers its key";

    nsRegistryKey components = 0;
    ASSERT_EQ(registry->GetSubtree(nsIRegistry::Common, NS_APPSHELL_COMPONENTS_KEY, &components),
              NS_OK);
    std::vector<std::string> names;
    ASSERT_EQ(registry->EnumerateSubtrees(components, &names), NS_OK);
    EXPECT_EQ(names, (std::vector<std::string>{"{AAAA}", "{BBBB}"}));

    nsRegistryKey found = 0;
    EXPECT_EQ(registry->GetKey(components, "{BBBB}", &found), NS_OK);
    EXPECT_EQ(found, other);
    EXPECT_EQ(registry->GetSubtree(nsIRegistry::Common, "software/none", &found),
              NS_ERROR_NOT_AVAILABLE);

    // Another instance of the service sees the same tree.
    nsCOMPtr<nsIRegistry> fresh = do_CreateInstance(NS_REGISTRY_CID);
    ASSERT_TRUE(fresh);
    fresh->OpenWellKnownRegistry(nsIRegistry::ApplicationComponentRegistry);
    EXPECT_EQ(fresh->GetSubtree(nsIRegistry::Common, NS_APPSHELL_COMPONENTS_KEY, &found), NS_OK);
    EXPECT_EQ(found, components);
}

TEST(nsRegistry, RefusesUseBeforeOpenUnknownRegistriesAndRemovedKeys) {
    ScopedFramework framework;
    nsCOMPtr<nsIRegistry> registry = do_CreateInstance(NS_REGISTRY_CONTRACTID);
    ASSERT_TRUE(registry);
    nsRegistryKey key = 0;
    EXPECT_EQ(registry->AddSubtree(nsIRegistry::Common, "a/b", &key), NS_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(registry->OpenWellKnownRegistry(7), NS_ERROR_INVALID_ARG);
    ASSERT_EQ(registry->OpenWellKnownRegistry(nsIRegistry::ApplicationRegistry), NS_OK);

    ASSERT_EQ(registry->AddSubtree(nsIRegistry::Common, "a/b/c", &key), NS_OK);
    nsRegistryKey b = 0;
    ASSERT_EQ(registry->GetSubtree(nsIRegistry::Common, "a/b", &b), NS_OK);
    ASSERT_EQ(registry->RemoveSubtree(nsIRegistry::Common, "a/b"), NS_OK);
    std::vector<std::string> names;
    EXPECT_EQ(registry->EnumerateSubtrees(key, &names), NS_ERROR_INVALID_ARG)
        << "a key below a removed subtree must be gone too";
    EXPECT_EQ(registry->SetString(b, "x", "y"), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(registry->RemoveSubtree(nsIRegistry::Common, ""), NS_ERROR_INVALID_ARG)
        << "a root key cannot be removed";
    EXPECT_EQ(registry->AddSubtree(nsIRegistry::Common, nullptr, &key), NS_ERROR_NULL_POINTER);

    // The two well-known registries are separate trees.
    nsCOMPtr<nsIRegistry> components = OpenRegistry(nsIRegistry::ApplicationComponentRegistry);
    ASSERT_EQ(registry->AddSubtree(nsIRegistry::Common, "only/here", &key), NS_OK);
    EXPECT_EQ(components->GetSubtree(nsIRegistry::Common, "only/here", &key),
              NS_ERROR_NOT_AVAILABLE);
}

TEST(nsRegistry, ValuesKeepTheirTypes) {
    ScopedFramework framework;
    nsCOMPtr<nsIRegistry> registry = OpenRegistry(nsIRegistry::ApplicationRegistry);
    ASSERT_TRUE(registry);
    nsRegistryKey key = 0;
    ASSERT_EQ(registry->AddSubtree(nsIRegistry::Common, "values", &key), NS_OK);
    ASSERT_EQ(registry->SetString(key, "text", "hello"), NS_OK);
    ASSERT_EQ(registry->SetInt(key, "number", -5), NS_OK);
    std::string text;
    int32_t number = 0;
    EXPECT_EQ(registry->GetString(key, "text", text), NS_OK);
    EXPECT_EQ(text, "hello");
    EXPECT_EQ(registry->GetInt(key, "number", &number), NS_OK);
    EXPECT_EQ(number, -5);
    EXPECT_EQ(registry->GetInt(key, "text", &number), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(registry->GetString(key, "missing", text), NS_ERROR_NOT_AVAILABLE);
    std::vector<std::string> names;
    ASSERT_EQ(registry->EnumerateValueNames(key, &names), NS_OK);
    EXPECT_EQ(names, (std::vector<std::string>{"number", "text"}));
    EXPECT_EQ(registry->DeleteValue(key, "text"), NS_OK);
    EXPECT_EQ(registry->DeleteValue(key, "text"), NS_ERROR_NOT_AVAILABLE);
}

TEST(nsRegistry, ComponentRegistryFileKeepsKeysAndAwkwardTextAcrossRuns) {
    TempFolder folder;
    nsXPCOMOptions options;
    options.registryFile = folder / "compreg.dat";
    const char* awkward = "tab\there / slash\nnew line % percent\r";
    {
        ScopedFramework framework(options);
        nsCOMPtr<nsIRegistry> registry = OpenRegistry(nsIRegistry::ApplicationComponentRegistry);
        ASSERT_TRUE(registry);
        nsRegistryKey key = 0;
        ASSERT_EQ(registry->AddSubtree(nsIRegistry::Common, "software/kept", &key), NS_OK);
        nsRegistryKey odd = 0;
        // One key name holding a separator stays one key.
        ASSERT_EQ(registry->AddKey(key, "a/b", &odd), NS_OK);
        ASSERT_EQ(registry->SetString(odd, "name\twith tab", awkward), NS_OK);
        ASSERT_EQ(registry->SetInt(odd, "number", -2147483647 - 1), NS_OK);
        nsRegistryKey user = 0;
        ASSERT_EQ(registry->AddSubtree(nsIRegistry::Users, "someone", &user), NS_OK);
    }
    ScopedFramework framework(options);
    nsCOMPtr<nsIRegistry> registry = OpenRegistry(nsIRegistry::ApplicationComponentRegistry);
    nsRegistryKey key = 0;
    ASSERT_EQ(registry->GetSubtree(nsIRegistry::Common, "software/kept", &key), NS_OK);
    std::vector<std::string> names;
    ASSERT_EQ(registry->EnumerateSubtrees(key, &names), NS_OK);
    EXPECT_EQ(names, std::vector<std::string>{"a/b"});
    nsRegistryKey odd = 0;
    ASSERT_EQ(registry->GetKey(key, "a/b", &odd), NS_OK);
    std::string text;
    EXPECT_EQ(registry->GetString(odd, "name\twith tab", text), NS_OK);
    EXPECT_EQ(text, awkward);
    int32_t number = 0;
    EXPECT_EQ(registry->GetInt(odd, "number", &number), NS_OK);
    EXPECT_EQ(number, -2147483647 - 1);
    EXPECT_EQ(registry->GetSubtree(nsIRegistry::Users, "someone", &key), NS_OK);
}

TEST(nsRegistry, UnreadableRegistryFileStartsAfresh) {
    TempFolder folder;
    nsXPCOMOptions options;
    options.registryFile = folder / "compreg.dat";
    for (const char* text :
         {"not a registry\n", "webagent-registry 1\nK Nowhere/x\n",
          "webagent-registry 1\nS Common/x\tname\n", "webagent-registry 1\nI Common/x\tname\t12z\n",
          "webagent-registry 1\nK Common/bad%4\n"}) {
        std::ofstream(options.registryFile, std::ios::binary) << text;
        ScopedFramework framework(options);
        ASSERT_EQ(framework.Result(), NS_OK) << text;
        nsCOMPtr<nsIRegistry> registry = OpenRegistry(nsIRegistry::ApplicationComponentRegistry);
        nsRegistryKey key = 0;
        EXPECT_EQ(registry->GetSubtree(nsIRegistry::Common, "x", &key), NS_ERROR_NOT_AVAILABLE)
            << "nothing of a broken file may be half-read: " << text;
    }
}

} // namespace
