// Form controls as the tool reaches them: the layout tree builder makes the
// control class of every input type, and the dispatcher's rows "ItemToNum"
// (19), "NumToItem" (20) and "SetValue" (32) reach the controls through their
// runtime identifiers, also after the page changed them.
#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/controls/CNS6List.h"
#include "agent/elements/ElementTestSupport.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

namespace {

using elementtest::ElementsOnShell;

constexpr nsresult kInvalidArgument = 0x80070057u;
constexpr nsresult kFailure = 0x80004005u;

class ControlRequests : public ElementsOnShell {
protected:
    // Dispatches a request addressed to `id`; the reply is the same record.
    CWebInfo Send(MsgId msg, const CWebRunTimeID& id, CWebInfo request = {}) {
        request.SetMsgId(ToInt(msg));
        request.SetRunTimeID(id);
        EXPECT_TRUE(GetNS6Dispatcher()->Dispatch(request));
        return request;
    }
    std::string ClassOf(const std::string& id) {
        CWebObjRef object = Element(id, kSpecificObjects);
        return object ? String(*object.Get(), "class") : "<none>";
    }
};

TEST_F(ControlRequests, EveryControlOfAFormGetsItsClass) {
    LOAD_PAGE("<form>"
              "<input id=typeless><input id=text type=text><input id=pw type=password>"
              "<input id=hidden type=hidden><input id=odd type=colour>"
              "<input id=submit type=submit><input id=reset type=reset>"
              "<input id=button type=button><button id=element>B</button>"
              "<input id=radio type=radio><input id=check type=checkbox>"
              "<input id=file type=file><textarea id=area></textarea>"
              "<select id=combo><option>a</select><select id=sized size=1></select>"
              "<select id=negative size=-1></select><select id=box size=4></select>"
              "<select id=multi multiple><option>a</select>"
              "</form>");
    for (const char* id : {"typeless", "text", "pw", "hidden", "odd", "area"}) {
        EXPECT_EQ(ClassOf(id), "html_edit") << id;
    }
    for (const char* id : {"submit", "reset", "button", "element"}) {
        EXPECT_EQ(ClassOf(id), "html_push_button") << id;
    }
    EXPECT_EQ(ClassOf("radio"), "html_radio_button");
    EXPECT_EQ(ClassOf("check"), "html_check_button");
    EXPECT_EQ(ClassOf("file"), "html_file");
    for (const char* id : {"combo", "sized", "negative"}) {
        EXPECT_EQ(ClassOf(id), "html_combobox") << id;
    }
    EXPECT_EQ(ClassOf("box"), "html_listbox");
    EXPECT_EQ(ClassOf("multi"), "html_listbox");

    // A file field made by the builder answers through its edit part and its
    // push button part alike.
    CWebObjRef file = Element("file", kSpecificObjects);
    EXPECT_EQ(String(*file.Get(), "kind"), "singeline");
    EXPECT_EQ(String(*file.Get(), "part_value"), "");
}

TEST_F(ControlRequests, ListRowsAnswerThroughTheDispatcher) {
    LOAD_PAGE("<form><select id=colour><option>Red<option>Green<option></select></form>");
    const CWebRunTimeID id = Element("colour", kSpecificObjects)->RunTimeID();

    CWebInfo byText;
    AppendString(byText, "item_text", "Green");
    CWebInfo reply = Send(MsgId::ItemToNum, id, byText);
    EXPECT_EQ(reply.GetRetValue(), NS_OK);
    EXPECT_EQ(IntegerArg(reply, "item_num"), 1);

    CWebInfo byNumber;
    AppendInteger(byNumber, "item_num", 0);
    reply = Send(MsgId::NumToItem, id, byNumber);
    EXPECT_EQ(reply.GetRetValue(), NS_OK);
    EXPECT_EQ(StringArg(reply, "item_text"), "Red");

    CWebInfo emptyName;
    AppendString(emptyName, "item_text", "#2");
    EXPECT_EQ(IntegerArg(Send(MsgId::ItemToNum, id, emptyName), "item_num"), 2);

    CWebInfo wrongType;
    AppendInteger(wrongType, "item_text", 1);
    EXPECT_EQ(Send(MsgId::ItemToNum, id, wrongType).GetRetValue(), kInvalidArgument);
    EXPECT_EQ(Send(MsgId::NumToItem, id).GetRetValue(), kInvalidArgument) << "no item_num";

    // The page drops the list between two requests. While the host still
    // keeps the detached list alive its identifier may still name it; either
    // way the request is answered, from the list as it was or as not found.
    {
        nsCOMPtr<nsIDOMNode> list = Node("colour");
        nsCOMPtr<nsIDOMNode> parent;
        list->GetParentNode(getter_AddRefs(parent));
        nsCOMPtr<nsIDOMNode> removed;
        ASSERT_EQ(parent->RemoveChild(list.get(), getter_AddRefs(removed)), NS_OK);
    }
    ASSERT_TRUE(m_App.WaitUntilIdle());
    reply = Send(MsgId::ItemToNum, id, byText);
    if (reply.GetRetValue() != kFailure) {
        EXPECT_EQ(reply.GetRetValue(), NS_OK);
        EXPECT_EQ(IntegerArg(reply, "item_num"), 1);
    }
}

TEST_F(ControlRequests, SetValueRowTypesIntoEditFieldsOnly) {
    LOAD_PAGE("<form><input id=name><input id=go type=submit value=Go></form>");
    const CWebRunTimeID field = Element("name", kSpecificObjects)->RunTimeID();
    CWebInfo typed;
    AppendString(typed, "value", "Ann");
    EXPECT_EQ(Send(MsgId::SetValue, field, typed).GetRetValue(), NS_OK);
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(Node("name"));
    nsString value;
    input->GetValue(value);
    EXPECT_EQ(value, u"Ann");

    CWebInfo number;
    AppendInteger(number, "value", 3);
    EXPECT_EQ(Send(MsgId::SetValue, field, number).GetRetValue(), kInvalidArgument);

    // A button does not answer "SetValue": the request comes back unchanged.
    const CWebRunTimeID button = Element("go", kSpecificObjects)->RunTimeID();
    EXPECT_EQ(Send(MsgId::SetValue, button, typed).GetRetValue(), NS_OK);
    nsCOMPtr<nsIDOMHTMLInputElement> go = do_QueryInterface(Node("go"));
    go->GetValue(value);
    EXPECT_EQ(value, u"Go");

    const CWebRunTimeID stale(field.First(), field.Second(), field.Third() + 100000,
                              field.Fourth());
    EXPECT_EQ(Send(MsgId::SetValue, stale, typed).GetRetValue(), kFailure) << "no such node";
}

} // namespace
