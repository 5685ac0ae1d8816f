// The checkpoint writers of the class utilities: format files, property
// values, link and image tables and table grids.
//
// Files are named by the request's "file_name" and written through the
// runtime's text-mode files, so every line feed lands on disk as CR LF. A
// writer that starts a file creates or truncates it ("w+t"); one that adds to
// it appends ("a+t"). Every write opens and closes the file again, so the
// tool may read it at any time and a table is written through many short
// appends.

#include "agent/classutil/CWebElementUtil.h"
#include "agent/classutil/CWebObjUtil.h"
#include "agent/dispatch/RequestArgs.h"
#include "platform/win32/CrtFile.h"
#include "platform/xpcom/nsError.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kCreate = "w+t";
constexpr std::string_view kAppend = "a+t";

// Opens `path` in `mode`, writes `text` and closes; false when the file
// cannot be opened or the text not written.
bool WriteToFile(std::string_view path, std::string_view mode, std::string_view text) {
    std::optional<CrtFile> file = CrtFile::Open(path, mode);
    if (!file) {
        return false;
    }
    const bool written = text.empty() || file->Write(text);
    return file->Close() && written;
}

// The first string of a property; nothing when the property is missing or
// holds something else.
std::optional<std::string> StringProperty(CWebObj& object, std::string_view name) {
    CWebVariantList value;
    if (!object.GetProperty(name, value) || value.GetType() != WebVariantType::String ||
        value.IsEmpty()) {
        return std::nullopt;
    }
    return value.GetAt(0)->GetString();
}

std::optional<int32_t> IntegerProperty(CWebObj& object, std::string_view name) {
    CWebVariantList value;
    if (!object.GetProperty(name, value) || value.GetType() != WebVariantType::Integer ||
        value.IsEmpty()) {
        return std::nullopt;
    }
    return value.GetAt(0)->GetInteger();
}

// The checkpoint text of a name: TABs become spaces, line breaks and braces
// go (line breaks stay when the tool asks for them).
std::string Cleaned(std::string text) {
    CWebObjUtil::CleanText(text, true);
    return text;
}

// Specific objects only: what the tool lists as children.
constexpr int32_t kSpecificObjects = kChildFilterOrdinary;

} // namespace

bool CWebObjUtil::MatchesRequestedClass(const CWebInfo& record) const {
    const CWebVariant* wanted = record.FindFirstValue("class");
    if (wanted == nullptr || wanted->GetType() != WebVariantType::String || m_Chain.empty()) {
        return false;
    }
    return wanted->Matches(CWebVariant(std::string_view(m_Chain.front())));
}

bool CWebObjUtil::WriteFormatHeader(const CWebObjRef&, CWebInfo& record) const {
    std::optional<std::string> path = StringArg(record, "file_name");
    if (!path || !WriteToFile(*path, kCreate, {})) {
        record.SetRetValue(E_INVALIDARG);
    }
    return true;
}

bool CWebObjUtil::WriteFormatToFile(const CWebObjRef& object, CWebInfo& record) const {
    std::optional<std::string> path = StringArg(record, "file_name");
    if (!path || m_Chain.empty()) {
        record.SetRetValue(E_INVALIDARG);
        return true;
    }
    const int32_t level = std::max(IntegerArg(record, "level").value_or(0), 0);
    std::string line(static_cast<size_t>(level), '\t');
    line += m_Chain.front();
    line += '\n';
    if (!WriteToFile(*path, kAppend, line)) {
        record.SetRetValue(E_INVALIDARG);
        return true;
    }
    CWebObj* target = object.Get();
    if (target == nullptr) {
        return true;
    }
    // The handles keep the children alive while each writes its subtree.
    std::vector<CWebObjRef> children;
    target->CollectChildren(children, kSpecificObjects);
    // A frame lists the children of its top-level objects beside them; each
    // of those is written once, in the subtree of its own parent.
    std::set<CWebRunTimeID> listed;
    for (const CWebObjRef& child : children) {
        if (const CWebObj* item = child.Get()) {
            listed.insert(item->RunTimeID());
        }
    }
    record.SetAttr("level", CWebVariantList(CWebVariant(level + 1)));
    for (const CWebObjRef& child : children) {
        CWebObj* item = child.Get();
        if (item == nullptr) {
            continue;
        }
        const CWebObjRef parent = item->GetParent();
        if (parent && parent.Get() != target && listed.count(parent->RunTimeID()) != 0) {
            continue;
        }
        item->CallMethod("WriteFormatToFile", record);
    }
    record.SetAttr("level", CWebVariantList(CWebVariant(level)));
    return true;
}

bool CWebObjUtil::WriteAttrValToFile(const CWebObjRef& object, CWebInfo& record) const {
    std::optional<std::string> path = StringArg(record, "file_name");
    std::optional<std::string> name = StringArg(record, "attr_name");
    CWebObj* target = object.Get();
    std::optional<std::string> value;
    if (path && name && target != nullptr) {
        value = StringProperty(*target, *name);
    }
    record.SetRetValue(value && WriteToFile(*path, kAppend, *value) ? NS_OK : E_INVALIDARG);
    return true;
}

