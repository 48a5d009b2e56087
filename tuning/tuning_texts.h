#pragma once

#include <string>
#include <string_view>

// The texts that saving and resetting show, in one place below the front ends: the
// message boxes' titles and sentences. UTF-8 (all of them are plain ASCII). A reason
// is a store's explanation, ready to follow a colon and end a sentence.
namespace lumox::tuning_texts {

inline constexpr std::string_view savedTitle = "Saved!";
inline constexpr std::string_view notSavedTitle = "Not Saved";
inline constexpr std::string_view resetTitle = "Reset";
inline constexpr std::string_view notResetTitle = "Not Reset";

inline constexpr std::string_view nothingSaved = "Nothing was saved.";
inline constexpr std::string_view nothingReset = "Nothing was reset.";
inline constexpr std::string_view settingsReset = "Settings reset!";

// Why Save and Reset change nothing on Windows NT, 2000, XP and later, which never read
// the Windows 95 family's TCP/IP values.
inline constexpr std::string_view settingsKeptElsewhere =
    "This version of Windows keeps its TCP/IP settings elsewhere, so it would never read "
    "the MaxMTU and RWIN settings of Lumox 2000. Lumox 2000 tunes Windows 95, 98 and Me. "
    "Nothing was changed.";
inline constexpr std::string_view partlyChanged =
    "Some of the settings may have been changed all the same; press \"Reset To Default\" "
    "or save again.";

// The settings as the messages name them.
inline constexpr std::string_view mtuSetting = "MaxMTU";
inline constexpr std::string_view rwinSetting = "RWIN (DefaultRcvWindow)";
// The fields as the range sentences name them.
inline constexpr std::string_view mtuField = "MaxMTU";
inline constexpr std::string_view rwinField = "RWIN";

// The reason given when a store gave none.
inline constexpr std::string_view unknownError = "an unknown error occurred";

inline std::string rangeSentence(std::string_view field, unsigned long minimum,
                                 unsigned long maximum)
{
    return std::string(field) + " must be a whole number from " + std::to_string(minimum) + " to " +
           std::to_string(maximum) + ".";
}

inline std::string savedMessage(std::string_view mtu, std::string_view rwin)
{
    return "MaxMTU setting: " + std::string(mtu) + " & RWIN setting: " + std::string(rwin) +
           " saved! NOTE: Changes will only take affect after you have restarted your "
           "computer. Also note that this program does not have to be running in order "
           "for the new settings to be active.";
}

inline std::string notSavedBecause(std::string_view reason)
{
    return "The settings could not be saved: " + std::string(reason) + ".";
}

inline std::string notResetBecause(std::string_view reason)
{
    return "The settings could not be reset: " + std::string(reason) + ".";
}

inline std::string settingNotSaved(std::string_view setting, std::string_view key,
                                   std::string_view reason)
{
    return "The " + std::string(setting) + " setting could not be saved under " + std::string(key) +
           ": " + std::string(reason) + ".";
}

inline std::string settingNotRemoved(std::string_view setting, std::string_view key,
                                     std::string_view reason)
{
    return "The " + std::string(setting) + " setting could not be removed from " +
           std::string(key) + ": " + std::string(reason) + ".";
}

} // namespace lumox::tuning_texts
