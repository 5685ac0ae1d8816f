// The lines of a console's output, for tests that read it line by line.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace cli::testing {

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace cli::testing
