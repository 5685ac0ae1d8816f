// Every dispatcher row that addresses an element, asked about elements the
// page took out of its document and about elements of a page the window
// navigated away from (also when the same page is shown again, so that an
// element of the same markup stands where the old one stood): the answer is
// the row's "no object" answer and never names or describes another element.
#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/dispatch/CNS6Interface.h"
#include "support/SiteSession.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using testsupport::SiteSession;

struct Row {
    MsgId id;
    // Builds the arguments the row reads (besides the identifier).
    void (*arguments)(CWebInfo&, const SiteSession&);
    // What the row answers when the identifier names no object.
    nsresult deadAnswer;
};

void NoArguments(CWebInfo&, const SiteSession&) {}
void TextAndName(CWebInfo& r, const SiteSession&) {
    AppendString(r, "text", "unchanged");
    AppendString(r, "name", "unchanged");
}
void FileName(CWebInfo& r, const SiteSession& site) {
    AppendString(r, "file_name", (site.Folder() / "dead.txt").string());
}
void EventClick(CWebInfo& r, const SiteSession&) {
    AppendString(r, "event_name", "click");
}
void Value(CWebInfo& r, const SiteSession&) {
    AppendString(r, "value", "typed");
}
void ListSelect(CWebInfo& r, const SiteSession&) {
    AppendString(r, "method_name", "ListSelect");
    AppendString(r, "value", "two");
}
void MakeVisibleByName(CWebInfo& r, const SiteSession&) {
    AppendString(r, "method_name", "MakeVisible");
}
void LinkDescription(CWebInfo& r, const SiteSession&) {
    AppendString(r, "class", "html_link");
}
void Point(CWebInfo& r, const SiteSession&) {
    r.AppendAttr("point", CWebVariantList(CWebVariant(5, 5)));
}
void ItemText(CWebInfo& r, const SiteSession&) {
    AppendString(r, "item_text", "two");
}
void RestartEnumeration(CWebInfo& r, const SiteSession&) {
    AppendInteger(r, "bEnumNeeded", 1);
}
void ClassAndFile(CWebInfo& r, const SiteSession& site) {
    AppendString(r, "class", "html_link");
    FileName(r, site);
}

// The rows whose operation resolves an element first. A dead element is
// "no object found" for the rows that merely resolve and E_FAIL for those
// that need an object; the description searches below it fail as the
// general search does for a context it cannot resolve, and count nothing.
const Row kRows[] = {
    {MsgId::GetState, NoArguments, E_FAIL},
    {MsgId::GetProperties, TextAndName, kResultNotFound},
    {MsgId::GetDescription, NoArguments, kResultNotFound},
    {MsgId::GetAllProperties, NoArguments, kResultNotFound},
    {MsgId::WriteText, FileName, E_FAIL},
    {MsgId::WriteTextWrapped, FileName, E_FAIL},
    {MsgId::ContainsText, Value, E_FAIL},
    {MsgId::DescToId, LinkDescription, E_UNEXPECTED},
    {MsgId::DescToIdChildren, LinkDescription, E_UNEXPECTED},
    {MsgId::ObjectsAtPoint, Point, E_FAIL},
    {MsgId::ItemToNum, ItemText, E_FAIL},
    {MsgId::NumToItem, NoArguments, E_FAIL},
    {MsgId::WriteInfoToFile, FileName, E_FAIL},
    {MsgId::WriteObjectInfo, ClassAndFile, kResultNotFound},
    {MsgId::GetPropertiesWithClassIndex, TextAndName, kResultNotFound},
    {MsgId::MakeVisible, NoArguments, E_FAIL},
    {MsgId::SetValue, Value, E_FAIL},
    {MsgId::WriteAttrValToFile, FileName, E_FAIL},
    {MsgId::WriteFormatFile, FileName, E_FAIL},
    {MsgId::IdToDesc, NoArguments, kResultNotFound},
    {MsgId::FindByProperties, TextAndName, E_FAIL},
    {MsgId::DescToIdUnnested, LinkDescription, E_UNEXPECTED},
    {MsgId::CountObjects, LinkDescription, NS_OK},
    {MsgId::CallEvent, EventClick, E_FAIL},
    {MsgId::CallNamedMethod, ListSelect, kResultNotFound},
    {MsgId::CallNamedMethod, MakeVisibleByName, kResultNotFound},
    {MsgId::EnumerateObjects, RestartEnumeration, E_UNEXPECTED},
};

