// What the C++ runtime gives a program built without exceptions, written here so that
// the compiled parts of libstdc++ stay out of the executable. The library's own
// copies come with its exception machinery (the unwinder, the emergency pool, the
// exception classes and the strings they carry), built for a later processor than
// the program's.
//
// The program allocates with new and delete only, and every place where the
// library's headers would throw ends the program at once, as an exception that
// nothing catches would.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <new>

void *operator new(std::size_t size)
{
    void *block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        std::abort();
    }
    return block;
}

void *operator new[](std::size_t size)
{
    return ::operator new(size);
}

void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    return std::malloc(size != 0 ? size : 1);
}

void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept
{
    return ::operator new(size, tag);
}

void operator delete(void *block) noexcept
{
    std::free(block);
}

void operator delete[](void *block) noexcept
{
    std::free(block);
}

void operator delete(void *block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void *block, std::size_t) noexcept
{
    std::free(block);
}

// The helpers that libstdc++'s headers call where a container, a string or a
// std::function would throw.
namespace std {

void __throw_bad_alloc()
{
    std::abort();
}

void __throw_bad_array_new_length()
{
    std::abort();
}

void __throw_length_error(const char *)
{
    std::abort();
}

void __throw_logic_error(const char *)
{
    std::abort();
}

void __throw_out_of_range(const char *)
{
    std::abort();
}

void __throw_out_of_range_fmt(const char *, ...)
{
    std::abort();
}

void __throw_invalid_argument(const char *)
{
    std::abort();
}

void __throw_bad_function_call()
{
    std::abort();
}

} // namespace std

// What a call of a pure virtual function (from a constructor or destructor of its
// class) or of a deleted virtual function reaches. libsupc++'s own copies write to the
// C runtime's standard error; without these the call would jump to address 0.
extern "C" [[noreturn]] void __cxa_pure_virtual()
{
    std::abort();
}

extern "C" [[noreturn]] void __cxa_deleted_virtual()
{
    std::abort();
}

// The monotonic clock that seeds the sponsor draw, from the performance counter, which
// every Windows from 95 on has; the library's own reads the time of day and comes with
// exception tables.
namespace std::chrono {
inline namespace _V2 {

steady_clock::time_point steady_clock::now() noexcept
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER count;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 ||
        !QueryPerformanceCounter(&count)) {
        return time_point(milliseconds(GetTickCount()));
    }
    constexpr long long perSecond = 1'000'000'000;
    const long long seconds = count.QuadPart / frequency.QuadPart;
    const long long rest = count.QuadPart % frequency.QuadPart;
    return time_point(nanoseconds(seconds * perSecond + rest * perSecond / frequency.QuadPart));
}

} // namespace _V2
} // namespace std::chrono
