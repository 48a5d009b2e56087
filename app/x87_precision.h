#pragma once

// The floating-point state every start of the program sets up before it computes
// anything. The 32-bit Windows program does its double arithmetic on the x87 unit,
// whose precision control decides how many bits of the mantissa a result keeps. At 64
// bits, which the unit has after fninit, a result is rounded twice, first to 64 bits
// and then to the 53 bits of a double when it is stored, and a number read from text
// can come out one bit off ("4.98589769168472E36" as 4.9858976916847197e36 instead of
// 4.9858976916847203e36). At 53 bits every result is rounded once, as on every other
// processor.
namespace lumox {

// The control word Windows itself gives a program: 53-bit precision, rounding to
// nearest, every exception masked.
inline constexpr unsigned short windowsX87ControlWord = 0x027F;

// Resets the x87 unit and loads windowsX87ControlWord. Does nothing where there is no
// x87 unit. Called once at the very start, before any floating-point computation.
inline void useWindowsX87Precision()
{
#if defined(__i386__) || defined(__x86_64__)
    const unsigned short controlWord = windowsX87ControlWord;
    __asm__ volatile("fninit\n\tfldcw %0" : : "m"(controlWord));
#endif
}

} // namespace lumox