class DeadElementRows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_Site = std::make_unique<SiteSession>(WEBAGENT_MODULE_DIR);
        ASSERT_TRUE(s_Site->Start());
    }
    static void TearDownTestSuite() { s_Site.reset(); }

    void SetUp() override {
        ASSERT_TRUE(s_Site->Show(SiteSession::kStartPage));
        s_Site->ResetAgent();
    }

    // The rows against one identifier that must name no object.
    static void ExpectEveryRowFindsNothing(const CWebRunTimeID& dead) {
        for (const Row& row : kRows) {
            SCOPED_TRACE(std::string(MsgIdName(ToInt(row.id))) + " " +
                         std::to_string(dead.Third()));
            CWebInfo request;
            request.SetMsgId(ToInt(row.id));
            request.SetRunTimeID(dead);
            row.arguments(request, *s_Site);
            CWebInfo reply = request;
            ASSERT_TRUE(s_Site->Dispatch(reply));
            EXPECT_EQ(reply.GetRetValue(), row.deadAnswer);
            EXPECT_EQ(reply.GetRunTimeID(), dead);
            // Nothing of another element came back: no identifier, and the
            // property values stay as they were sent.
            for (const CAttrPair& attr : reply.Attrs()) {
                for (const CWebVariant& value : attr.GetValue().Elements()) {
                    EXPECT_NE(value.GetType(), WebVariantType::RunTimeID) << attr.GetName();
                }
            }
            if (const CWebVariant* text = reply.FindFirstValue("text")) {
                EXPECT_EQ(text->GetString(), "unchanged");
            }
            if (const CWebVariant* count = reply.FindFirstValue("number_of_objects")) {
                EXPECT_EQ(count->GetInteger(), 0);
            }
        }
        EXPECT_FALSE(std::filesystem::exists(s_Site->Folder() / "dead.txt"));
    }

    // Several objects asked at once: the dead one gets the empty placeholder.
    static void ExpectManyGivesNoValueFor(const CWebRunTimeID& dead) {
        CWebInfo request;
        request.SetMsgId(ToInt(MsgId::GetPropertiesOfMany));
        request.AppendAttr("id", CWebVariantList(CWebVariant(dead)));
        AppendString(request, "text", "");
        ASSERT_TRUE(s_Site->Dispatch(request));
        EXPECT_EQ(request.GetRetValue(), NS_OK);
        const CWebVariantList* text = request.FindAttr("text");
        ASSERT_NE(text, nullptr);
        ASSERT_EQ(text->GetCount(), 1u);
        EXPECT_EQ(text->GetAt(0)->GetType(), WebVariantType::None);
    }

    static std::vector<CWebRunTimeID> IdsOf(const std::vector<CWebObjRef>& objects) {
        std::vector<CWebRunTimeID> ids;
        for (const CWebObjRef& object : objects) {
            ids.push_back(object->RunTimeID());
        }
        return ids;
    }

    static std::unique_ptr<SiteSession> s_Site;
};

std::unique_ptr<SiteSession> DeadElementRows::s_Site;

TEST_F(DeadElementRows, LiveElementsAnswerTheRowsTheDeadOnesFail) {
    // The same requests reach a live link, so a dead answer is not simply
    // every answer.
    std::vector<CWebObjRef> elements = s_Site->Elements();
    ASSERT_GT(elements.size(), 40u);
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::GetProperties));
    request.SetRunTimeID(elements.front()->RunTimeID());
    AppendString(request, "tag_name", "unchanged");
    ASSERT_TRUE(s_Site->Dispatch(request));
    EXPECT_EQ(request.GetRetValue(), NS_OK);
    EXPECT_NE(request.FindFirstValue("tag_name")->GetString(), "unchanged");
}

TEST_F(DeadElementRows, ElementsTheDocumentRemovedNameNoObject) {
    const std::vector<CWebRunTimeID> removed = s_Site->RemoveDoomedElements();
    // Links, images, a row, a button, a list item and the inner frame's link.
    ASSERT_GE(removed.size(), 6u);
    for (const CWebRunTimeID& id : removed) {
        ExpectEveryRowFindsNothing(id);
        ExpectManyGivesNoValueFor(id);
    }
}

TEST_F(DeadElementRows, ElementsOfAPageNavigatedAwayNameNoObjectEvenOnTheSamePageAgain) {
    const std::vector<CWebRunTimeID> before = IdsOf(s_Site->Elements());
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(s_Site->Show(SiteSession::kOtherPage));
    for (const CWebRunTimeID& id : before) {
        ExpectEveryRowFindsNothing(id);
    }
    // The same markup again: each element stands where an old one stood, and
    // none of them answers to an old identifier.
    ASSERT_TRUE(s_Site->Show(SiteSession::kStartPage));
    const std::vector<CWebRunTimeID> again = IdsOf(s_Site->Elements());
    ASSERT_EQ(again.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_NE(again[i], before[i]) << i;
        ExpectManyGivesNoValueFor(before[i]);
    }
    ExpectEveryRowFindsNothing(before.front());
    ExpectEveryRowFindsNothing(before.back());
}

} // namespace
