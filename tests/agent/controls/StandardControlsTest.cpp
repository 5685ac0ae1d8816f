// Push buttons, radio buttons, check boxes, edit and file fields on real
// forms: naming, value forms, the property protocol, typing and the memory
// of the last recorded value.
#include "ControlsFixture.h"
#include "agent/classutil/ClassUtilities.h"

namespace {

using namespace controlstest;

constexpr nsresult kInvalidArgument = 0x80070057u;

class StandardControls : public ControlsOnShell {};

std::vector<std::string> ClassChain(const CWebObjRef& object) {
    CWebVariantList value;
    object->GetProperty("class", value);
    std::vector<std::string> chain;
    for (const CWebVariant& item : value.Elements()) {
        chain.push_back(item.GetString());
    }
    return chain;
}

TEST_F(StandardControls, PushButtonsAreNamedAsTheBrowserShowsThem) {
    OPEN_PAGE("<form>"
              "<input type=submit id=submit>"
              "<input type=reset id=reset>"
              "<input type=button id=plain>"
              "<input type=button id=named name=check>"
              "<input type=submit id=valued name=send value='Send now'>"
              "<button id=empty name=helper></button>"
              "<button id=texted name=helper2>  Help me </button>"
              "<input type=submit id=off disabled>"
              "</form>");
    EXPECT_EQ(StringOf(Make<CNS6PushButton>("submit"), "name"), "Submit Query");
    EXPECT_EQ(StringOf(Make<CNS6PushButton>("reset"), "name"), "Reset");
    EXPECT_EQ(StringOf(Make<CNS6PushButton>("plain"), "name"), "")
        << "a button without value, label or name has no name";
    EXPECT_EQ(StringOf(Make<CNS6PushButton>("named"), "name"), "check");
    EXPECT_EQ(StringOf(Make<CNS6PushButton>("empty"), "name"), "helper")
        << "a BUTTON without text is named by its name";
    EXPECT_EQ(StringOf(Make<CNS6PushButton>("texted"), "name"), "Help me");

    CWebObjRef valued = Make<CNS6PushButton>("valued");
    EXPECT_EQ(StringOf(valued, "name"), "Send now");
    EXPECT_EQ(StringOf(valued, "value"), "Send now");
    EXPECT_EQ(StringOf(valued, "part_value"), "send") << "the name comes first";
    EXPECT_EQ(StringOf(valued, "element_name"), "send");
    EXPECT_EQ(IntegerOf(valued, "enabled"), 1);
    EXPECT_EQ(IntegerOf(valued, "IsIgnored"), 0);
    EXPECT_EQ(ClassChain(valued),
              (std::vector<std::string>{"html_push_button", "html_std_obj", "html_object"}));

    EXPECT_EQ(StringOf(Make<CNS6PushButton>("plain"), "part_value"), "")
        << "no name: the input's (empty) value";
    EXPECT_EQ(StringOf(Make<CNS6PushButton>("texted"), "part_value"), "helper2");
    EXPECT_EQ(IntegerOf(Make<CNS6PushButton>("off"), "enabled"), 0);
}

TEST_F(StandardControls, TogglesReportStateAndListTheirPropertiesInOrder) {
    OPEN_PAGE("<form>"
              "<input type=radio id=small name=size value=small checked>"
              "<input type=radio id=large name=size value=large disabled>"
              "<input type=checkbox id=gift name=gift>"
              "</form>");
    CWebObjRef small = Make<CNS6RadioButton>("small");
    EXPECT_EQ(StringOf(small, "name"), "size");
    EXPECT_EQ(StringOf(small, "value"), "small");
    EXPECT_EQ(StringOf(small, "part_value"), "small");
    EXPECT_EQ(IntegerOf(small, "checked"), 1);
    EXPECT_EQ(IntegerOf(small, "enabled"), 1);
    EXPECT_EQ(ClassChain(small), (std::vector<std::string>{"html_radio_button", "html_toggle",
                                                           "html_std_obj", "html_object"}));
    CWebObjRef large = Make<CNS6RadioButton>("large");
    EXPECT_EQ(IntegerOf(large, "checked"), 0);
    EXPECT_EQ(IntegerOf(large, "enabled"), 0);

    CWebObjRef gift = Make<CNS6CheckButton>("gift");
    EXPECT_EQ(StringOf(gift, "part_value"), "on") << "a check box without value";
    EXPECT_EQ(ClassChain(gift)[0], "html_check_button");
    EXPECT_EQ(PropertyNames(gift, 8),
              (std::vector<std::string>{"name", "value", "part_value", "checked", "enabled",
                                        "element_name", "IsIgnored", "class"}));

    // The page's own state, read live.
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(Node("gift"));
    input->SetChecked(PR_TRUE);
    EXPECT_EQ(IntegerOf(gift, "checked"), 1);
}

TEST_F(StandardControls, EditFieldsOfEveryKind) {
    OPEN_PAGE("<form>"
              "<input id=text name=who value='Ann' size=20>"
              "<input id=typeless>"
              "<input type=password id=secret name=pw value=s3>"
              "<input type=hidden id=hidden name=session value=42>"
              "<input id=sized size=wide>"
              "<textarea id=note name=note rows=3 cols=30>a\nb</textarea>"
              "<input id=off value=fixed disabled>"
              "</form>");
    CWebObjRef text = Make<CNS6Edit>("text");
    EXPECT_EQ(StringOf(text, "name"), "who");
    EXPECT_EQ(StringOf(text, "value"), "Ann");
    EXPECT_EQ(IntegerOf(text, "cols"), 20);
    EXPECT_EQ(IntegerOf(text, "rows"), 0);
    EXPECT_EQ(StringOf(text, "kind"), "singeline");
    EXPECT_EQ(StringOf(text, "type"), "text");
    EXPECT_EQ(StringOf(text, "element_name"), "who");
    EXPECT_EQ(IntegerOf(text, "enabled"), 1);
    EXPECT_EQ(ClassChain(text),
              (std::vector<std::string>{"html_edit", "html_std_obj", "html_object"}));

    EXPECT_EQ(StringOf(Make<CNS6Edit>("typeless"), "name"), "edit") << "a field without name";
    EXPECT_EQ(StringOf(Make<CNS6Edit>("secret"), "type"), "password");
    EXPECT_EQ(StringOf(Make<CNS6Edit>("hidden"), "value"), "42");
    EXPECT_EQ(IntegerOf(Make<CNS6Edit>("sized"), "cols"), 0) << "a size that is no number";
    EXPECT_EQ(IntegerOf(Make<CNS6Edit>("off"), "enabled"), 0);

    CWebObjRef note = Make<CNS6Edit>("note");
    EXPECT_EQ(StringOf(note, "value"), "a\r\nb") << "lines end with CR LF";
    EXPECT_EQ(IntegerOf(note, "cols"), 30);
    EXPECT_EQ(IntegerOf(note, "rows"), 3);
    EXPECT_EQ(StringOf(note, "kind"), "multiline");
    EXPECT_EQ(StringOf(note, "type"), "textarea");
}

TEST_F(StandardControls, SetValueTypesIntoFieldsAndRefusesBadArguments) {
    OPEN_PAGE("<form><input id=text value=old><textarea id=note>x</textarea></form>");
    CWebObjRef text = Make<CNS6Edit>("text");

    CWebInfo typed;
    AppendString(typed, "value", "new text");
    EXPECT_EQ(Call(text, "SetValue", typed), NS_OK);
    EXPECT_EQ(StringOf(text, "value"), "new text");

    CWebInfo missing;
    EXPECT_EQ(Call(text, "SetValue", missing), kInvalidArgument);
    CWebInfo number;
    AppendInteger(number, "value", 5);
    EXPECT_EQ(Call(text, "SetValue", number), kInvalidArgument);
    CWebInfo empty;
    empty.AddAttr("value", CWebVariantList());
    EXPECT_EQ(Call(text, "SetValue", empty), kInvalidArgument);
    EXPECT_EQ(StringOf(text, "value"), "new text") << "a refused call changes nothing";

    CWebObjRef note = Make<CNS6Edit>("note");
    CWebInfo lines;
    AppendString(lines, "value", "one\ntwo");
    EXPECT_EQ(Call(note, "SetValue", lines), NS_OK);
    EXPECT_EQ(StringOf(note, "value"), "one\r\ntwo");

    // Names the edit field does not know go to the element, which declines.
    CWebInfo other;
    EXPECT_FALSE(text->CallMethod("NoSuchMethod", other));
}

TEST_F(StandardControls, SeededFieldRecordsEachChangeOnce) {
    OPEN_PAGE("<form><input id=text value=start></form>");
    CWebObjRef text = Make<CNS6Edit>("text");
    EXPECT_EQ(Call(text, "IsRecordEnabled"), 1) << "unchanged since the page showed it";

    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(Node("text"));
    input->SetValue(u"typed");
    // A new object for the same node shares the frame's memory.
    CWebObjRef again = Make<CNS6Edit>("text");
    EXPECT_EQ(Call(again, "IsRecordEnabled"), 0) << "the change is new";
    EXPECT_EQ(Call(again, "IsRecordEnabled"), 1) << "and recorded once";
    input->SetValue(u"typed more");
    EXPECT_EQ(Call(text, "IsRecordEnabled"), 0);
    EXPECT_EQ(Call(text, "IsRecordEnabled"), 1);

    std::string stored;
    EXPECT_TRUE(Frame().LookupRecordedState(text->RunTimeID(), &stored));
    EXPECT_EQ(stored, "typed more");
}

TEST_F(StandardControls, PrefilledPasswordStartsFromAnEmptyBaseline) {
    OPEN_PAGE("<form><input type=password id=pw value=secret></form>");
    CWebObjRef password = Make<CNS6Edit>("pw");
    EXPECT_FALSE(Frame().LookupRecordedState(password->RunTimeID())) << "passwords are not seeded";
    EXPECT_EQ(Call(password, "IsRecordEnabled"), 0);
    std::string stored = "?";
    EXPECT_TRUE(Frame().LookupRecordedState(password->RunTimeID(), &stored));
    EXPECT_EQ(stored, "");
    EXPECT_EQ(Call(password, "IsRecordEnabled"), 0);
    EXPECT_EQ(Call(password, "IsRecordEnabled"), 1);
}

TEST_F(StandardControls, FieldWithoutFrameAnswersNothingNew) {
    OPEN_PAGE("<form><input id=text value=start></form>");
    CWebObjRef orphan(new CNS6Edit(Node("text").get(), CWebObjRef()));
    EXPECT_EQ(Call(orphan, "IsRecordEnabled"), 1);
}

TEST_F(StandardControls, FileFieldIsAnEditAndAButton) {
    OPEN_PAGE("<form><input type=file id=upload name=attachment>"
              "<input type=file id=nameless></form>");
    CWebObjRef file = Make<CNS6File>("upload");
    EXPECT_EQ(ClassChain(file), (std::vector<std::string>{"html_file", "html_edit",
                                                          "html_push_button", "html_object"}));
    EXPECT_EQ(StringOf(file, "element_name"), "attachment");
    EXPECT_EQ(StringOf(file, "name"), "attachment") << "the edit field's name";
    EXPECT_EQ(StringOf(file, "kind"), "singeline");
    EXPECT_EQ(StringOf(file, "type"), "file");
    EXPECT_EQ(StringOf(file, "part_value"), "attachment") << "from the push button part";
    EXPECT_EQ(StringOf(Make<CNS6File>("nameless"), "name"), "edit");
    EXPECT_EQ(PropertyNames(file, 3), (std::vector<std::string>{"element_name", "name", "value"}));

    CWebInfo typed;
    AppendString(typed, "value", "c:\\temp\\a.txt");
    EXPECT_EQ(Call(file, "SetValue", typed), NS_OK) << "the edit part's method";
}

} // namespace
