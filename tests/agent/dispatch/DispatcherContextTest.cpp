// The agent context of hosts without a trap state and of the global trap
// state: what reaches the dispatcher through it, and who installs and
// uninstalls it.
#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/common/IAgentContext.h"
#include "agent/dispatch/CDispatcherContext.h"
#include "agent/dispatch/CNS6Interface.h"
#include "agent/host/TrapState.h"
#include "support/FakeAgentContext.h"

#include <gtest/gtest.h>

namespace {

CNS6Interface* g_Dispatcher = nullptr;

CInterface* CurrentDispatcher() {
    return g_Dispatcher;
}

TEST(DispatcherContext, ReachesTheDispatcherTheSourceAnswersAtEachCall) {
    CDispatcherContext context(&CurrentDispatcher);
    g_Dispatcher = nullptr;
    EXPECT_FALSE(context.HasDispatcher());
    EXPECT_EQ(context.GetOption("TrimProperties"), 0);
    EXPECT_EQ(context.GetFixedUseOldName(), -1);
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::SetToolOption));
    EXPECT_FALSE(context.Dispatch(request)) << "no dispatcher, no reply";

    CNS6Interface dispatcher;
    g_Dispatcher = &dispatcher;
    dispatcher.SetOption("TrimProperties", 7);
    EXPECT_TRUE(context.HasDispatcher());
    EXPECT_EQ(context.GetOption("TrimProperties"), 7);

    CWebInfo recorded;
    AppendString(recorded, "value", "typed");
    const CWebRunTimeID id(1, 2, 3, -1);
    context.StoreLastEvent(id, "Set", recorded);
    EXPECT_EQ(dispatcher.GetLastEventId(), id);
    EXPECT_EQ(dispatcher.GetLastEventName(), "Set");
    EXPECT_EQ(dispatcher.GetLastEventRecord(), recorded);

    // Without a trap state there is no registry, module or text matching.
    std::vector<CWebObjRef> browsers;
    EXPECT_FALSE(context.HasTrapState());
    EXPECT_FALSE(context.ListBrowsers(browsers));
    EXPECT_EQ(context.GetTextMatcher(), nullptr);
    g_Dispatcher = nullptr;
}

TEST(DispatcherContext, SourceInstallsAndRemovesOnlyItsOwnContext) {
    IAgentContext* before = InstallAgentContext(nullptr);
    CNS6Interface dispatcher;
    g_Dispatcher = &dispatcher;

    SetDispatcherSource(&CurrentDispatcher);
    EXPECT_EQ(GetProcessDispatcher(), &dispatcher);
    ASSERT_NE(GetAgentContext(), nullptr);

    // Someone else installed a context since: removing the source leaves it.
    testsupport::FakeAgentContext other;
    InstallAgentContext(&other);
    SetDispatcherSource(nullptr);
    EXPECT_EQ(GetAgentContext(), &other);
    EXPECT_EQ(GetProcessDispatcher(), nullptr) << "a context without a dispatcher";

    SetDispatcherSource(&CurrentDispatcher);
    SetDispatcherSource(nullptr);
    EXPECT_EQ(GetAgentContext(), nullptr) << "its own context is removed";

    g_Dispatcher = nullptr;
    InstallAgentContext(before);
}

TEST(TrapContext, TheTrapStateInstallsItsContextWithTextMatching) {
    IAgentContext* before = InstallAgentContext(nullptr);
    CreateTrapState(nullptr);
    IAgentContext* context = GetAgentContext();
    ASSERT_EQ(context, &GetTrapGlobals().context);
    EXPECT_TRUE(context->HasTrapState());
    EXPECT_NE(context->GetTextMatcher(), nullptr) << "objects match \"!\" patterns";
    std::vector<CWebObjRef> browsers;
    EXPECT_TRUE(context->ListBrowsers(browsers));
    EXPECT_TRUE(browsers.empty());

    DestroyTrapState();
    EXPECT_FALSE(context->HasTrapState());
    EXPECT_FALSE(context->ListBrowsers(browsers)) << "no registry once the trap state is gone";
    EXPECT_FALSE(context->GetOrCreatePage(nullptr, nullptr).IsValid());
    InstallAgentContext(before);
}

} // namespace
