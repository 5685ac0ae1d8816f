// A browser of test objects for identification: frames that embed the
// identification engine, and elements of the described classes with names,
// rectangles and the optional properties the tests need. The world is the
// process's dispatcher while it lives, with the searches installed.
//
//     IdentifyWorld world;
//     TestFrame& frame = world.AddFrame(1);
//     TestObj& home = world.AddElement(frame, frame, U().link, "Home", {0, 0, 50, 10});
//     CWebInfo reply = world.Send(MsgId::DescToId, frame.RunTimeID(), {{"class", "html_link"}});
#pragma once

#include "agent/channel/RequestArgs.h"
#include "agent/classutil/ClassUtilities.h"
#include "agent/common/AgentCodes.h"
#include "agent/common/IAgentContext.h"
#include "agent/common/RegExpService.h"
#include "agent/dispatch/CDispatcherContext.h"
#include "agent/dispatch/Identification.h"
#include "agent/dispatch/TestObjects.h"
#include "agent/host/IdentificationSetup.h"
#include "agent/identify/DescriptionOfObject.h"
#include "agent/model/CConversionMaps.h"

#include <string>
#include <utility>
#include <vector>

namespace identify_test {

using dispatch_test::MakeTestWindow;
using dispatch_test::TestDispatcher;
using dispatch_test::TestObj;
using dispatch_test::Value;

inline ClassUtilities& U() {
    return GetClassUtilities();
}

// A frame or page: answers "DescToId", "IdToDesc" and "ResetConversionMaps"
// through its engine, as the frame objects do.
class TestFrame : public TestObj {
public:
    explicit TestFrame(const CWebRunTimeID& id) : TestObj(id) {
        m_Engine.SetFrameId(id);
        SetText("class", "html_frame");
        UseUtil(&GetClassUtilities().frame);
    }
    bool CallMethod(std::string_view method, CWebInfo& record) override {
        if (method == "DescToId") {
            ++lookups;
            return m_Engine.LookupDescription(*this, record);
        }
        if (method == "IdToDesc") {
            return answersIdToDesc && m_Engine.LookupIdentifier(*this, record);
        }
        if (method == "ResetConversionMaps") {
            m_Engine.MarkDirty();
            return false;
        }
        return TestObj::CallMethod(method, record);
    }
    CConversionMaps& Engine() { return m_Engine; }
    int lookups = 0;
    // False: descriptions of its objects come from the general search.
    bool answersIdToDesc = true;

private:
    CConversionMaps m_Engine;
};

inline CInterface* g_World = nullptr;
inline CInterface* WorldDispatcher() {
    return g_World;
}

// The world's agent context: the test dispatcher's options and the agent's
// text matching with "!" patterns.
class WorldContext : public CDispatcherContext {
public:
    WorldContext() : CDispatcherContext(&WorldDispatcher) {}
    TextMatchFunction GetTextMatcher() const override { return &MatchText; }
};

class IdentifyWorld {
public:
    IdentifyWorld()
        : m_Window(MakeTestWindow()),
          m_Browser(std::make_unique<TestObj>(CWebRunTimeID(Value(m_Window), -1, -1, -1))) {
        m_Browser->SetText("class", "html_browser");
        m_Browser->SetInteger("handle", Value(m_Window));
        dispatcher.browsers = {m_Browser.get()};
        ClassTable table;
        FillClassTable(table);
        // "rexp.dll" is found through "path", as the agent finds it.
        SetEnvironmentVariableA("path", WEBAGENT_MODULE_DIR);
        g_World = &dispatcher;
        m_Previous = InstallAgentContext(&m_Context);
        InstallIdentificationService(dispatcher);
        ResetEnumeration();
    }
    ~IdentifyWorld() {
        InstallAgentContext(m_Previous);
        g_World = nullptr;
        m_Browser.reset();
        DestroyWindow(m_Window);
        ClassTable table;
        FillClassTable(table);
    }

    TestObj& Browser() { return *m_Browser; }
    int32_t BrowserValue() const { return Value(m_Window); }

    TestFrame& AddFrame(int32_t identity, RECT rect = {0, 0, 800, 600}) {
        auto* frame = new TestFrame({Value(m_Window), identity, -1, -1}); // owned by the browser
        m_Browser->AddChild(CWebObjRef(frame));
        frame->SetText("name", "frame" + std::to_string(identity));
        frame->Set("rect", CWebVariantList(CWebVariant(rect)));
        return *frame;
    }

    // An element of the frame's document, below `parent` (the frame or
    // another element), numbered in order of creation.
    TestObj& AddElement(TestObj& parent, TestFrame& frame, const CWebObjUtil& util,
                        std::string_view name, RECT rect, int32_t kind = -1) {
        const CWebRunTimeID& at = frame.RunTimeID();
        auto* element = new TestObj({at.First(), at.Second(), ++m_NextNode, kind});
        parent.AddChild(CWebObjRef(element)); // owned by the parent
        element->UseUtil(&util);
        CWebVariantList chain; // "class" is the class chain, most specific first
        util.GetClassNames(chain);
        element->Set("class", chain);
        element->SetText("name", name);
        element->Set("rect", CWebVariantList(CWebVariant(rect)));
        element->SetInteger("IsIgnored", 0);
        // Elements hand the reverse lookup to their frame.
        element->OnMethod("IdToDesc", [&frame](CWebInfo& record) {
            return frame.CallMethod("IdToDesc", record);
        });
        return *element;
    }

    // A request with string or integer attributes, dispatched.
    struct Attr {
        std::string name;
        CWebVariantList value;
        Attr(std::string n, std::string_view text) : name(std::move(n)), value(CWebVariant(text)) {}
        Attr(std::string n, const char* text) : name(std::move(n)), value(CWebVariant(text)) {}
        Attr(std::string n, int32_t number) : name(std::move(n)), value(CWebVariant(number)) {}
    };
    CWebInfo Send(MsgId id, const CWebRunTimeID& target, const std::vector<Attr>& attrs = {}) {
        CWebInfo record;
        record.SetMsgId(ToInt(id));
        record.SetRunTimeID(target);
        for (const Attr& attr : attrs) {
            record.AppendAttr(attr.name, attr.value);
        }
        dispatcher.Dispatch(record);
        return record;
    }
    CWebInfo Send(CWebInfo record) {
        dispatcher.Dispatch(record);
        return record;
    }

    TestDispatcher dispatcher;

private:
    WorldContext m_Context;
    IAgentContext* m_Previous = nullptr;
    HWND m_Window;
    std::unique_ptr<TestObj> m_Browser;
    int32_t m_NextNode = 100;
};

// The identifiers of the "id" attributes of a reply, in order.
inline std::vector<CWebRunTimeID> Ids(const CWebInfo& reply) {
    std::vector<CWebRunTimeID> ids;
    for (const CAttrPair& attr : reply.Attrs()) {
        const CWebVariant* value = attr.GetValue().GetAt(0);
        if (attr.GetName() == "id" && value && value->GetType() == WebVariantType::RunTimeID) {
            ids.push_back(value->GetRunTimeID());
        }
    }
    return ids;
}

// The description the reply carries, without the tag the tool only shows.
inline CWebInfo DescriptionSentBack(const CWebInfo& reply, const CWebRunTimeID& context) {
    CWebInfo request = reply;
    request.RemoveAttr("tag");
    request.SetMsgId(ToInt(MsgId::DescToId));
    request.SetRetValue(NS_OK);
    request.SetRunTimeID(context);
    return request;
}

} // namespace identify_test
