// Selection lists on real forms: items and selections, item numbers and
// texts, selection replay with its bad input, the recorder's memory of the
// last recorded selection and the statement rule behind it.
#include "ControlsFixture.h"
#include "agent/classutil/ClassUtilities.h"

namespace {

using namespace controlstest;

constexpr nsresult kInvalidArgument = 0x80070057u;
constexpr nsresult kFailure = 0x80004005u;
const std::string kSep(1, kItemSeparator);

class Lists : public ControlsOnShell {
protected:
    static nsresult Replay(const CWebObjRef& list, std::string_view method, int32_t position) {
        CWebInfo request;
        AppendInteger(request, "value", position);
        return Call(list, method, request);
    }
    static std::optional<int32_t> ItemToNum(const CWebObjRef& list, std::string_view text) {
        CWebInfo request;
        AppendString(request, "item_text", text);
        if (Call(list, "ItemToNum", request) != NS_OK) {
            return std::nullopt;
        }
        return IntegerArg(request, "item_num");
    }
    static std::optional<std::string> NumToItem(const CWebObjRef& list, int32_t position) {
        CWebInfo request;
        AppendInteger(request, "item_num", position);
        if (Call(list, "NumToItem", request) != NS_OK) {
            return std::nullopt;
        }
        return StringArg(request, "item_text");
    }
};

constexpr const char* kForm = "<form>"
                              "<select id=combo name=colour>"
                              "<option>Red<option selected>Green<option>Blue</select>"
                              "<select id=multi name=extras multiple size=4>"
                              "<option>a<option selected><option selected>c</select>"
                              "<select id=empty size=0></select>"
                              "<select id=off disabled><option>x</select>"
                              "<select id=nameless size=-1><option>only</select>"
                              "</form>";

TEST_F(Lists, ItemsSelectionAndNamesOfHtmlSelects) {
    OPEN_PAGE(kForm);
    CWebObjRef combo = Make<CNS6ComboBox>("combo");
    EXPECT_EQ(StringOf(combo, "name"), "colour");
    EXPECT_EQ(StringOf(combo, "selection"), "Green");
    EXPECT_EQ(StringOf(combo, "option_list"), "RedGreenBlue");
    EXPECT_EQ(IntegerOf(combo, "count_items"), 3);
    EXPECT_EQ(IntegerOf(combo, "selected_index"), 1);
    EXPECT_EQ(IntegerOf(combo, "is_multiple"), 0);
    EXPECT_EQ(IntegerOf(combo, "visible_items"), 1);
    EXPECT_EQ(IntegerOf(combo, "IsIgnored"), 1);
    EXPECT_EQ(IntegerOf(combo, "enabled"), 1);
    CWebVariantList chain;
    combo->GetProperty("class", chain);
    EXPECT_EQ(chain.GetAt(0)->GetString(), "html_combobox");

    // Empty texts are named by their position; the item list keeps them empty.
    CWebObjRef multi = Make<CNS6ListBox>("multi");
    EXPECT_EQ(StringOf(multi, "selection"), "#1" + kSep + "c");
    EXPECT_EQ(StringOf(multi, "option_list"), "ac");
    EXPECT_EQ(IntegerOf(multi, "is_multiple"), 1);
    EXPECT_EQ(IntegerOf(multi, "visible_items"), 4);
    EXPECT_EQ(ItemToNum(multi, "#1"), 1);
    EXPECT_EQ(NumToItem(multi, 1), "") << "the raw text, without the position name";
    EXPECT_EQ(ItemToNum(multi, "c"), 2);
    EXPECT_EQ(ItemToNum(multi, "missing"), std::nullopt);
    EXPECT_EQ(NumToItem(multi, 3), std::nullopt);
    EXPECT_EQ(NumToItem(multi, -1), std::nullopt);

    CWebObjRef off = Make<CNS6ComboBox>("off");
    EXPECT_EQ(IntegerOf(off, "enabled"), 0);
    CWebObjRef nameless = Make<CNS6ComboBox>("nameless");
    EXPECT_EQ(StringOf(nameless, "name"), "select");
    EXPECT_EQ(StringOf(nameless, "element_name"), "");
    EXPECT_EQ(IntegerOf(nameless, "visible_items"), 1) << "a negative size shows one line";
}

TEST_F(Lists, SelectWithoutOptionsIsAnswered) {
    OPEN_PAGE(kForm);
    CWebObjRef empty = Make<CNS6ComboBox>("empty");
    EXPECT_EQ(StringOf(empty, "selection"), "");
    EXPECT_EQ(StringOf(empty, "option_list"), "");
    EXPECT_EQ(IntegerOf(empty, "count_items"), 0);
    EXPECT_EQ(IntegerOf(empty, "selected_index"), -1);
    EXPECT_EQ(IntegerOf(empty, "visible_items"), 1) << "size 0 shows one line";
    EXPECT_TRUE(IsNotApplicable(empty, "options_rect"));
    EXPECT_EQ(ItemToNum(empty, "#0"), std::nullopt);
    EXPECT_EQ(Replay(empty, "ListSelect", 0), kFailure);
    EXPECT_EQ(Call(empty, "IsRecordEnabled"), NS_OK);
}

TEST_F(Lists, SelectionReplayChangesOnlyWhatItIsAskedTo) {
    OPEN_PAGE(kForm);
    CWebObjRef combo = Make<CNS6ComboBox>("combo");
    EXPECT_EQ(Replay(combo, "ListSelect", 2), NS_OK);
    EXPECT_EQ(StringOf(combo, "selection"), "Blue");

    // Bad input changes nothing.
    EXPECT_EQ(Replay(combo, "ListSelect", 5), kFailure);
    EXPECT_EQ(Replay(combo, "ListSelect", -1), kFailure);
    CWebInfo text;
    AppendString(text, "value", "1");
    EXPECT_EQ(Call(combo, "ListSelect", text), kInvalidArgument);
    CWebInfo missing;
    EXPECT_EQ(Call(combo, "ListSelect", missing), kFailure);
    EXPECT_EQ(StringOf(combo, "selection"), "Blue");

    CWebObjRef multi = Make<CNS6ListBox>("multi");
    EXPECT_EQ(Replay(multi, "ListExtendSelect", 0), NS_OK);
    EXPECT_EQ(StringOf(multi, "selection"), "a" + kSep + "#1" + kSep + "c");
    EXPECT_EQ(Replay(multi, "ListDeselect", 1), NS_OK);
    EXPECT_EQ(StringOf(multi, "selection"), "a" + kSep + "c");
    EXPECT_EQ(Replay(multi, "ListSelect", 1), NS_OK) << "selects one item alone";
    EXPECT_EQ(StringOf(multi, "selection"), "#1");
    EXPECT_EQ(Replay(multi, "ListExtendSelect", 3), kFailure);
    EXPECT_EQ(StringOf(multi, "selection"), "#1");
}

TEST_F(Lists, OptionsRemovedByThePageBetweenRequests) {
    OPEN_PAGE(kForm);
    CWebObjRef combo = Make<CNS6ComboBox>("combo");
    ASSERT_EQ(ItemToNum(combo, "Blue"), 2);
    nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(Node("combo"));
    select->Remove(2);
    select->Remove(0);
    EXPECT_EQ(Replay(combo, "ListSelect", 2), kFailure) << "the number the tool learnt is gone";
    EXPECT_EQ(IntegerOf(combo, "count_items"), 1);
    EXPECT_EQ(StringOf(combo, "option_list"), "Green");
    EXPECT_EQ(NumToItem(combo, 1), std::nullopt);
    while (IntegerOf(combo, "count_items") > 0) {
        select->Remove(0);
    }
    EXPECT_EQ(StringOf(combo, "selection"), "");
    EXPECT_TRUE(IsNotApplicable(combo, "options_rect"));
    EXPECT_EQ(Replay(combo, "ListSelect", 0), kFailure);
}

TEST_F(Lists, RecordingMemoryStoresTheStatementForEachChange) {
    OPEN_PAGE(kForm);
    CWebObjRef multi = Make<CNS6ListBox>("multi");
    EXPECT_EQ(StringOf(multi, "record_selection"), "");
    EXPECT_EQ(Call(multi, "IsRecordEnabled"), NS_OK) << "a list always answers record";
    EXPECT_EQ(StringOf(multi, "record_command"), "list_select_multi_items");
    EXPECT_EQ(StringOf(multi, "record_selection"), "#1,c");

    ASSERT_EQ(Replay(multi, "ListExtendSelect", 0), NS_OK);
    EXPECT_EQ(Call(multi, "IsRecordEnabled"), NS_OK);
    EXPECT_EQ(StringOf(multi, "record_command"), "list_extend_item");
    EXPECT_EQ(StringOf(multi, "record_selection"), "a");

    ASSERT_EQ(Replay(multi, "ListDeselect", 2), NS_OK);
    EXPECT_EQ(Call(multi, "IsRecordEnabled"), NS_OK);
    EXPECT_EQ(StringOf(multi, "record_command"), "list_deselect_item");
    EXPECT_EQ(StringOf(multi, "record_selection"), "c");

    // Nothing changed: the old selection is kept as it is stored.
    EXPECT_EQ(Call(multi, "IsRecordEnabled"), NS_OK);
    EXPECT_EQ(StringOf(multi, "record_command"), "list_select_item");
    EXPECT_EQ(StringOf(multi, "record_selection"), "a" + kSep + "#1");

    CWebObjRef orphan(new CNS6ListBox(Node("multi").get(), CWebObjRef()));
    EXPECT_EQ(Call(orphan, "IsRecordEnabled"), kFailure);
    EXPECT_TRUE(IsNotApplicable(orphan, "record_command"));
}

TEST(ListStatement, ChangesBecomeTheStatementsTheToolReplays) {
    struct Case {
        std::string before, after, items, command;
    };
    const std::vector<Case> cases = {
        {"a", "a" + kSep + "b", "b", "list_extend_item"},
        {"a" + kSep + "b", "a", "b", "list_deselect_item"},
        {"", "b", "b", "list_select_item"},
        {"a", "b" + kSep + "c", "b,c", "list_select_multi_items"},
        {"a", "b", "b", "list_select_item"},
        {"", "a" + kSep + "b", "a,b", "list_select_multi_items"},
        {"a", "", "a", "list_deselect_item"},
    };
    for (const Case& c : cases) {
        std::string items;
        std::string command;
        CWebSelectElementUtil::ListStatement(c.before, c.after, items, command);
        EXPECT_EQ(command, c.command) << "from '" << c.before << "' to '" << c.after << "'";
        EXPECT_EQ(items, c.items) << "from '" << c.before << "' to '" << c.after << "'";
    }
}

TEST_F(Lists, ItemRectanglesAndTheHandleOfAHiddenList) {
    OPEN_PAGE("<form><select id=box size=3><option>one<option>two<option>three</select>"
              "<select id=single size=2><option>alone</select>"
              "<select id=hidden hidden=hidden size=2><option>x</select></form>");
    CWebObjRef box = Make<CNS6ListBox>("box");
    std::optional<RECT> all = RectOf(box, "options_rect");
    ASSERT_TRUE(all.has_value());
    CWebInfo first;
    AppendInteger(first, "item_num", 0);
    ASSERT_EQ(Call(box, "NumtoRect", first), NS_OK);
    const RECT top = TypedArg(first, "item_rect", WebVariantType::Rect)->GetRect();
    CWebInfo last;
    AppendInteger(last, "item_num", 2);
    ASSERT_EQ(Call(box, "NumtoRect", last), NS_OK);
    const RECT bottom = TypedArg(last, "item_rect", WebVariantType::Rect)->GetRect();
    EXPECT_EQ(all->left, top.left);
    EXPECT_EQ(all->top, top.top);
    EXPECT_EQ(all->right, top.right);
    EXPECT_EQ(all->bottom, bottom.bottom);
    EXPECT_LT(top.bottom, bottom.bottom) << "items are laid out one below the other";
    CWebInfo outside;
    AppendInteger(outside, "item_num", 3);
    EXPECT_EQ(Call(box, "NumtoRect", outside), kInvalidArgument);

    CWebObjRef single = Make<CNS6ListBox>("single");
    CWebInfo alone;
    AppendInteger(alone, "item_num", 0);
    ASSERT_EQ(Call(single, "NumtoRect", alone), NS_OK);
    std::optional<RECT> one = RectOf(single, "options_rect");
    ASSERT_TRUE(one.has_value()) << "one option spans its own rectangle";
    EXPECT_EQ(one->bottom, TypedArg(alone, "item_rect", WebVariantType::Rect)->GetRect().bottom);

    CWebObjRef hidden = Make<CNS6ListBox>("hidden");
    EXPECT_EQ(IntegerOf(hidden, "handle"), 0);
    nsCOMPtr<nsIDOMElement> element = do_QueryInterface(Node("hidden"));
    element->RemoveAttribute(u"hidden");
    // Not cached while 0: asked again once the list shows.
    EXPECT_GE(IntegerOf(hidden, "handle"), 0);
}

} // namespace

