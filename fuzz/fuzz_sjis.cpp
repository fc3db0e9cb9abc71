// Shift-JIS conversion (platform/Sjis.h, platform/SjisText.h) against the code page itself:
// tables made once from the C library's converter, character by character, say what every
// conversion of a whole text must give.
//
// Input: one byte choosing the part, then
//   0: character numbers (2 bytes each) picking a valid CP932 text, which must come back
//      byte for byte through UTF-8 and through QString;
//   1: bytes read as Shift-JIS;
//   2: bytes read as UTF-8;
//   3: bytes read as UTF-16 code units (little-endian), lone surrogates included.
#include "fuzz/FuzzSupport.h"
#include "platform/Sjis.h"
#include "platform/SjisText.h"

#include <QString>
#include <array>
#include <iconv.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The code page character by character.
struct TCodePage {
    // Per code point of the basic plane: its Shift-JIS bytes; empty when it has none.
    std::vector<std::string> encode = std::vector<std::string>(0x10000);
    // Per byte that opens no double-byte character: its code point, or -1.
    std::array<int, 256> single{};
    // Per lead byte * 256 + trail byte: the code point, or -1.
    std::vector<int> pair = std::vector<int>(0x10000, -1);
    // Every character whose code point converts back to its own bytes.
    std::vector<std::string> valid;
};

// Converts `in` whole with a fresh descriptor; false when any of it does not convert.
bool Convert(const char* to, const char* from, std::string_view in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    FUZZ_CHECK(cd != reinterpret_cast<iconv_t>(-1));
    char buffer[16];
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const bool done =
        iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) && srcLeft == 0;
    iconv_close(cd);
    out.assign(buffer, static_cast<std::size_t>(dst - buffer));
    return done;
}

// The one code point that `bytes` stand for, or -1.
int Decode(std::string_view bytes) {
    std::string utf32;
    if (!Convert("UTF-32LE", "CP932", bytes, utf32) || utf32.size() != 4) return -1;
    int cp = 0;
    for (int i = 3; i >= 0; --i) cp = cp * 256 + static_cast<unsigned char>(utf32[i]);
    return cp;
}

const TCodePage& CodePage() {
    static const TCodePage page = [] {
        TCodePage p;
        for (int cp = 0; cp < 0x10000; ++cp) {
            if (cp >= 0xD800 && cp <= 0xDFFF) continue;
            const char utf32[4] = {static_cast<char>(cp & 0xFF), static_cast<char>(cp >> 8), 0, 0};
            std::string bytes;
            if (Convert("CP932", "UTF-32LE", std::string_view(utf32, 4), bytes))
                p.encode[cp] = bytes;
        }
        for (int b = 0; b < 256; ++b) {
            const std::string bytes(1, static_cast<char>(b));
            p.single[b] =
                platform::IsSjisLeadByte(static_cast<unsigned char>(b)) ? -1 : Decode(bytes);
            if (p.single[b] >= 0 && p.single[b] < 0x10000 && p.encode[p.single[b]] == bytes)
                p.valid.push_back(bytes);
            if (!platform::IsSjisLeadByte(static_cast<unsigned char>(b))) continue;
            for (int t = 0; t < 256; ++t) {
                const std::string two = {static_cast<char>(b), static_cast<char>(t)};
                const int cp = Decode(two);
                p.pair[b * 256 + t] = cp;
                if (cp >= 0 && cp < 0x10000 && p.encode[cp] == two) p.valid.push_back(two);
            }
        }
        FUZZ_CHECK(p.valid.size() > 7000);
        return p;
    }();
    return page;
}

// Shift-JIS bytes as the code page reads them, every byte that starts no character becoming
// U+FFFD.
QString Read(std::string_view bytes) {
    const TCodePage& page = CodePage();
    std::u16string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        int cp = -1;
        if (!platform::IsSjisLeadByte(b))
            cp = page.single[b];
        else if (i + 1 < bytes.size())
            cp = page.pair[b * 256 + static_cast<unsigned char>(bytes[i + 1])];
        if (cp < 0 || cp >= 0x10000) {
            out += kReplacement;
            ++i;
        } else {
            out += static_cast<char16_t>(cp);
            i += platform::IsSjisLeadByte(b) ? 2 : 1;
        }
    }
    return QString::fromStdU16String(out);
}

// A text as the code page writes it, every character it cannot hold becoming '?': a lone
// surrogate is one character, a surrogate pair one too (taking `marksPerPair` marks).
// One '?' for each character that Shift-JIS cannot hold, also for a character outside the
// basic plane (a pair of UTF-16 units).
std::string Write(const QString& text) {
    const TCodePage& page = CodePage();
    std::string out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += '?';
            ++i;
        } else if (QChar::isSurrogate(u) || page.encode[u].empty()) {
            out += '?';
        } else {
            out += page.encode[u];
        }
    }
    return out;
}

bool IsValidSjis(std::string_view bytes) {
    return !Read(bytes).contains(QChar(kReplacement));
}

QString FromUtf16(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       static_cast<unsigned char>(bytes[i + 1]) << 8);
    return QString::fromStdU16String(units);
}

void CheckValidText(fuzz::TInput& in) {
    const TCodePage& page = CodePage();
    std::string text;
    std::vector<bool> starts; // per byte: the first byte of a double-byte character
    while (in.Left() > 0) {
        const std::string& c = page.valid[in.U16() % page.valid.size()];
        text += c;
        starts.push_back(c.size() == 2);
        if (c.size() == 2) starts.push_back(false);
    }
    const QString wide = platform::FromSjis(text);
    const std::string utf8 = wide.toUtf8().toStdString();
    FUZZ_CHECK(platform::Utf8ToSjis(utf8) == text);
    FUZZ_CHECK(platform::ToSjis(wide) == text);
    // Judging every byte walks the text each time: the first bytes are enough.
    for (std::size_t i = 0; i < text.size() && i < 256; ++i)
        FUZZ_CHECK(platform::IsLeadByteAt(text, i) == starts[i]);
}

void CheckSjisBytes(std::string_view bytes) {
    const QString expected = Read(bytes);
    const QString wide = platform::FromSjis(bytes);
    FUZZ_CHECK(wide == expected);
    FUZZ_CHECK(platform::ToSjis(wide) == Write(wide));
}

void CheckUtf8Bytes(std::string_view bytes) {
    const std::string sjis = platform::Utf8ToSjis(bytes);
    FUZZ_CHECK(IsValidSjis(sjis));
    const QString wide = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (wide.toUtf8().toStdString() != bytes) return; // not UTF-8
    FUZZ_CHECK(sjis == Write(wide));
    FUZZ_CHECK(platform::ToSjis(wide) == Write(wide));
}

void CheckUtf16Units(std::string_view bytes) {
    const QString wide = FromUtf16(bytes);
    const std::string sjis = platform::ToSjis(wide);
    FUZZ_CHECK(IsValidSjis(sjis));
    FUZZ_CHECK(sjis == Write(wide));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::TInput in(data, size);
    switch (in.Byte() % 4) {
    case 0:
        CheckValidText(in);
        break;
    case 1:
        CheckSjisBytes(in.Rest());
        break;
    case 2:
        CheckUtf8Bytes(in.Rest());
        break;
    default:
        CheckUtf16Units(in.Rest());
        break;
    }
    return 0;
}
