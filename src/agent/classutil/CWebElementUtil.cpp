#include "agent/classutil/CWebElementUtil.h"

#include "agent/common/RegExpService.h"

#include <algorithm>

namespace {

// The first string of a property, or nothing when the property is missing
// or holds something else.
const std::string* StringProperty(CWebObj& object, std::string_view name, CWebVariantList& value) {
    value.Clear();
    if (!object.GetProperty(name, value) || value.GetType() != WebVariantType::String) {
        return nullptr;
    }
    const CWebVariant* first = value.GetAt(0);
    return first != nullptr ? &first->GetString() : nullptr;
}

bool IsOfClass(CWebObj& object, std::string_view className) {
    CWebVariantList wanted;
    wanted.Set(className);
    return object.MatchProperty("class", wanted, true);
}

// Specific objects only: what the tool lists as children.
constexpr int32_t kSpecificObjects = kChildFilterOrdinary;

} // namespace

bool CWebImageUtil::HasTextOrSource(const CWebObjRef& image) const {
    CWebObj* object = image.Get();
    if (object == nullptr) {
        return false;
    }
    CWebVariantList value;
    if (const std::string* alt = StringProperty(*object, "alt", value); alt && !alt->empty()) {
        return true;
    }
    return StringProperty(*object, "src", value) != nullptr;
}

bool CWebTableUtil::GetTableName(const CWebObjRef& table, std::string& name) const {
    CWebObj* object = table.Get();
    if (object == nullptr) {
        return false;
    }
    std::vector<CWebObjRef> descendants;
    object->CollectDescendants(descendants, kSpecificObjects);
    CWebVariantList value;
    for (const CWebObjRef& handle : descendants) {
        CWebObj* item = handle.Get();
        if (item == nullptr || IsOfClass(*item, "html_row")) {
            continue;
        }
        if (IsOfClass(*item, "html_cell")) {
            if (const std::string* data = StringProperty(*item, "data", value)) {
                std::string text = *data;
                if (CleanText(text, true) && !text.empty()) {
                    name = std::move(text);
                    return true;
                }
            }
            continue;
        }
        if (const std::string* itemName = StringProperty(*item, "name", value)) {
            std::string blank = "! *";
            if (!MatchText(blank, *itemName)) {
                name = *itemName;
                return true;
            }
        }
    }
    return false;
}

int CWebTableUtil::GetColumnCount(const CWebObjRef& table) const {
    CWebObj* object = table.Get();
    if (object == nullptr) {
        return 0;
    }
    std::vector<CWebObjRef> rows;
    object->CollectChildren(rows, kSpecificObjects);
    int columns = 0;
    for (const CWebObjRef& row : rows) {
        if (CWebObj* item = row.Get()) {
            columns = std::max(columns, item->GetChildCount());
        }
    }
    return columns;
}

CWebObjRef CWebTableUtil::GetCellAt(const CWebObjRef& table, int row, int column) const {
    CWebObj* object = table.Get();
    if (object == nullptr) {
        return {};
    }
    CWebObjRef line = object->GetChild(row);
    if (!line.IsValid()) {
        return {};
    }
    return line->GetChild(column);
}

bool CWebCellUtil::GetCellData(const CWebObjRef& cell, std::string& data) const {
    CWebObj* object = cell.Get();
    if (object == nullptr) {
        return false;
    }
    std::vector<CWebObjRef> descendants;
    object->CollectDescendants(descendants, kSpecificObjects);
    std::string imageTexts;
    CWebVariantList value;
    for (const CWebObjRef& handle : descendants) {
        CWebObj* item = handle.Get();
        if (item == nullptr || !IsOfClass(*item, "html_rect")) {
            continue;
        }
        if (const std::string* text = StringProperty(*item, "data", value)) {
            if (!imageTexts.empty()) {
                imageTexts += ' ';
            }
            imageTexts += *text;
        }
    }
    const std::string* text = StringProperty(*object, "text", value);
    if (text == nullptr) {
        return false;
    }
    std::string result = imageTexts + " " + *text;
    CleanText(result, true);
    TrimText(result);
    data = std::move(result);
    return true;
}