namespace {

using namespace controlstest;

class ListWindows : public ControlsOnShell {};

// Lists are native child windows of their document's window: the "handle"
// is the window under the list's corner, when it is a child of the frame's
// window. A disabled list's window is skipped by the window under a point,
// so only the child-window probe of "SupportDisabledLists" finds it.
TEST_F(ListWindows, HandleIsTheChildWindowUnderTheListsCorner) {
    OPEN_PAGE("<form><select id=box size=3><option>a<option>b<option>c</select>"
              "<select id=drop><option>one<option>two</select>"
              "<select id=off disabled><option>x</select></form>");
    HWND frameWindow = m_Window->ContentShell()->NativeWindow();
    CWebObjRef box = Make<CNS6ListBox>("box");
    const int32_t handle = IntegerOf(box, "handle");
    ASSERT_NE(handle, 0);
    HWND list = HwndFromValue(static_cast<ULONG>(handle));
    EXPECT_EQ(GetParent(list), frameWindow);
    char name[32] = {};
    GetClassName(list, name, sizeof name);
    EXPECT_STREQ(name, "ListBox");
    EXPECT_EQ(IntegerOf(box, "handle"), handle) << "found once, then kept";

    CWebObjRef drop = Make<CNS6ComboBox>("drop");
    const int32_t dropHandle = IntegerOf(drop, "handle");
    EXPECT_NE(dropHandle, 0);
    EXPECT_NE(dropHandle, handle);

    CWebObjRef off = Make<CNS6ComboBox>("off");
    EXPECT_EQ(IntegerOf(off, "handle"), 0) << "the screen probe passes a disabled window by";
    GetNS6Dispatcher()->SetOption("SupportDisabledLists", 1);
    CWebObjRef offAgain = Make<CNS6ComboBox>("off");
    const int32_t offHandle = IntegerOf(offAgain, "handle");
    EXPECT_NE(offHandle, 0);
    EXPECT_FALSE(IsWindowEnabled(HwndFromValue(static_cast<ULONG>(offHandle))));
}

TEST_F(ListWindows, ClosedDropDownIsOneLineWithItsOptionsInside) {
    OPEN_PAGE("<form><select id=drop><option>one<option>two<option>three</select></form>");
    CWebObjRef drop = Make<CNS6ComboBox>("drop");
    std::optional<RECT> list = RectOf(drop, "rect");
    std::optional<RECT> options = RectOf(drop, "options_rect");
    ASSERT_TRUE(list.has_value());
    ASSERT_TRUE(options.has_value());
    EXPECT_GE(options->top, list->top);
    EXPECT_LE(options->bottom, list->bottom) << "the options of a closed drop-down lie in its line";
}

} // namespace
