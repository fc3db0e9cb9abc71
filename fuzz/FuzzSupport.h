#pragma once
// What the harnesses share: the check that stops a run on a broken promise, and a reader that
// takes typed pieces from the front of a fuzz input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Stops the run when a promised property does not hold: libFuzzer keeps the input as a crash,
// the corpus replay fails with this message.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: broken promise: %s\n", __FILE__, __LINE__, #condition);   \
            std::fflush(stderr);                                                                   \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (0)

namespace fuzz {

// Reads the input from its front. Reading past the end gives zeros and short texts, so that
// every input, however short, means something.
class TInput {
public:
    TInput(const std::uint8_t* data, std::size_t size)
        : data_(reinterpret_cast<const char*>(data), size) {}

    std::size_t Left() const { return data_.size(); }

    std::uint8_t Byte() {
        if (data_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(data_.front());
        data_.remove_prefix(1);
        return b;
    }
    // Little-endian.
    std::uint16_t U16() { return static_cast<std::uint16_t>(Unsigned(2)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Unsigned(4)); }
    std::uint64_t U64() { return Unsigned(8); }

    // The next `n` bytes, fewer at the end.
    std::string_view Bytes(std::size_t n) {
        const std::string_view bytes = data_.substr(0, n);
        data_.remove_prefix(bytes.size());
        return bytes;
    }
    // A length byte, then that many bytes.
    std::string_view Piece8() { return Bytes(Byte()); }
    // Two length bytes (at most `limit`), then that many bytes.
    std::string_view Piece16(std::size_t limit) { return Bytes(U16() % (limit + 1)); }
    std::string_view Rest() { return Bytes(data_.size()); }

private:
    std::uint64_t Unsigned(int n) {
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(Byte()) << (8 * i);
        return v;
    }

    std::string_view data_;
};

} // namespace fuzz
