#pragma once

#include <string>
#include <string_view>

// The Win32 front end speaks the ANSI code page (the A functions); the shared core
// speaks UTF-8. These convert between the two. Pure ASCII passes unchanged.
namespace lumox::win32 {

// Text in the system's ANSI code page as UTF-8.
std::string ansiToUtf8(std::string_view ansi);

// UTF-8 text in the system's ANSI code page. Characters the code page lacks, and
// bytes that are not UTF-8, become "?".
std::string utf8ToAnsi(std::string_view utf8);

} // namespace lumox::win32
