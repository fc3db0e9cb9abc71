// Initialisation files (platform/IniFile.h): whatever a file holds, a write keeps its other
// lines and ends every line with CR LF, and the written value reads back as the header says
// (blanks around it dropped, one pair of quotes dropped, at most kIniMaxValue bytes).
//
// Input: the section and the key (a length byte each), two values (two length bytes each), an
// integer (4 bytes), then the file's first contents.
#include "fuzz/FuzzSupport.h"
#include "platform/IniFile.h"
#include "platform/Sjis.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A file in a private folder, removed when the run ends.
const std::string& FileName() {
    static std::string folder;
    static const std::string name = [] {
        std::string pattern = (fs::temp_directory_path() / "trov-fuzz-ini-XXXXXX").string();
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        folder = pattern;
        std::atexit([] {
            std::error_code error;
            fs::remove_all(folder, error);
        });
        return folder + "/Fuzz.ini";
    }();
    return name;
}

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& name, std::string_view bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
}

// Lines as the reader sees them: split at LF, a CR before it dropped.
std::vector<std::string> LinesOf(std::string_view data) {
    std::vector<std::string> lines;
    while (!data.empty()) {
        const std::size_t end = data.find('\n');
        std::string_view line = data.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        data.remove_prefix(end + 1);
    }
    return lines;
}

// The blanks a settings reader drops around names and values: space, tab, carriage return,
// vertical tab, form feed and the end-of-file mark (Ctrl-Z). Every other byte, any other
// control character and a full-width space included, is kept. Spelled out here, not taken from
// the reader, so that a fault in the reader's own list shows.
constexpr std::string_view kBlanks = " \t\r\v\f\x1A";

// `s` from its first to its last byte that is no blank; empty when it has none.
std::string_view Unblanked(std::string_view s) {
    const std::size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// What reading gives for a written value: cut at its first line break (or NUL), the blanks
// around it and one pair of enclosing quotes dropped, at most kIniMaxValue bytes and no lead
// byte left without its trail byte by the cut.
std::string ReadBack(std::string_view value) {
    value = Unblanked(value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3))));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > platform::kIniMaxValue) {
        std::size_t keep = platform::kIniMaxValue;
        if (platform::IsLeadByteAt(value, keep - 1)) --keep;
        value = value.substr(0, keep);
    }
    return std::string(value);
}

// A section and key that a file can hold as given: no line break, no blanks around them; the
// section not ending in a lead byte (which would take the closing ']'); the key without '=',
// not opening a comment or a section line.
bool CanBeNamed(std::string_view section, std::string_view key) {
    for (std::string_view name : {section, key}) {
        if (name.find_first_of("\r\n") != std::string_view::npos) return false;
        if (Unblanked(name) != name) return false;
    }
    if (!section.empty() && platform::IsLeadByteAt(section, section.size() - 1)) return false;
    if (key.find('=') != std::string_view::npos) return false;
    return key.empty() || (key.front() != ';' && key.front() != '[');
}

// `after` is `before` with at most one line replaced or up to three lines added (a new key,
// or an empty line, a section line and a key), every line of the file ending with CR LF.
void CheckKept(const std::vector<std::string>& before, const std::string& file) {
    FUZZ_CHECK(!file.empty() && file.back() == '\n');
    for (std::size_t i = 0; i < file.size(); ++i)
        if (file[i] == '\n') FUZZ_CHECK(i > 0 && file[i - 1] == '\r');
    const std::vector<std::string> after = LinesOf(file);
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const std::size_t removed = before.size() - head - tail;
    const std::size_t added = after.size() - head - tail;
    FUZZ_CHECK(removed <= 1 && added >= removed && added <= removed + 3);
}

void WriteAndRead(const std::string& name, std::string_view section, std::string_view key,
                  std::string_view value, bool named) {
    const std::vector<std::string> before = LinesOf(ReadFile(name));
    FUZZ_CHECK(platform::TIniFile(name).TryWriteString(section, key, value));
    // Names are written as given: one with an LF would break its own line.
    if (section.find('\n') == std::string_view::npos && key.find('\n') == std::string_view::npos)
        CheckKept(before, ReadFile(name));
    const std::string read = platform::TIniFile(name).ReadString(section, key, "\x01missing");
    FUZZ_CHECK(read.size() <= platform::kIniMaxValue);
    if (named) FUZZ_CHECK(read == ReadBack(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::TInput in(data, size);
    const std::string_view section = in.Piece8();
    const std::string_view key = in.Piece8();
    const std::string_view first = in.Piece16(3 * platform::kIniMaxValue);
    const std::string_view second = in.Piece16(3 * platform::kIniMaxValue);
    const auto number = static_cast<std::int32_t>(in.U32());
    const std::string& name = FileName();
    WriteFile(name, in.Rest());

    // Whatever the file holds, a read gives at most the limit; the default is cut to it too.
    const std::string def(platform::kIniMaxValue + 1, 'd');
    FUZZ_CHECK(platform::TIniFile(name).ReadString(section, key, def).size() <=
               platform::kIniMaxValue);

    // A new key (or the key the file has), then the same key again.
    const bool named = CanBeNamed(section, key);
    WriteAndRead(name, section, key, first, named);
    WriteAndRead(name, section, key, second, named);

    platform::TIniFile ini(name);
    ini.WriteInteger(section, key, number);
    if (named) {
        FUZZ_CHECK(ini.ReadInteger(section, key, number ^ 1) == number);
        FUZZ_CHECK(ini.ReadBool(section, key, number == 0) == (number != 0));
    }
    return 0;
}
