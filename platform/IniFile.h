#pragma once
// Initialisation files: "[Section]" lines opening sections, "Key=Value" lines inside them,
// Shift-JIS bytes kept as they are.
//
// A TIniFile reads its file once, at its first use, and works on that copy from then on; every
// write replaces the file at once (through a temporary file and a rename) with the copy and the
// new key. A settings save writes its keys one by one and must stop at the first refused write
// with the earlier keys already in the file; a copy flushed only at the end could only fail as
// a whole.
//
// A file that is no regular file (a pipe, a device, a folder) or is larger than kIniMaxFileSize
// is no settings file this program wrote: it reads as missing, and every write to it is refused,
// so it is never replaced. The same for a file that cannot be read: its other lines could not
// be kept. A write that would make the file larger than that is refused too.
//
// Reading: section and key names match without regard to letter case (single-byte letters;
// double-byte characters must match exactly); the first matching section and the first
// matching key in it count. The value loses the blanks around it (space, tab, CR, vertical
// tab, form feed, Ctrl-Z), then one pair of enclosing quotation marks ('"' or '\''), and is cut
// to at most kIniMaxValue bytes without splitting a double-byte character. A key present with
// an empty value reads as empty text. Lines whose first non-blank byte is ';' are comments. LF
// and CR LF line ends are both accepted.
//
// Writing: a key already present gets its line replaced; a new key goes after the last line
// of its section; a new section goes at the end of the file (after an empty line). Every other
// line is kept. Lines end with CR LF. A value is cut at its first line break, which could not
// be read back.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

constexpr std::size_t kIniMaxValue = 2047;
// The largest settings file that is read; far more than any settings file needs.
constexpr std::size_t kIniMaxFileSize = 1 << 20;

// A write that the file system refused. The message is Shift-JIS: "<file> に書き込めません".
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string& fileName);
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

// One settings file, named once. Integers are written in decimal and read in the notation of
// platform/Convert.h; on/off is written "1"/"0" and read as an integer, non-zero meaning on.
class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    const std::string& FileName() const { return fileName_; }

    // The value of the key, or `def` (cut to kIniMaxValue bytes) when the file, the section or
    // the key is missing or the file is not read (above).
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
    // Sets the key; false when the write is refused (the file and the copy then unchanged).
    [[nodiscard]] bool TryWriteString(std::string_view section, std::string_view key,
                                      std::string_view value);

private:
    // The file's lines, read at the first call.
    const std::vector<std::string>& Lines() const;

    std::string fileName_;
    mutable bool read_ = false;
    mutable bool writable_ = false; // read, or missing
    mutable std::vector<std::string> lines_;
};

} // namespace platform