namespace {

// The object tables of links and images: the request must name the writer's
// class and a file. A header starts the file; an object line (empty when the
// object's properties cannot be read) is appended, so a path that cannot be
// written fails the request either way.
void WriteObjectTableLine(bool classMatches, CWebInfo& record, std::string_view mode,
                          std::string_view line) {
    std::optional<std::string> path = StringArg(record, "file_name");
    const bool written = classMatches && path && WriteToFile(*path, mode, line);
    record.SetRetValue(written ? NS_OK : E_INVALIDARG);
}

std::string LinkLine(CWebObj* link) {
    if (link == nullptr) {
        return {};
    }
    std::optional<std::string> url = StringProperty(*link, "url");
    std::optional<std::string> name = StringProperty(*link, "name");
    if (!url || !name) {
        return {};
    }
    return Cleaned(*name) + '\t' + Cleaned(*url) + '\n';
}

std::string ImageLine(CWebObj* image) {
    if (image == nullptr) {
        return {};
    }
    std::optional<int32_t> height = IntegerProperty(*image, "height");
    std::optional<int32_t> width = IntegerProperty(*image, "width");
    std::optional<std::string> type = StringProperty(*image, "type");
    std::optional<std::string> name = StringProperty(*image, "name");
    if (!height || !width || !type || !name) {
        return {};
    }
    // The type is written as the image reports it.
    return Cleaned(*name) + '\t' + *type + '\t' + std::to_string(*width) + '\t' +
           std::to_string(*height) + '\n';
}

} // namespace

bool CWebLinkUtil::WriteObjInfoHeader(const CWebObjRef&, CWebInfo& record) const {
    WriteObjectTableLine(MatchesRequestedClass(record), record, kCreate, "Text\tHref\n");
    return true;
}

bool CWebLinkUtil::WriteObjInfo(const CWebObjRef& link, CWebInfo& record) const {
    const bool matches = MatchesRequestedClass(record);
    WriteObjectTableLine(matches, record, kAppend, matches ? LinkLine(link.Get()) : std::string());
    return true;
}

bool CWebImageUtil::WriteObjInfoHeader(const CWebObjRef&, CWebInfo& record) const {
    WriteObjectTableLine(MatchesRequestedClass(record), record, kCreate,
                         "Name\tType\tWidth\tHeight\n");
    return true;
}

bool CWebImageUtil::WriteObjInfo(const CWebObjRef& image, CWebInfo& record) const {
    const bool matches = MatchesRequestedClass(record);
    WriteObjectTableLine(matches, record, kAppend,
                         matches ? ImageLine(image.Get()) : std::string());
    return true;
}

bool CWebTableUtil::WriteInfoToFile(const CWebObjRef& table, CWebInfo& record) const {
    std::optional<std::string> path = StringArg(record, "file_name");
    std::optional<CrtFile> file;
    if (path) {
        file = CrtFile::Open(*path, kCreate);
    }
    if (!file) {
        record.SetRetValue(E_INVALIDARG);
        return true;
    }
    CWebObj* target = table.Get();
    const int rows = target != nullptr ? target->GetChildCount() : 0;
    const int columns = GetColumnCount(table);
    if (rows < 1 || columns < 1) {
        file->Write("Col #0\n");
        file->Close();
        record.SetRetValue(NS_OK);
        return true;
    }
    for (int column = 1; column < columns; ++column) {
        file->Printf("Col #%d%s", column, "\t");
    }
    file->Printf("Col #%d%s", columns, "\n");
    file->Close();

    // Every separator is its own append, as the cells append their data in
    // between; a cell that cannot write keeps its column separator.
    const std::string cellFile = *path;
    bool appended = true;
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= columns; ++column) {
            // Held while the cell writes: its data may be computed from the page.
            const CWebObjRef cell = GetCellAt(table, row, column);
            if (CWebObj* item = cell.Get()) {
                item->CallMethod("WriteInfoToFile", record);
                if (column < columns) {
                    appended = WriteToFile(cellFile, kAppend, "\t") && appended;
                }
            } else if (column < columns) {
                appended = WriteToFile(cellFile, kAppend, "\t ") && appended;
            }
        }
        appended = WriteToFile(cellFile, kAppend, "\n") && appended;
    }
    record.SetRetValue(appended ? NS_OK : E_INVALIDARG);
    return true;
}

bool CWebCellUtil::WriteInfoToFile(const CWebObjRef& cell, CWebInfo& record) const {
    std::optional<std::string> path = StringArg(record, "file_name");
    CWebObj* target = cell.Get();
    std::optional<std::string> data;
    if (path && target != nullptr) {
        data = StringProperty(*target, "data");
    }
    record.SetRetValue(data && WriteToFile(*path, kAppend, *data) ? NS_OK : E_INVALIDARG);
    return true;
}
