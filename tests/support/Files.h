#pragma once
// Whole files for tests: written and read back as bytes.
#include <fstream>
#include <iterator>
#include <string>

// The file's bytes; nothing for a file that cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file's contents with `bytes`; false when it cannot be written.
inline bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

// Whether the file exists and can be read.
inline bool FileExists(const std::string& path) {
    return std::ifstream(path).good();
}
