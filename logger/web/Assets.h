#pragma once

#include <cstddef>
#include <string_view>

// A file of the page compiled into the program.
struct Tasset {
    const char* path; // as requested, "/index.html"
    const char* type;
    const unsigned char* data;
    std::size_t size;
};

// The asset at exactly this path; null for any other.
const Tasset* findAsset(std::string_view path);
