#pragma once
// The program-wide numbering of test class names and image kinds, and the
// tag lists the layout tree builder treats as transparent. Every part of the
// agent that deals in class numbers or image kinds uses these tables.
//
//     TestClassName(TestClass::HtmlTable)        // "html_table"
//     TestClassFromName("html_row")              // TestClass::HtmlRow
//     ImageKindName(ImageKind::ImageLink)        // "Image Link"
//     IsImageWrapperTag("font")                  // true (case ignored)

#include <cstdint>
#include <optional>
#include <string_view>

// number, enumerator, name
#define WEBAGENT_ENUMERATE_TEST_CLASSES(X)                                                         \
    X(0, Empty, "")                                                                                \
    X(1, HtmlText, "html_text")                                                                    \
    X(2, HtmlTextLink, "html_text_link")                                                           \
    X(3, HtmlImgLink, "html_img_link")                                                             \
    X(4, HtmlRect, "html_rect")                                                                    \
    X(5, HtmlTable, "html_table")                                                                  \
    X(6, HtmlRow, "html_row")                                                                      \
    X(7, HtmlCell, "html_cell")                                                                    \
    X(8, HtmlFrame, "html_frame")                                                                  \
    X(9, HtmlPushButton, "html_push_button")                                                       \
    X(10, HtmlRadioButton, "html_radio_button")                                                    \
    X(11, HtmlCheckButton, "html_check_button")                                                    \
    X(12, HtmlEdit, "html_edit")                                                                   \
    X(13, HtmlListbox, "html_listbox")                                                             \
    X(14, HtmlCombobox, "html_combobox")                                                           \
    X(15, JavaPushButton, "java_push_button")                                                      \
    X(16, JavaRadioButton, "java_radio_button")                                                    \
    X(17, JavaCheckButton, "java_check_button")                                                    \
    X(18, JavaEdit, "java_edit")                                                                   \
    X(19, JavaListbox, "java_listbox")                                                             \
    X(20, JavaCombobox, "java_combobox")                                                           \
    X(21, HtmlPlugin, "html_plugin")                                                               \
    X(22, HtmlActivex, "html_activex")                                                             \
    X(23, HtmlJavaApplet, "html_java_applet")                                                      \
    X(24, HtmlWinObj, "html_win_obj")                                                              \
    X(25, HtmlJavaObj, "html_java_obj")                                                            \
    X(26, BrowserMainWindow, "browser_main_window")                                                \
    X(27, BrowserMainComboexLocation, "browser_main_comboex_location")                             \
    X(28, BrowserMainComboLocation, "browser_main_combo_location")                                 \
    X(29, BrowserMainEditLocation, "browser_main_edit_location")                                   \
    X(30, ToolBarWindow32, "ToolBarWindow32")                                                      \
    X(31, ToolBarButton, "ToolBarButton")                                                          \
    X(32, Dialog, "Dialog")                                                                        \
    X(33, HtmlObject, "html_object")                                                               \
    X(34, HtmlLabel, "html_label")                                                                 \
    X(35, HtmlHtml, "html_html")                                                                   \
    X(36, HtmlFile, "html_file")                                                                   \
    X(37, HtmlGeneralElement, "html_general_element")                                              \
    X(38, HtmlAreaMapRegion, "html_area_map_region")                                               \
    X(39, HtmlBrowser, "html_browser")                                                             \
    X(40, HtmlToggle, "html_toggle")                                                               \
    X(41, HtmlSelect, "html_select")                                                               \
    X(42, HtmlOuterWin, "html_outer_win")                                                          \
    X(43, HtmlStdObj, "html_std_obj")                                                              \
    X(44, HalvardUnknownClass, "halvard_unknown_class")                                            \
    X(45, LastObjectId, "last_object_id")

enum class TestClass : int32_t {
#define WEBAGENT_TEST_CLASS_ENUM(number, id, name) id = number,
    WEBAGENT_ENUMERATE_TEST_CLASSES(WEBAGENT_TEST_CLASS_ENUM)
#undef WEBAGENT_TEST_CLASS_ENUM
};

// number, enumerator, name
#define WEBAGENT_ENUMERATE_IMAGE_KINDS(X)                                                          \
    X(0, Empty, "")                                                                                \
    X(1, PlainImage, "Plain Image")                                                                \
    X(2, ImageButton, "Image Button")                                                              \
    X(3, ImageLink, "Image Link")                                                                  \
    X(4, ClientSideImageMap, "Client Side ImageMap")                                               \
    X(5, ServerSideImageMap, "Server Side ImageMap")                                               \
    X(6, ClientAndServerSideImageMap, "Client & Server Side ImageMap")                             \
    X(7, LastImgKindId, "last_img_kind_id")

enum class ImageKind : int32_t {
#define WEBAGENT_IMAGE_KIND_ENUM(number, id, name) id = number,
    WEBAGENT_ENUMERATE_IMAGE_KINDS(WEBAGENT_IMAGE_KIND_ENUM)
#undef WEBAGENT_IMAGE_KIND_ENUM
};

// The name of a class number; empty for a number outside the table.
std::string_view TestClassName(TestClass number);
std::string_view TestClassName(int32_t number);
// The number of a class name (exact comparison); nothing for an unknown
// name. The empty name is number 0.
std::optional<TestClass> TestClassFromName(std::string_view name);

std::string_view ImageKindName(ImageKind kind);
std::string_view ImageKindName(int32_t kind);
std::optional<ImageKind> ImageKindFromName(std::string_view name);

// Tags standing between an image and its link that keep the image an image
// link: FONT, B, I, STRONG, DIV, NOBR, EM, DD.
bool IsImageWrapperTag(std::string_view tag);
// Tags passed over when looking for the element an event is meant for: the
// image wrappers without DIV.
bool IsEventTargetWrapperTag(std::string_view tag);
