#pragma once

#include "registry_access.h"
#include "tuning_texts.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Saving the two tuning values into the registry and resetting them to the TCP/IP
// stack's defaults. These are the whole of what the save and reset buttons do,
// except for showing the returned message; nothing here depends on Qt.
namespace lumox {

// Where the tuning values live, all under HKEY_LOCAL_MACHINE. The delete form of a
// key path has no leading backslash; the writer form is the same path with one.
inline constexpr std::array<std::string_view, 5> kAdapterKeys = {
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001",
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0002",
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0003",
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0004",
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0005",
};
// The first binding of the network transport class. Windows numbers the instance keys
// of a device class from 0000, so on a machine with one network adapter and TCP/IP
// only, TCP/IP is bound there and reads its MaxMTU from there alone. Saving writes it
// after the five keys above, in the place where a sixth one (0006) would come;
// resetting deletes it in the same place.
inline constexpr std::string_view kFirstBindingKey =
    "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000";
inline constexpr std::string_view kTcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
inline constexpr std::string_view kMaxMtuValueName = "MaxMTU";
inline constexpr std::string_view kRcvWindowValueName = "DefaultRcvWindow";

// A number the user types, with the name the user knows it by and its allowed range.
struct TuningField
{
    std::string_view name;
    std::uint32_t minimum;
    std::uint32_t maximum;
};

// MaxMTU: from the smallest MTU an IPv4 host must accept to the largest an IP
// packet can have.
inline constexpr TuningField kMaxMtuField = {tuning_texts::mtuField, 68, 65535};

// RWIN: up to the largest receive window that TCP window scaling allows.
inline constexpr TuningField kRwinField = {tuning_texts::rwinField, 1, 1073741823};

// Reads text as a whole decimal number within field's range. Blanks around the
// number, those the calculator allows (see withoutBlanks), are ignored; anything else that is not
// an ASCII digit (signs, points, exponents, letters, control characters, digits of other scripts)
// makes the text invalid, as does a number of more than ten digits, leading zeros
// included. Returns the number, or nothing when the text is invalid or out of range.
std::optional<std::uint32_t> parseTuningNumber(std::string_view text, const TuningField &field);

// Whether the running system reads the two values where saving puts them. The
// Windows 95 family (Windows 95, 98 and Me) does; Windows NT and every later Windows
// keep their TCP/IP settings elsewhere and never look at these keys. The Linux edition,
// whose store is its own file, counts as a system that reads them.
enum class SystemReadsTuningValues
{
    Yes,
    No,
};

// What an action did, for the message box that reports it: succeeded is false when
// the action changed nothing or could not finish. title and text are UTF-8.
struct ActionOutcome
{
    bool succeeded;
    std::string title;
    std::string text;
};

// Saves the two values typed by the user: mtuText as "MaxMTU" under each of the five
// adapter binding keys, in the order 0002, 0001, 0003, 0004, 0005, and then under the
// first binding key (0000), then rwinText as "DefaultRcvWindow" under the TCP stack
// key, all through RegEdit1 (whose settings are left as the last write set them). Both texts are
// checked first with parseTuningNumber(); if either is invalid nothing is written and the outcome
// names the field and its range. What is written is the plain number, without blanks or leading
// zeros. The seven writes form one batch of the writer's store: if any write fails the batch is
// rolled back and the outcome says what could not be saved and why. On success the outcome is the
// "Saved!" message, quoting the numbers written. When system is SystemReadsTuningValues::No, valid
// texts are refused instead: nothing reaches RegEdit1 or its store, and the outcome, titled "Not
// Saved", says that this Windows keeps its settings elsewhere and nothing was changed.
ActionOutcome saveTuningValues(RegistryWriter &RegEdit1, std::string_view mtuText,
                               std::string_view rwinText,
                               SystemReadsTuningValues system = SystemReadsTuningValues::Yes);

// Deletes "MaxMTU" from each of the five adapter binding keys (0001 to 0005) and then
// from the first binding key (0000), and "DefaultRcvWindow" from the TCP stack key, through
// modRegEdit::DeleteRegValue, as one batch of store. A value or key that is not there is skipped;
// resetting never creates a key or, for a file store, the file. If a value that is there cannot be
// deleted, the batch is rolled back and the outcome says which value and why.
// Otherwise the outcome is the "Settings reset!" message. When system is
// SystemReadsTuningValues::No, store is not touched at all and the outcome, titled
// "Not Reset", says that this Windows keeps its settings elsewhere.
ActionOutcome resetTuningValues(RegistryStore &store,
                                SystemReadsTuningValues system = SystemReadsTuningValues::Yes);

} // namespace lumox
