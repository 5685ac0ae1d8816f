#include "platform/xpcom/nsGenericModule.h"

#include "XpcomTestSupport.h"

#include <gtest/gtest.h>
#include <iterator>

namespace {

using xpcomtest::ScopedFramework;

class nsIThing : public nsISupports {
public:
    static constexpr nsIID kIID{0x7E570001, 0x0001, 0x0001, {9, 9, 9, 9, 9, 9, 9, 1}};
    using BaseInterface = nsISupports;
    virtual int Value() = 0;
};

class nsIUnoffered : public nsISupports {
public:
    static constexpr nsIID kIID{0x7E570002, 0x0001, 0x0001, {9, 9, 9, 9, 9, 9, 9, 2}};
    using BaseInterface = nsISupports;
};

int g_live = 0;

class Thing final : public nsSupportsImpl<Thing, nsIThing> {
public:
    Thing() { ++g_live; }
    ~Thing() override { --g_live; }
    int Value() override { return 42; }
};

constexpr nsCID kThingCID{0x7E570010, 0x0001, 0x0001, {9, 9, 9, 9, 9, 9, 9, 3}};
constexpr nsCID kOtherCID{0x7E570011, 0x0001, 0x0001, {9, 9, 9, 9, 9, 9, 9, 4}};

struct Calls {
    int registered = 0;
    int unregistered = 0;
    int constructed = 0;
    int destroyed = 0;
    const nsModuleComponentInfo* info = nullptr;
    std::string registryLocation;
    std::string componentType;
} g_calls;

nsresult RecordRegister(nsIComponentManager*, nsIFile*, const char* registryLocation,
                        const char* componentType, const nsModuleComponentInfo* info) {
    ++g_calls.registered;
    g_calls.info = info;
    g_calls.registryLocation = registryLocation ? registryLocation : "";
    g_calls.componentType = componentType ? componentType : "";
    return NS_OK;
}

nsresult FailRegister(nsIComponentManager*, nsIFile*, const char*, const char*,
                      const nsModuleComponentInfo*) {
    ++g_calls.registered;
    return NS_ERROR_ABORT;
}

nsresult RecordUnregister(nsIComponentManager*, nsIFile*, const char*,
                          const nsModuleComponentInfo*) {
    ++g_calls.unregistered;
    return NS_OK;
}

nsresult RecordConstruct(nsIModule*) {
    ++g_calls.constructed;
    return NS_OK;
}
nsresult RefuseConstruct(nsIModule*) {
    return NS_ERROR_OUT_OF_MEMORY;
}
void RecordDestroy(nsIModule*) {
    ++g_calls.destroyed;
}

const nsModuleComponentInfo kComponents[] = {
    {"Thing", kThingCID, "@webagent.test/thing;1", NS_GenericConstructor<Thing>, RecordRegister,
     RecordUnregister},
    {"Other", kOtherCID, nullptr, NS_GenericConstructor<Thing>, FailRegister, nullptr},
};

nsModuleInfo ModuleInfo() {
    return {NS_MODULEINFO_VERSION,  "ThingModule",   kComponents,
            std::size(kComponents), RecordConstruct, RecordDestroy};
}

class GenericModule : public ::testing::Test {
protected:
    void SetUp() override { g_calls = {}; }
    void TearDown() override { EXPECT_EQ(g_live, 0) << "an instance leaked"; }
};

TEST_F(GenericModule, FactoryMakesInstancesAndRefusesAggregation) {
    static const nsModuleInfo info = ModuleInfo();
    nsCOMPtr<nsIModule> module;
    ASSERT_EQ(NS_NewGenericModule(&info, getter_AddRefs(module)), NS_OK);
    EXPECT_EQ(g_calls.constructed, 1);

    nsCOMPtr<nsIFactory> factory;
    ASSERT_EQ(module->GetClassObject(nullptr, kThingCID, nsIFactory::kIID, getter_AddRefs(factory)),
              NS_OK);
    nsCOMPtr<nsIThing> thing;
    ASSERT_EQ(factory->CreateInstance(nullptr, nsIThing::kIID, getter_AddRefs(thing)), NS_OK);
    EXPECT_EQ(thing->Value(), 42);

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(thing, nsIThing::kIID, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, nsIUnoffered::kIID, &out), NS_ERROR_NO_INTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(g_live, 1) << "an instance that offers nothing asked for must go at once";

    constexpr nsCID unknown{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    nsCOMPtr<nsIFactory> none;
    EXPECT_EQ(module->GetClassObject(nullptr, unknown, nsIFactory::kIID, getter_AddRefs(none)),
              NS_ERROR_FACTORY_NOT_REGISTERED);
    thing = nullptr;
    factory = nullptr;
    module = nullptr;
    EXPECT_EQ(g_calls.destroyed, 1);
}

TEST_F(GenericModule, RefusesAnotherVersionAndAFailingConstructor) {
    nsModuleInfo info = ModuleInfo();
    info.version = 0x20000;
    nsIModule* raw = reinterpret_cast<nsIModule*>(1);
    EXPECT_EQ(NS_NewGenericModule(&info, &raw), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(g_calls.constructed, 0);

    info = ModuleInfo();
    info.constructor = RefuseConstruct;
    info.destructor = nullptr;
    EXPECT_EQ(NS_NewGenericModule(&info, &raw), NS_ERROR_OUT_OF_MEMORY);
    EXPECT_EQ(raw, nullptr);
    EXPECT_EQ(NS_NewGenericModule(nullptr, &raw), NS_ERROR_INVALID_ARG);
}

TEST_F(GenericModule, RegisterSelfEntersEveryComponentAndRunsTheirCallbacks) {
    ScopedFramework framework;
    nsCOMPtr<nsIComponentManager> manager;
    ASSERT_EQ(NS_GetComponentManager(getter_AddRefs(manager)), NS_OK);
    static const nsModuleInfo info = ModuleInfo();
    nsCOMPtr<nsIModule> module;
    ASSERT_EQ(NS_NewGenericModule(&info, getter_AddRefs(module)), NS_OK);
    nsCOMPtr<nsIFile> location;
    NS_NewNativeLocalFile("/nowhere/thing.dll", getter_AddRefs(location));

    // The failing callback of the second component is reported, and its
    // component stays registered as an ordinary one.
    EXPECT_EQ(module->RegisterSelf(manager, location, "/nowhere/thing.dll", "native"),
              NS_ERROR_ABORT);
    EXPECT_EQ(g_calls.registered, 2);
    EXPECT_EQ(g_calls.info, &kComponents[0]) << "the callback gets its own entry";
    EXPECT_EQ(g_calls.registryLocation, "/nowhere/thing.dll");
    EXPECT_EQ(g_calls.componentType, "native");
    bool registered = false;
    manager->IsRegistered(kThingCID, &registered);
    EXPECT_TRUE(registered);
    manager->IsRegistered(kOtherCID, &registered);
    EXPECT_TRUE(registered);
    nsCID byContract{};
    EXPECT_EQ(manager->ContractIDToCID("@webagent.test/thing;1", &byContract), NS_OK);
    EXPECT_EQ(byContract, kThingCID);

    EXPECT_EQ(module->UnregisterSelf(manager, location, "/nowhere/thing.dll"), NS_OK);
    EXPECT_EQ(g_calls.unregistered, 1);
    manager->IsRegistered(kThingCID, &registered);
    EXPECT_FALSE(registered);
    EXPECT_EQ(manager->ContractIDToCID("@webagent.test/thing;1", &byContract),
              NS_ERROR_FACTORY_NOT_REGISTERED);
}

} // namespace
