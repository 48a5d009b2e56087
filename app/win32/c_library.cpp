// The few functions of the C library that the program, the compiler and the library
// headers call, for an executable that links no C runtime: the heap of malloc() and
// its kin is the process heap, and the memory and string functions are plain loops.
// This file is compiled without the compiler's built-in knowledge of these functions,
// so that it does not turn their loops back into calls of themselves.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstddef>

extern "C" {

void *__cdecl malloc(std::size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
}

void *__cdecl calloc(std::size_t count, std::size_t size)
{
    if (size != 0 && count > static_cast<std::size_t>(-1) / size) {
        return nullptr;
    }
    const std::size_t total = count * size;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, total != 0 ? total : 1);
}

void *__cdecl realloc(void *block, std::size_t size)
{
    if (block == nullptr) {
        return malloc(size);
    }
    return HeapReAlloc(GetProcessHeap(), 0, block, size != 0 ? size : 1);
}

void __cdecl free(void *block)
{
    if (block != nullptr) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

void *__cdecl memcpy(void *target, const void *source, std::size_t size)
{
    auto *to = static_cast<unsigned char *>(target);
    const auto *from = static_cast<const unsigned char *>(source);
    for (std::size_t i = 0; i < size; ++i) {
        to[i] = from[i];
    }
    return target;
}

void *__cdecl memmove(void *target, const void *source, std::size_t size)
{
    auto *to = static_cast<unsigned char *>(target);
    const auto *from = static_cast<const unsigned char *>(source);
    if (to < from) {
        for (std::size_t i = 0; i < size; ++i) {
            to[i] = from[i];
        }
    } else {
        for (std::size_t i = size; i > 0; --i) {
            to[i - 1] = from[i - 1];
        }
    }
    return target;
}

void *__cdecl memset(void *target, int value, std::size_t size)
{
    auto *to = static_cast<unsigned char *>(target);
    for (std::size_t i = 0; i < size; ++i) {
        to[i] = static_cast<unsigned char>(value);
    }
    return target;
}

int __cdecl memcmp(const void *left, const void *right, std::size_t size)
{
    const auto *a = static_cast<const unsigned char *>(left);
    const auto *b = static_cast<const unsigned char *>(right);
    for (std::size_t i = 0; i < size; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return 0;
}

void *__cdecl memchr(const void *block, int value, std::size_t size)
{
    const auto *at = static_cast<const unsigned char *>(block);
    for (std::size_t i = 0; i < size; ++i) {
        if (at[i] == static_cast<unsigned char>(value)) {
            return const_cast<unsigned char *>(at + i);
        }
    }
    return nullptr;
}

std::size_t __cdecl strlen(const char *text)
{
    std::size_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

int __cdecl strcmp(const char *left, const char *right)
{
    std::size_t i = 0;
    while (left[i] != '\0' && left[i] == right[i]) {
        ++i;
    }
    const auto a = static_cast<unsigned char>(left[i]);
    const auto b = static_cast<unsigned char>(right[i]);
    return a == b ? 0 : (a < b ? -1 : 1);
}

// The largest whole number not greater than value. Every float of 2^23 or more in
// magnitude is whole already; so are zeros, which keep their sign, infinities and NaN.
float __cdecl floorf(float value)
{
    constexpr float firstWithoutFraction = 8388608.0f;
    if (!(value > -firstWithoutFraction && value < firstWithoutFraction) || value == 0.0f) {
        return value;
    }
    auto whole = static_cast<float>(static_cast<int>(value));
    if (whole > value) {
        whole -= 1.0f;
    }
    return whole;
}

} // extern "C"
