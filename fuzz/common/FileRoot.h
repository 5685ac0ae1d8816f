// Keeps the files that fuzzed requests write inside the run's own folder.
#pragma once

#include "agent/channel/CWebInfo.h"
#include "platform/win32/CrtFile.h"

#include <filesystem>
#include <string>

namespace fuzz {

// Replaces every "file_name" whose name would land outside `root` (after the
// desktop's mapping of Windows names) with a name inside it, so that no input
// writes over a file of the host.
inline void KeepFilesInRoot(CWebInfo& record, const std::filesystem::path& root) {
    const std::string prefix = root.lexically_normal().string() + "/";
    for (size_t i = 0; i < record.GetAttrCount(); ++i) {
        if (*record.GetAttrName(i) != "file_name")
            continue;
        bool safe = true;
        for (const CWebVariant& element : record.GetAttrValue(i)->Elements()) {
            if (element.GetType() != WebVariantType::String)
                continue;
            const std::string mapped =
                std::filesystem::path(MapFileName(element.GetString())).lexically_normal();
            if (mapped.rfind(prefix, 0) != 0)
                safe = false;
        }
        if (!safe)
            record.SetAttrValueAt(i, CWebVariantList(CWebVariant("c:\\temp\\fuzz.txt")));
    }
}

} // namespace fuzz
