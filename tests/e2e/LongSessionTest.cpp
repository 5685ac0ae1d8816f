// A long session in one browser window: pages shown again and again, and a
// page that keeps adding and removing form fields. What the page and frame
// objects keep about elements and frames that are gone stays bounded, and
// what they keep about live ones survives.
#include "agent/common/DomHelpers.h"
#include "agent/model/CNS6Page.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"
#include "support/SiteSession.h"

#include <gtest/gtest.h>

namespace {

using testsupport::SiteSession;

constexpr int kRounds = 300;

class LongSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_Site.Start());
        ASSERT_TRUE(m_Site.Show(SiteSession::kStartPage));
    }

    CNS6Page& Page() { return *dynamic_cast<CNS6Page*>(m_Site.Page().Get()); }

    // The element object of the page's first text field.
    CWebObjRef Field() {
        for (const CWebObjRef& object : m_Site.Elements()) {
            CWebVariantList value;
            object->GetProperty("class", value);
            if (!value.IsEmpty() && value.GetAt(0)->GetType() == WebVariantType::String &&
                value.GetAt(0)->GetString() == "html_edit") {
                return object;
            }
        }
        return {};
    }

    SiteSession m_Site{WEBAGENT_MODULE_DIR};
};

TEST_F(LongSession, PagesShownAgainAndAgainLeaveNoFrameOrFieldEntriesBehind) {
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_TRUE(
            m_Site.Show(round % 2 == 0 ? SiteSession::kOtherPage : SiteSession::kStartPage));
        // Making the element objects makes the fields' recorded states.
        ASSERT_FALSE(m_Site.Elements().empty());
    }
    // One inner frame and a handful of fields per document: every round
    // registered a frame and stored field states.
    EXPECT_LE(Page().GetFrameIndexSize(), 128u) << "index entries of deleted frames stay";
    EXPECT_LE(Page().GetRecordedStateCount(), 128u) << "states of fields of old documents stay";
}

TEST_F(LongSession, FieldsThePageRemovesLeaveNoStateBehindWhileLiveFieldsKeepTheirs) {
    const CWebRunTimeID live = Field()->RunTimeID();
    ASSERT_TRUE(Page().LookupRecordedState(live));
    nsCOMPtr<nsIDOMDocument> document = Page().GetDocument();
    nsCOMPtr<nsIDOMElement> body;
    nsCOMPtr<nsIDOMNodeList> bodies;
    document->GetElementsByTagName(ToHostString("BODY"), getter_AddRefs(bodies));
    nsCOMPtr<nsIDOMNode> bodyNode;
    ASSERT_EQ(bodies->Item(0, getter_AddRefs(bodyNode)), NS_OK);

    for (int round = 0; round < kRounds; ++round) {
        nsCOMPtr<nsIDOMElement> input;
        ASSERT_EQ(document->CreateElement(ToHostString("INPUT"), getter_AddRefs(input)), NS_OK);
        nsCOMPtr<nsIDOMNode> node = do_QueryInterface(input);
        nsCOMPtr<nsIDOMNode> added;
        ASSERT_EQ(bodyNode->AppendChild(node.get(), getter_AddRefs(added)), NS_OK);
        ASSERT_FALSE(m_Site.Elements().empty());
        nsCOMPtr<nsIDOMNode> removed;
        ASSERT_EQ(bodyNode->RemoveChild(node.get(), getter_AddRefs(removed)), NS_OK);
    }
    EXPECT_LE(Page().GetRecordedStateCount(), 128u) << "states of removed fields stay";
    EXPECT_TRUE(Page().LookupRecordedState(live)) << "the live field lost its state";
}

} // namespace
