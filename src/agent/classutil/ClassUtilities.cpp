#include "agent/classutil/ClassUtilities.h"

#include <initializer_list>
#include <string_view>

ClassUtilities& GetClassUtilities() {
    // Never destroyed: objects made late in shutdown may still point here.
    static ClassUtilities* utilities = new ClassUtilities();
    return *utilities;
}

namespace {

struct DefaultTemplate {
    std::string_view className;
    CWebObjUtil* util;
    std::initializer_list<std::string_view> obligatory;
};

} // namespace

void FillClassTable(ClassTable& table) {
    ClassUtilities& u = GetClassUtilities();
    const std::initializer_list<std::string_view> kClass = {"class"};
    const std::initializer_list<std::string_view> kNamed = {"class", "name"};
    const std::initializer_list<std::string_view> kToggle = {"class", "name", "part_value"};
    const DefaultTemplate defaults[] = {
        {"html_object", &u.object, kClass},
        {"html_table", &u.table, kClass},
        {"html_text", &u.text, kNamed},
        {"html_link", &u.link, kNamed},
        {"html_text_link", &u.textLink, kNamed},
        {"html_rect", &u.image, kNamed},
        {"html_img_link", &u.imageLink, kNamed},
        {"html_std_obj", &u.stdObj, kNamed},
        {"html_push_button", &u.pushButton, kNamed},
        {"html_edit", &u.edit, kNamed},
        {"html_frame", &u.frame, kNamed},
        {"html_select", &u.selectElement, kNamed},
        {"html_listbox", &u.listBox, kNamed},
        {"html_combobox", &u.comboBox, kNamed},
        {"html_file", &u.file, kNamed},
        {"html_row", &u.row, {"class", "table_index", "row"}},
        {"html_cell", &u.cell, {"class", "table_index", "row", "col"}},
        {"html_general_element", &u.generalObj, {"class", "name", "tag_name"}},
        {"html_toggle", &u.toggleElement, kToggle},
        {"html_radio_button", &u.radioButton, kToggle},
        {"html_check_button", &u.checkButton, kToggle},
    };
    table.clear();
    for (const DefaultTemplate& entry : defaults) {
        CWebInfo obligatory;
        for (std::string_view name : entry.obligatory) {
            CWebVariantList placeholder;
            placeholder.Set(std::string_view());
            obligatory.AddAttr(name, placeholder);
        }
        entry.util->SetDescriptionTemplate(obligatory, CWebInfo(), "location", "name");
        table.emplace(std::string(entry.className), entry.util);
    }
}
