// The dispatcher's resolution of element identifiers on real pages: browser,
// then page or frame, then element; anything stale or foreign is "no object".
#include "ElementTestSupport.h"
#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/dispatch/CNS6Interface.h"

namespace {

using elementtest::ElementsOnShell;

constexpr nsresult kNoObject = static_cast<nsresult>(0x80040202);

class Resolution : public ElementsOnShell {
protected:
    // A request for the "tag_name" of the object the identifier names.
    CWebInfo AskTagName(const CWebRunTimeID& id) {
        CWebInfo request;
        request.SetMsgId(ToInt(MsgId::GetProperties));
        request.SetRunTimeID(id);
        AppendString(request, "tag_name", "unchanged");
        EXPECT_TRUE(GetNS6Dispatcher()->Dispatch(request));
        return request;
    }

    static std::string FirstValue(const CWebInfo& reply) {
        const CWebVariantList* value = reply.FindAttr("tag_name");
        if (value == nullptr || value->GetType() != WebVariantType::String || value->IsEmpty()) {
            return "<none>";
        }
        return value->GetAt(0)->GetString();
    }
};

TEST_F(Resolution, ElementsOfThePageAndOfItsFramesResolve) {
    Write("inner.html", "<b id=inner>inside</b>");
    LOAD_PAGE("<a id=a href='x.html'>go</a><iframe src='inner.html'></iframe>");
    CWebInfo reply = AskTagName(Element("a")->RunTimeID());
    EXPECT_EQ(reply.GetRetValue(), NS_OK);
    EXPECT_EQ(FirstValue(reply), "A");

    std::vector<CWebObjRef> frames;
    Page().AppendFrames(frames);
    ASSERT_EQ(frames.size(), 1u);
    auto* frame = dynamic_cast<CNS6Frame*>(frames[0].Get());
    CWebInfo inner = AskTagName(Element("inner", 0, frame)->RunTimeID());
    EXPECT_EQ(inner.GetRetValue(), NS_OK);
    EXPECT_EQ(FirstValue(inner), "B");
}

TEST_F(Resolution, StaleForeignAndMadeUpIdentifiersAnswerNoObject) {
    Write("inner.html", "<b id=inner>inside</b>");
    LOAD_PAGE("<a id=a href='x.html'>go</a><iframe src='inner.html'></iframe>");
    std::vector<CWebObjRef> frames;
    Page().AppendFrames(frames);
    ASSERT_EQ(frames.size(), 1u);
    auto* frame = dynamic_cast<CNS6Frame*>(frames[0].Get());
    const CWebRunTimeID innerId = Element("inner", 0, frame)->RunTimeID();

    CWebRunTimeID foreign = Page().RunTimeID();
    foreign.SetThird(innerId.Third());
    foreign.SetFourth(innerId.Fourth());
    CWebInfo reply = AskTagName(foreign);
    EXPECT_EQ(reply.GetRetValue(), kNoObject) << "a node of another frame";
    EXPECT_EQ(FirstValue(reply), "unchanged");

    for (int32_t third : {0, 3, 99999999, INT32_MAX, INT32_MIN}) {
        CWebRunTimeID random = Page().RunTimeID();
        random.SetThird(third);
        EXPECT_EQ(AskTagName(random).GetRetValue(), kNoObject) << third;
    }
    CWebRunTimeID wrongBrowser = Element("a")->RunTimeID();
    wrongBrowser.SetFirst(wrongBrowser.First() + 1);
    EXPECT_EQ(AskTagName(wrongBrowser).GetRetValue(), kNoObject);
}

} // namespace
