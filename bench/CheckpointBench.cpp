// The table grid of the checkpoint writers on a table of 100 rows and 10
// columns. The writer opens and closes the file for every cell and every
// separator (the tool may read the file at any moment), so the case is set
// beside the same grid written through one file kept open ("x_one_open").
// The cells' data are fixed strings, so the figures are the cost of the
// files, not of reading a page.
#include "agent/classutil/ClassUtilities.h"
#include "platform/win32/CrtFile.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A table, row or cell with a fixed "data" string; cells answer
// "WriteInfoToFile" as the cell objects do.
class GridObj : public CWebObj {
public:
    GridObj(const CWebObjUtil& util, std::string data) : m_Data(std::move(data)) {
        SetUtil(&util);
        SetId(CWebRunTimeID(1, 2, ++s_NextId, -1));
    }
    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override {
        value.Clear();
        if (position >= 0 || name != "data") {
            return false;
        }
        value.Set(std::string_view(m_Data));
        return true;
    }
    bool CallMethod(std::string_view method, CWebInfo& record) override {
        return method == "WriteInfoToFile" &&
               GetClassUtilities().cell.WriteInfoToFile(CWebObjRef(this), record);
    }
    GridObj* Add(const CWebObjUtil& util, std::string data = {}) {
        auto* child = new GridObj(util, std::move(data));
        AddChild(CWebObjRef(child));
        return child;
    }

private:
    std::string m_Data;
    static inline int32_t s_NextId = 0;
};

constexpr int kRows = 100;
constexpr int kColumns = 10;

std::string GridPath() {
    return (std::filesystem::temp_directory_path() /
            ("webagent_bench_grid_" + std::to_string(getpid()) + ".txt"))
        .string();
}

// The same bytes as the writer, through one open file.
void WriteGridOnce(GridObj& table, const std::string& path) {
    std::optional<CrtFile> file = CrtFile::Open(path, "w+t");
    if (!file) {
        return;
    }
    const CWebTableUtil& util = GetClassUtilities().table;
    for (int c = 1; c < kColumns; ++c) {
        file->Printf("Col #%d%s", c, "\t");
    }
    file->Printf("Col #%d%s", kColumns, "\n");
    CWebVariantList data;
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kColumns; ++c) {
            CWebObjRef cell = util.GetCellAt(CWebObjRef(&table), r, c);
            if (cell && cell->GetProperty("data", data)) {
                file->Write(data.GetAt(0)->GetString());
            }
            if (c < kColumns) {
                file->Write("\t");
            }
        }
        file->Write("\n");
    }
    file->Close();
}

void BM_TableGrid(benchmark::State& state) {
    GridObj table(GetClassUtilities().table, {});
    for (int r = 1; r <= kRows; ++r) {
        GridObj* row = table.Add(GetClassUtilities().row);
        for (int c = 1; c <= kColumns; ++c) {
            row->Add(GetClassUtilities().cell, "r" + std::to_string(r) + "c" + std::to_string(c));
        }
    }
    const std::string path = GridPath();
    CWebInfo record;
    CWebVariantList name;
    name.Set(std::string_view(path));
    record.SetAttr("file_name", name);

    const auto start = Clock::now();
    for (auto _ : state) {
        GetClassUtilities().table.WriteInfoToFile(CWebObjRef(&table), record);
    }
    const auto caseTime = Clock::now() - start;
    if (record.GetRetValue() != 0) {
        state.SkipWithError("the grid was not written");
    }

    WriteGridOnce(table, path);
    const auto baselineStart = Clock::now();
    for (int64_t i = 0; i < static_cast<int64_t>(state.iterations()); ++i) {
        WriteGridOnce(table, path);
    }
    const auto baselineTime = Clock::now() - baselineStart;
    state.counters["cells"] = kRows * kColumns;
    state.counters["x_one_open"] =
        baselineTime.count() > 0
            ? static_cast<double>(caseTime.count()) / static_cast<double>(baselineTime.count())
            : 0.0;
    std::filesystem::remove(path);
}
BENCHMARK(BM_TableGrid)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
