#pragma once

#include <string_view>

// The program's identity, free of any toolkit so that both front ends and the
// version record say the same.
namespace lumox::identity {

// The name the program gives itself: window title, application name, page caption.
inline constexpr std::string_view programTitle = "Lumox 2000";
inline constexpr std::string_view executableName = "Lumox2k";
inline constexpr std::string_view projectName = "Lumox2000";
inline constexpr std::string_view description = "Speed up you 'Net connection!";
// The version as the program shows it, and as the four numbers of the version record.
inline constexpr std::string_view version = "1.00.0004";
inline constexpr std::string_view numericVersion = "1.0.0.4";
inline constexpr int versionMajor = 1;
inline constexpr int versionMinor = 0;
inline constexpr int versionPatch = 0;
inline constexpr int versionBuild = 4;
inline constexpr std::string_view organizationDomain = "example.com";

} // namespace lumox::identity
