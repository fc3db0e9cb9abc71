#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/Convert.h"
#include "platform/Sjis.h"

#include <cerrno>
#include <optional>
#include <vector>

namespace platform {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Lines without their LF or CR LF; a last line without a break counts, a break at the very end
// adds no empty line.
std::vector<std::string> SplitFileLines(std::string_view data) {
    std::vector<std::string> lines;
    while (!data.empty()) {
        std::size_t end = data.find('\n');
        std::string_view line = data.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        data.remove_prefix(end + 1);
    }
    return lines;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    std::size_t close = std::string_view::npos;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (IsSjisLeadByte(static_cast<unsigned char>(line[i]))) {
            ++i;
        } else if (line[i] == ']') {
            close = i;
        }
    }
    if (close == std::string_view::npos) return std::nullopt;
    return TrimBlanks(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view name;
    std::string_view value; // blanks around it removed
};

// The key and value of a "name=value" line, or nothing for a comment or a line without '='.
// '=' never occurs as the second byte of a double-byte character, so a plain search is safe.
std::optional<KeyLine> KeyOf(std::string_view line) {
    std::string_view trimmed = TrimBlanks(line);
    if (!trimmed.empty() && trimmed.front() == ';') return std::nullopt;
    std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{TrimBlanks(trimmed.substr(0, eq)), TrimBlanks(trimmed.substr(eq + 1))};
}

std::string LimitValue(std::string_view value) {
    if (value.size() > kIniMaxValue) {
        std::size_t keep = kIniMaxValue;
        // Do not keep the first byte of a double-byte character without its second byte.
        if (IsLeadByteAt(value, keep - 1)) --keep;
        value = value.substr(0, keep);
    }
    return std::string(value);
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace

IniWriteError::IniWriteError(const std::string& fileName)
    : std::runtime_error(fileName + Utf8ToSjis(" に書き込めません")), fileName_(fileName) {}

const std::vector<std::string>& TIniFile::Lines() const {
    if (!read_) {
        read_ = true;
        std::string data;
        const int error = ReadWholeFile(fileName_, data, kIniMaxFileSize);
        writable_ = error == 0 || error == ENOENT || error == ENOTDIR;
        lines_ = SplitFileLines(data);
    }
    return lines_;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
    bool inSection = false;
    for (const std::string& line : Lines()) {
        if (auto name = SectionOf(line)) {
            if (inSection) break; // only the first section of that name counts
            inSection = SameText(*name, section);
            continue;
        }
        if (!inSection) continue;
        if (auto entry = KeyOf(line); entry && SameText(entry->name, key)) {
            return LimitValue(Unquote(entry->value));
        }
    }
    return LimitValue(def);
}

bool TIniFile::TryWriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));

    std::vector<std::string> lines = Lines();
    if (!writable_) return false;

    const std::size_t none = static_cast<std::size_t>(-1);
    std::size_t sectionLine = none; // the header of the first section of that name
    std::size_t lastFilled = none;  // last non-blank line of that section
    std::size_t keyLine = none;
    std::string keyName;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionOf(lines[i])) {
            if (sectionLine != none) break;
            if (SameText(*name, section)) sectionLine = lastFilled = i;
            continue;
        }
        if (sectionLine == none) continue;
        if (!TrimBlanks(lines[i]).empty()) lastFilled = i;
        if (auto entry = KeyOf(lines[i]); entry && SameText(entry->name, key)) {
            keyLine = i;
            keyName = entry->name; // keep the spelling already in the file
            break;
        }
    }

    std::string newLine;
    if (keyLine != none) {
        lines[keyLine] = keyName + "=" + std::string(value);
    } else {
        newLine = std::string(key) + "=" + std::string(value);
        if (sectionLine != none) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastFilled + 1), newLine);
        } else {
            if (!lines.empty() && !TrimBlanks(lines.back()).empty()) lines.emplace_back();
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(newLine);
        }
    }

    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    // A file grown past what is read would be lost at the next start.
    if (out.size() > kIniMaxFileSize || !WriteFileAtomic(fileName_, out)) return false;
    lines_ = std::move(lines);
    return true;
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t def) const {
    return StrToIntDef(ReadString(section, key, ""), def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!TryWriteString(section, key, value)) throw IniWriteError(fileName_);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

} // namespace platform
