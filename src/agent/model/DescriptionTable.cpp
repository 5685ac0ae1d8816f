#include "agent/model/DescriptionTable.h"

#include <charconv>
#include <new>
#include <unordered_map>

namespace {

struct DescriptionTable {
    std::vector<std::string> order;
    std::unordered_map<std::string, WebVariantType> forms;

    DescriptionTable() {
        using enum WebVariantType;
        const std::pair<std::string_view, WebVariantType> builtIn[] = {
            {"class", String},        {"name", String},       {"class_index", Integer},
            {"table_index", Integer}, {"row", Integer},       {"col", Integer},
            {"location", Integer},    {"tag", String},        {"part_value", String},
            {"index", Integer},       {"handle", Integer},    {"html_id", String},
            {"frame_id", String},     {"tag_name", String},   {"source_index", Integer},
            {"inner_text", String},   {"outer_text", String}, {"inner_html", String},
            {"outer_html", String},   {"url", String},
        };
        for (const auto& [name, form] : builtIn) {
            Add(name, form);
        }
    }

    bool Add(std::string_view name, WebVariantType form) {
        auto [it, added] = forms.try_emplace(std::string(name), form);
        if (added) {
            order.push_back(it->first);
        }
        return added;
    }
};

DescriptionTable& Table() {
    // Never destroyed: descriptions may be built late in shutdown.
    static DescriptionTable* table = new DescriptionTable();
    return *table;
}

// Decimal text to an integer; 0 for text that does not start with a number.
int32_t ParseDecimal(std::string_view text) {
    size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) {
        ++start;
    }
    if (start < text.size() && text[start] == '+') {
        ++start;
    }
    int32_t value = 0;
    std::from_chars(text.data() + start, text.data() + text.size(), value);
    return value;
}

} // namespace

bool AddDescriptionAttribute(std::string_view name, WebVariantType form) {
    return Table().Add(name, form);
}

WebVariantType DescriptionValueForm(std::string_view name) {
    const DescriptionTable& table = Table();
    auto it = table.forms.find(std::string(name));
    return it != table.forms.end() ? it->second : WebVariantType::String;
}

const std::vector<std::string>& DescriptionAttributeNames() {
    return Table().order;
}

bool DescriptionToText(const CWebInfo& record, std::string& out) {
    try {
        // Few attributes against a table of twenty or more: walk the record
        // once per table name only while there is something left to find.
        size_t left = record.GetAttrCount();
        for (const std::string& name : Table().order) {
            if (left == 0) {
                break;
            }
            const CWebVariant* first = record.FindFirstValue(name);
            if (first == nullptr) {
                continue;
            }
            --left;
            if (first->GetType() == WebVariantType::String) {
                out.append(name).append(1, kDescNameEnd).append(first->GetString());
            } else if (first->GetType() == WebVariantType::Integer) {
                out.append(name)
                    .append(1, kDescNameEnd)
                    .append(std::to_string(first->GetInteger()));
            } else {
                continue;
            }
            out.append(1, kDescValueEnd);
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void TextToDescription(std::string_view text, CWebInfo& record) {
    while (!text.empty()) {
        size_t nameEnd = text.find(kDescNameEnd);
        if (nameEnd == std::string_view::npos) {
            return;
        }
        std::string_view name = text.substr(0, nameEnd);
        std::string_view rest = text.substr(nameEnd + 1);
        size_t valueEnd = rest.find(kDescValueEnd);
        std::string_view value = rest.substr(0, valueEnd);
        CWebVariantList list;
        if (DescriptionValueForm(name) == WebVariantType::Integer) {
            list.Set(ParseDecimal(value));
        } else {
            list.Set(value);
        }
        record.AddAttr(name, list);
        if (valueEnd == std::string_view::npos) {
            return;
        }
        text = rest.substr(valueEnd + 1);
    }
}
