#include "platform/SjisText.h"
#include "platform/Sjis.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace platform {

namespace {

// One iconv descriptor per direction, reset before each use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " +
                                     to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; an input sequence that cannot be converted is skipped (`step` bytes, or
    // what `stepAt` says for the bytes there) and `replacement` is written in its place.
    std::string Run(std::string_view in, std::string_view replacement, std::size_t step,
                    std::size_t (*stepAt)(std::string_view rest) = nullptr) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.reserve(in.size() * 2 + 8);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buf[1024];
        while (srcLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, dst - buf);
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                // EILSEQ, or EINVAL for a truncated sequence at the end: skip and mark it.
                std::size_t skip =
                    std::min(stepAt ? stepAt(std::string_view(src, srcLeft)) : step, srcLeft);
                src += skip;
                srcLeft -= skip;
                out.append(replacement);
            }
        }
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buf, dst - buf);
        return out;
    }

private:
    iconv_t cd_;
};

} // namespace

std::string Utf8ToSjis(std::string_view utf8) {
    thread_local Converter conv("CP932", "UTF-8");
    // One character at a time, so that a character without a Shift-JIS form becomes one '?'.
    std::string out;
    std::size_t start = 0;
    while (start < utf8.size()) {
        std::size_t len = 1;
        unsigned char c = static_cast<unsigned char>(utf8[start]);
        if (c >= 0xF0)
            len = 4;
        else if (c >= 0xE0)
            len = 3;
        else if (c >= 0xC0)
            len = 2;
        len = std::min(len, utf8.size() - start);
        out += conv.Run(utf8.substr(start, len), "?", len);
        start += len;
    }
    return out;
}

QString FromSjis(std::string_view bytes) {
    thread_local Converter conv("UTF-16LE", "CP932");
    std::string utf16 = conv.Run(bytes, std::string_view("\xFD\xFF", 2), 1);
    return QString(reinterpret_cast<const QChar*>(utf16.data()),
                   static_cast<qsizetype>(utf16.size() / 2));
}

std::string ToSjis(const QString& text) {
    thread_local Converter conv("CP932", "UTF-16LE");
    std::string_view in(reinterpret_cast<const char*>(text.utf16()),
                        static_cast<std::size_t>(text.size()) * 2);
    // A character outside the basic plane is a pair of UTF-16 units: one '?' for both.
    auto unitsOf = [](std::string_view rest) -> std::size_t {
        auto unit = [&](std::size_t at) {
            return static_cast<unsigned>(static_cast<unsigned char>(rest[at])) |
                   static_cast<unsigned>(static_cast<unsigned char>(rest[at + 1])) << 8;
        };
        if (rest.size() >= 4 && unit(0) >= 0xD800 && unit(0) < 0xDC00 && unit(2) >= 0xDC00 &&
            unit(2) < 0xE000)
            return 4;
        return 2;
    };
    return conv.Run(in, "?", 2, unitsOf);
}

} // namespace platform
