// The checkpoint writers of the element class utilities: link and image
// tables with their class check, and the text grid of tables with the cells
// that append their data to it.
#include "agent/channel/RequestArgs.h"
#include "agent/classutil/CWebElementUtil.h"
#include "agent/model/CheckpointFiles.h"
#include "platform/win32/CrtFile.h"
#include "platform/xpcom/nsError.h"

#include <optional>
#include <string>
#include <string_view>

using checkpoint::Cleaned;
using checkpoint::IntegerProperty;
using checkpoint::kAppend;
using checkpoint::kCreate;
using checkpoint::StringProperty;
using checkpoint::WriteToFile;

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

bool CWebLinkUtil::WriteObjInfoHeader(const CWebObjRef& link, CWebInfo& record) const {
    WriteObjectTableLine(MatchesRequestedClass(link, record), record, kCreate, "Text\tHref\n");
    return true;
}

bool CWebLinkUtil::WriteObjInfo(const CWebObjRef& link, CWebInfo& record) const {
    const bool matches = MatchesRequestedClass(link, record);
    WriteObjectTableLine(matches, record, kAppend, matches ? LinkLine(link.Get()) : std::string());
    return true;
}

bool CWebImageUtil::WriteObjInfoHeader(const CWebObjRef& image, CWebInfo& record) const {
    WriteObjectTableLine(MatchesRequestedClass(image, record), record, kCreate,
                         "Name\tType\tWidth\tHeight\n");
    return true;
}

bool CWebImageUtil::WriteObjInfo(const CWebObjRef& image, CWebInfo& record) const {
    const bool matches = MatchesRequestedClass(image, record);
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
