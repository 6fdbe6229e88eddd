#pragma once

#include "support/TempDir.h"

#include <sstream>
#include <string>
#include <vector>

// The CR LF lines of a data file; `whole` is false when the last one has no line end.
inline std::vector<std::string> crlfLines(const std::string& text, bool& whole) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    whole = start == text.size();
    return lines;
}

// The sample lines of a data file: everything after the header's 31 lines that is no comment.
inline std::vector<std::string> sampleLines(const std::vector<std::string>& lines) {
    std::vector<std::string> samples;
    for (const std::string& line : lines)
        if (!line.empty() && line[0] != '#') samples.push_back(line);
    return samples;
}

inline std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, ';');)
        out.push_back(field);
    return out;
}
