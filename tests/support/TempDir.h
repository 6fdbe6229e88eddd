#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

// A private directory for a test's files, made fresh under /tmp and removed with everything in
// it at the end of the test.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/corv-test-XXXXXX";
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

// Works in a private directory for its lifetime, then returns to where the test was.
class InTempDir {
public:
    InTempDir() : old(std::filesystem::current_path()) { std::filesystem::current_path(dir.path); }
    ~InTempDir() { std::filesystem::current_path(old); }
    InTempDir(const InTempDir&) = delete;
    InTempDir& operator=(const InTempDir&) = delete;
    TempDir dir;

private:
    std::filesystem::path old;
};

inline std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
