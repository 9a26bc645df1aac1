#pragma once
// Test helper: a whole file as bytes.
#include <cstdio>
#include <string>

// The file's bytes, or the empty text when it cannot be opened.
inline std::string ReadAll(const std::string& path)
{
    std::string text;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return text;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, n);
    std::fclose(f);
    return text;
}
