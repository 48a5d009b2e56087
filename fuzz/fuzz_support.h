#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// Helpers shared by the fuzz targets: an invariant check that stops the process, and
// a reader that turns the fuzzer's bytes into decisions and strings.
namespace lumox::fuzzing {

// Stops the process with a message naming the broken invariant. The fuzz targets
// use it instead of assert() so that the checks stay on in every build type: a
// replay of the corpus in the ordinary build then fails just as the fuzzer would.
[[noreturn]] inline void invariantBroken(const char *file, int line, const char *condition,
                                         std::string_view detail)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    if (!detail.empty()) {
        std::fprintf(stderr, "  %.*s\n", static_cast<int>(detail.size()), detail.data());
    }
    std::fflush(stderr);
    std::abort();
}

// Escapes bytes for a failure message: printable ASCII as is, everything else as \xNN.
inline std::string printable(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            out += c;
        } else {
            constexpr std::string_view hex = "0123456789abcdef";
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0xf];
        }
    }
    return out;
}

// Reads the fuzzer's input from the front. Every read succeeds: once the input is
// used up, bytes read as zero and strings as empty, so any input decodes to
// something.
class InputReader
{
public:
    InputReader(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_size == 0; }
    std::size_t remaining() const { return m_size; }

    std::uint8_t byte()
    {
        if (m_size == 0) {
            return 0;
        }
        const std::uint8_t value = *m_data;
        ++m_data;
        --m_size;
        return value;
    }

    // A string of up to 255 bytes, written in the input as a length byte followed by
    // the bytes; a length beyond the end of the input takes what is left.
    std::string shortString()
    {
        const std::size_t length = byte();
        return bytes(length);
    }

    // The next count bytes, or all that are left when fewer remain.
    std::string bytes(std::size_t count)
    {
        const std::size_t taken = count < m_size ? count : m_size;
        std::string text(reinterpret_cast<const char *>(m_data), taken);
        m_data += taken;
        m_size -= taken;
        return text;
    }

    // Everything that is left.
    std::string rest() { return bytes(m_size); }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
};

} // namespace lumox::fuzzing

// Checks an invariant of the code under test; see invariantBroken().
#define LUMOX_FUZZ_CHECK(condition, detail)                                                        \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            ::lumox::fuzzing::invariantBroken(__FILE__, __LINE__, #condition, (detail));           \
        }                                                                                          \
    } while (false)
