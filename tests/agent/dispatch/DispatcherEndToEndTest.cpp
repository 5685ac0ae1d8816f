// Requests from the tool's thread through the agent window to the dispatcher
// and back, over the wire encoding, compared as a transcript.
#include "TestObjects.h"
#include "agent/channel/CAgentWindow.h"
#include "agent/channel/RequestArgs.h"
#include "agent/channel/WebInfoDump.h"
#include "agent/common/AgentCodes.h"
#include "platform/win32/CrtFile.h"
#include "tool/TestTool.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using dispatch_test::TestDispatcher;
using dispatch_test::TestObj;
using dispatch_test::TestTree;
using dispatch_test::Value;

constexpr int32_t kPage = 24576; // the page window of the test objects

TestDispatcher* g_dispatcher = nullptr;
CInterface* CurrentDispatcher() {
    return g_dispatcher;
}

// The reply as labelled lines, with the browser window's handle written "B"
// so that the transcript does not depend on handle values.
std::string Transcript(std::string_view label, const CWebInfo& reply, int32_t browser) {
    auto anonymise = [&](std::string text) {
        const std::string value = std::to_string(browser);
        for (size_t at = text.find(value); at != std::string::npos; at = text.find(value, at))
            text.replace(at, value.size(), "B");
        return text;
    };
    char header[64];
    std::snprintf(header, sizeof header, "RetValue=0x%08X MsgId=%d",
                  static_cast<unsigned>(reply.GetRetValue()), reply.GetMsgId());
    std::string out = std::string(label) + ": " + header + "\n";
    for (const CAttrPair& attribute : reply.Attrs())
        out += "  " + attribute.GetName() + ": " + DumpWebVariantList(attribute.GetValue()) + "\n";
    return anonymise(out);
}

class DispatcherEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeAgentWindows(nullptr);
        g_dispatcher = &dispatcher;
        SetDispatcherSource(&CurrentDispatcher);
        ASSERT_TRUE(tool.Start());

        // The browser window and its agent window belong to this thread,
        // which handles the requests while it waits for their replies.
        browserWindow = dispatch_test::MakeTestWindow();
        agent = std::make_unique<CAgentWindow>(browserWindow);
        agent->Create(nullptr, nullptr);
        ASSERT_NE(agent->GetWindow(), nullptr);
        ASSERT_TRUE(tool.WaitForRecord(kMsgIdConnection));

        tree = std::make_unique<TestTree>(browserWindow);
        TestObj& page = tree->Add(tree->Browser(), {B(), kPage, -1, -1});
        page.SetInteger("handle", B());
        link = &tree->Add(page, {B(), kPage, 77, -1});
        link->SetText("text", "abcde fghij klmno pqrst uvwxy zABCD EFGHI JKLMN OPQRS");
        dispatcher.browsers = {&tree->Browser()};
    }
    void TearDown() override {
        tree.reset();
        agent.reset();
        DestroyWindow(browserWindow);
        tool.Stop();
        SetDispatcherSource(nullptr);
        g_dispatcher = nullptr;
    }

    int32_t B() const { return Value(browserWindow); }

    std::string Send(std::string_view label, CWebInfo request) {
        auto reply = tool.Request(agent->GetWindow(), std::move(request));
        if (!reply)
            return std::string(label) + ": no reply\n";
        return Transcript(label, *reply, B());
    }

    TestDispatcher dispatcher;
    tool::TestTool tool;
    HWND browserWindow = nullptr;
    std::unique_ptr<CAgentWindow> agent;
    std::unique_ptr<TestTree> tree;
    TestObj* link = nullptr;
};

CWebInfo Request(MsgId id, const CWebRunTimeID& target = {}) {
    CWebInfo record;
    record.SetMsgId(ToInt(id));
    record.SetRunTimeID(target);
    return record;
}

TEST_F(DispatcherEndToEnd, WindowIdentifierRequestsTranscript) {
    std::string transcript;
    transcript += Send("no handle", Request(MsgId::IdOfWindow));
    CWebInfo text = Request(MsgId::IdOfWindow);
    AppendString(text, "handle", std::to_string(B()));
    transcript += Send("string handle", text);
    CWebInfo integer = Request(MsgId::IdOfWindow);
    AppendInteger(integer, "handle", B());
    transcript += Send("integer handle", integer);
    CWebInfo unknown = Request(MsgId::IdOfWindow);
    AppendInteger(unknown, "handle", 12345);
    transcript += Send("unknown window", unknown);

    EXPECT_EQ(transcript, R"(no handle: RetValue=0x80070057 MsgId=25
string handle: RetValue=0x80070057 MsgId=25
  handle: string ["B"]
integer handle: RetValue=0x00000000 MsgId=25
  id: id [(B,24576,-1,-1)]
unknown window: RetValue=0x80004005 MsgId=25
  handle: integer [12345]
)");
}

TEST_F(DispatcherEndToEnd, ObjectRequestsTranscript) {
    const std::string fileName = "c:\\temp\\dispatch_e2e.txt";
    std::string transcript;
    CWebInfo wrapped = Request(MsgId::WriteTextWrapped, {B(), kPage, 77, -1});
    AppendString(wrapped, "file_name", fileName);
    transcript += Send("wrapped text", wrapped);

    CWebInfo missing = Request(MsgId::GetProperties, {B(), kPage, 78, -1});
    AppendString(missing, "text", "as sent");
    transcript += Send("properties of a missing element", missing);
    transcript += Send("state of a missing element", Request(MsgId::GetState, {B(), 9, 9, -1}));

    // Placeholders travel as values of type 0 ahead of the link's text.
    CWebInfo many = Request(MsgId::GetPropertiesOfMany);
    CWebVariantList ids;
    ids.Append(CWebRunTimeID(B(), kPage, 78, -1));
    ids.Append(CWebRunTimeID(B(), kPage, 77, -1));
    ids.Append(CWebRunTimeID(B(), kPage, 79, -1));
    many.AppendAttr("id", ids);
    AppendString(many, "text", "");
    transcript += Send("properties of many", many);

    EXPECT_EQ(transcript, R"(wrapped text: RetValue=0x00000000 MsgId=10
  file_name: string ["c:\\temp\\dispatch_e2e.txt"]
properties of a missing element: RetValue=0x80040202 MsgId=5
  text: string ["as sent"]
state of a missing element: RetValue=0x80004005 MsgId=1
properties of many: RetValue=0x00000000 MsgId=8
  id: id [(B,24576,78,-1), (B,24576,77,-1), (B,24576,79,-1)]
  text: string [none, "abcde fghij klmno pqrst uvwxy zABCD EFGHI JKLMN OPQRS"]
)");

    std::ifstream in(MapFileName(fileName), std::ios::binary);
    std::stringstream written;
    written << in.rdbuf();
    EXPECT_EQ(written.str(), "abcdefghijklmnopqrst\r\nuvwxyzABCDEFGHIJKLMN\r\nOPQRS\r\n");
    in.close();
    std::filesystem::remove(MapFileName(fileName));
}

} // namespace
