#pragma once

#include <string_view>

// The program's identity, free of any toolkit so that both front ends and the
// version record say the same. The version is generated from project(VERSION) into
// lumox_version.h.
namespace lumox::identity {

// The name the program gives itself: window title, application name, page caption.
inline constexpr std::string_view programTitle = "Lumox 2000";
inline constexpr std::string_view executableName = "Lumox2k";
inline constexpr std::string_view projectName = "Lumox2000";
inline constexpr std::string_view description = "Speed up you 'Net connection!";
inline constexpr std::string_view organizationDomain = "example.com";

} // namespace lumox::identity
