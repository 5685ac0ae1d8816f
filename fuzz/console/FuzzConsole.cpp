// The console's readers against arbitrary input, which is taken two ways:
//   - as script text, line by line: every line is read or refused with a
//     reason; a request that was read prints as JSON that reads back to the
//     same record, and raw bytes print as hexadecimal that reads back to the
//     same bytes;
//   - as an encoded record: whatever decodes prints as JSON, and the printed
//     text, parsed and read, gives the record back.
// Code page text survives the trip through UTF-8 for every byte.
#include "cli/RecordJson.h"
#include "cli/ScriptLine.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

using nlohmann::json;

// The names a script may give an "id"; "gone" stands for an object that no
// longer exists.
std::optional<CWebRunTimeID> ResolveName(std::string_view name, std::string& error) {
    if (name == "browser")
        return CWebRunTimeID(0x10002, -1, -1, -1);
    if (name == "page")
        return CWebRunTimeID(0x10002, 0x10004, -1, -1);
    if (name == "last")
        return CWebRunTimeID(0x10002, 0x5000, 77, -1);
    error = "no object is called \"" + std::string(name) + "\"";
    return std::nullopt;
}

// Printing a record and reading the print must give the same record, both
// from the JSON value and from its text.
void CheckJsonRoundTrip(const CWebInfo& record) {
    const json printed = cli::RecordToJson(record);
    CWebInfo read;
    if (!cli::RecordFromJson(printed, read) || !(read == record))
        std::abort();
    const json reparsed = json::parse(printed.dump(), nullptr, /*allow_exceptions=*/false);
    CWebInfo again;
    if (reparsed.is_discarded() || !cli::RecordFromJson(reparsed, again) || !(again == record))
        std::abort();
}

void CheckScriptLines(std::string_view text) {
    const cli::IdNameResolver names = &ResolveName;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);

        cli::ScriptLine parsed;
        std::string error;
        if (!cli::ParseScriptLine(line, names, parsed, error)) {
            if (error.empty())
                std::abort(); // a refusal always says why
            continue;
        }
        if (const auto* record = std::get_if<CWebInfo>(&parsed)) {
            CheckJsonRoundTrip(*record);
        } else if (const auto* raw = std::get_if<cli::RawLine>(&parsed)) {
            std::vector<uint8_t> bytes;
            if (!cli::BytesFromHex(cli::HexFromBytes(raw->bytes), bytes) || bytes != raw->bytes)
                std::abort();
        }
    }
}

void CheckEncodedRecord(std::span<const uint8_t> bytes) {
    CWebInfo record;
    if (!record.Deserialize(bytes).Succeeded())
        return;
    CheckJsonRoundTrip(record);
}

void CheckCodePage(std::string_view text) {
    std::string back;
    if (!cli::AnsiFromUtf8(cli::Utf8FromAnsi(text), back) || back != text)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckScriptLines(text);
    CheckEncodedRecord(std::span<const uint8_t>(data, size));
    CheckCodePage(text);
    return 0;
}
