#include "agent/classutil/ClassUtilities.h"

#include "agent/common/DomHelpers.h"
#include "agent/model/DescriptionTable.h"

#include <algorithm>
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

// Calls visit with every described class, its utility and its default
// obligatory list.
template <typename Visit> void VisitDescribedClasses(Visit visit) {
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
    for (const DefaultTemplate& entry : defaults) {
        visit(entry);
    }
}

void FillClassTable(ClassTable& table) {
    table.clear();
    VisitDescribedClasses([&table](const DefaultTemplate& entry) {
        CWebInfo obligatory;
        for (std::string_view name : entry.obligatory) {
            CWebVariantList placeholder;
            placeholder.Set(std::string_view());
            obligatory.AddAttr(name, placeholder);
        }
        entry.util->SetDescriptionTemplate(obligatory, CWebInfo(), "location", "name");
        table.emplace(std::string(entry.className), entry.util);
    });
}

ClassTable ListClassUtilities() {
    ClassTable table;
    VisitDescribedClasses([&table](const DefaultTemplate& entry) {
        table.emplace(std::string(entry.className), entry.util);
    });
    return table;
}

namespace {

std::string_view ToolPropertyName(std::string_view name) {
    if (name == "MSW_class") {
        return "class";
    }
    if (name == "html_name") {
        return "name";
    }
    if (name == "html_url") {
        return "url";
    }
    return name;
}

// The names of a blank-separated list as template attributes with a blank
// placeholder; repeated blanks give no empty names.
CWebInfo TemplateList(std::string_view text) {
    CWebInfo list;
    CWebVariantList placeholder;
    placeholder.Set(std::string_view(" "));
    while (!text.empty()) {
        size_t blank = text.find(' ');
        std::string_view name = ToolPropertyName(text.substr(0, blank));
        if (!name.empty()) {
            list.AddAttr(name, placeholder);
            AddDescriptionAttribute(name, WebVariantType::String);
        }
        if (blank == std::string_view::npos) {
            break;
        }
        text.remove_prefix(blank + 1);
    }
    return list;
}

} // namespace

void SetClassTemplate(const ClassTable& table, std::string_view className,
                      std::string_view obligatory, std::string_view optional,
                      std::string_view selector, std::string_view tagAttr) {
    // Image links are described as images with a link; the tool only ever
    // configures the image class.
    if (EqualsIgnoringCase(className, "html_rect")) {
        SetClassTemplate(table, "html_img_link", obligatory, optional, selector, tagAttr);
    }
    const CWebInfo obligatoryList = TemplateList(obligatory);
    const CWebInfo optionalList = TemplateList(optional);
    auto it = table.find(className);
    if (it != table.end() && it->second != nullptr) {
        it->second->SetDescriptionTemplate(obligatoryList, optionalList, selector, tagAttr);
    }
}
