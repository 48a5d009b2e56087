#include "ansi_text.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdint>

namespace lumox::win32 {

namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// UTF-8 is converted by hand: Windows 95 knows no CP_UTF8.
void appendUtf8(std::string &out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i], advancing i; U+FFFD for a bad one.
std::uint32_t nextCodePoint(std::string_view text, std::size_t &i)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i++);
    if (lead < 0x80) {
        return lead;
    }
    int length = 0;
    std::uint32_t code = 0;
    std::uint32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 1;
        code = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 2;
        code = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 3;
        code = lead & 0x07;
        smallest = 0x10000;
    } else {
        return 0xFFFD;
    }
    for (int k = 0; k < length; ++k) {
        if (i >= text.size() || (byte(i) & 0xC0) != 0x80) {
            return 0xFFFD;
        }
        code = (code << 6) | (byte(i++) & 0x3F);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0xFFFD;
    }
    return code;
}

} // namespace

std::string ansiToUtf8(std::string_view ansi)
{
    if (isAscii(ansi)) {
        return std::string(ansi);
    }
    const int size = static_cast<int>(ansi.size());
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), size);
    std::string out;
    for (int i = 0; i < length; ++i) {
        std::uint32_t code = static_cast<std::uint16_t>(wide[i]);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < length) {
            const std::uint32_t low = static_cast<std::uint16_t>(wide[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        appendUtf8(out, code);
    }
    return out;
}

std::string utf8ToAnsi(std::string_view utf8)
{
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
    std::wstring wide;
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t code = nextCodePoint(utf8, i);
        if (code >= 0x10000) {
            code -= 0x10000;
            wide += static_cast<wchar_t>(0xD800 + (code >> 10));
            wide += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(code);
        }
    }
    const int size = static_cast<int>(wide.size());
    // A double-byte code page needs at most two bytes a character.
    std::string out(static_cast<std::size_t>(size) * 2, '\0');
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, out.data(),
                                           static_cast<int>(out.size()), "?", nullptr);
    out.resize(static_cast<std::size_t>(std::max(length, 0)));
    return out;
}

} // namespace lumox::win32
