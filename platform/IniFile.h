#pragma once
// Initialisation files: "[Section]" lines opening sections, "Key=Value" lines inside them,
// Shift-JIS bytes kept as they are.
//
// Every read opens the file afresh and every write replaces the file at once (through a
// temporary file and a rename), nothing is cached between calls. A settings save writes its
// keys one by one and must stop at the first refused write with the earlier keys already in
// the file; a cached copy flushed at the end could only fail as a whole.
//
// Reading: section and key names match without regard to letter case (single-byte letters;
// double-byte characters must match exactly); the first matching section and the first
// matching key in it count. The value loses the blanks around it, then one pair of enclosing
// quotation marks ('"' or '\''), and is cut to at most kIniMaxValue bytes without splitting a
// double-byte character. A key present with an empty value reads as empty text. Lines whose
// first non-blank byte is ';' are comments. LF and CR LF line ends are both accepted.
//
// Writing: a key already present gets its line replaced; a new key goes after the last line
// of its section; a new section goes at the end of the file (after an empty line). Every other
// line is kept. Lines end with CR LF. A value is cut at its first line break, which could not
// be read back.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

constexpr std::size_t kIniMaxValue = 2047;

// A write that the file system refused. The message is Shift-JIS: "<file> に書き込めません".
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string& fileName);
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

// The value of the key, or `def` (cut to kIniMaxValue bytes) when the file, the section or
// the key is missing or the file cannot be read.
std::string ReadProfileString(const std::string& fileName, std::string_view section,
                              std::string_view key, std::string_view def);
// Sets the key to `value`, creating the file, section and key as needed. False when the file
// cannot be written (missing folder, read-only file or folder); the file is then unchanged.
[[nodiscard]] bool WriteProfileString(const std::string& fileName, std::string_view section,
                                      std::string_view key, std::string_view value);

// One settings file, named once. Integers are written in decimal and read in the notation of
// platform/Convert.h; on/off is written "1"/"0" and read as an integer, non-zero meaning on.
class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    const std::string& FileName() const { return fileName_; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // `def` when the key is missing or its value is no integer.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const;
    // `def` when the key is missing or its value is no integer.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // Each raises IniWriteError when the write is refused.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

private:
    std::string fileName_;
};

} // namespace platform
