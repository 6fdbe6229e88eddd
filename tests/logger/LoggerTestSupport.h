#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// A private directory for a test's files, removed with everything in it.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/corv-logger-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        path = made ? made : "";
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

inline std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

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
