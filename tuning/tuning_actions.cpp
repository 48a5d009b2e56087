#include "tuning_actions.h"

#include "rwin_rules.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace lumox {

namespace {

constexpr std::string_view kSavedTitle = "Saved!";
constexpr std::string_view kNotSavedTitle = "Not Saved";
constexpr std::string_view kResetTitle = "Reset";
constexpr std::string_view kNotResetTitle = "Not Reset";
constexpr std::string_view kNothingSaved = "Nothing was saved.";
constexpr std::string_view kNothingReset = "Nothing was reset.";
// Why Save and Reset change nothing on Windows NT, 2000, XP and later, which never read
// the Windows 95 family's TCP/IP values.
constexpr std::string_view kSettingsKeptElsewhere =
    "This version of Windows keeps its TCP/IP settings elsewhere, so it would never read "
    "the MaxMTU and RWIN settings of Lumox 2000. Lumox 2000 tunes Windows 95, 98 and Me. "
    "Nothing was changed.";
constexpr std::string_view kPartlyChanged =
    "Some of the settings may have been changed all the same; press \"Reset To Default\" "
    "or save again.";

// The longest text a valid number can have: 1073741823 has ten digits.
constexpr std::size_t kMaxDigits = 10;

std::string rangeSentence(const TuningField &field)
{
    return std::string(field.name) + " must be a whole number from " +
           std::to_string(field.minimum) + " to " + std::to_string(field.maximum) + ".";
}

// A store's explanation, ready to follow a colon and end a sentence.
std::string reasonOf(const RegistryResult &result)
{
    std::string reason = result.message.empty() ? "an unknown error occurred" : result.message;
    while (!reason.empty() && reason.back() == '.') {
        reason.pop_back();
    }
    return reason;
}

std::string keyName(std::string_view keyPath)
{
    return std::string(hiveName(RegistryHive::LocalMachine)) + "\\" + std::string(keyPath);
}

// Undoes the open batch after a failure and finishes the message accordingly.
ActionOutcome abandonBatch(RegistryStore &store, std::string_view title, std::string text,
                           std::string_view nothingChanged)
{
    const RegistryResult undone = store.rollbackBatch();
    text += ' ';
    text += undone.ok() ? nothingChanged : kPartlyChanged;
    return {false, std::string(title), std::move(text)};
}

} // namespace

std::optional<std::uint32_t> parseTuningNumber(std::string_view text, const TuningField &field)
{
    const std::string_view digits = withoutBlanks(text);
    if (digits.empty() || digits.size() > kMaxDigits) {
        return std::nullopt;
    }
    std::uint64_t number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (number < field.minimum || number > field.maximum) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(number);
}

ActionOutcome saveTuningValues(RegistryWriter &RegEdit1, std::string_view mtuText,
                               std::string_view rwinText, SystemReadsTuningValues system)
{
    const std::optional<std::uint32_t> mtu = parseTuningNumber(mtuText, kMaxMtuField);
    const std::optional<std::uint32_t> rwin = parseTuningNumber(rwinText, kRwinField);
    if (!mtu || !rwin) {
        std::string text;
        if (!mtu) {
            text += rangeSentence(kMaxMtuField) + " ";
        }
        if (!rwin) {
            text += rangeSentence(kRwinField) + " ";
        }
        text += kNothingSaved;
        return {false, std::string(kNotSavedTitle), std::move(text)};
    }
    if (system == SystemReadsTuningValues::No) {
        return {false, std::string(kNotSavedTitle), std::string(kSettingsKeptElsewhere)};
    }
    const std::string mtuValue = std::to_string(*mtu);
    const std::string rwinValue = std::to_string(*rwin);

    RegistryStore &store = RegEdit1.store();
    if (RegistryResult begun = store.beginBatch(); !begun.ok()) {
        return {false, std::string(kNotSavedTitle),
                "The settings could not be saved: " + reasonOf(begun) + ". " +
                    std::string(kNothingSaved)};
    }

    auto writeFailed = [&](std::string_view setting, std::string_view keyPath,
                           const RegistryResult &result) {
        return abandonBatch(store, kNotSavedTitle,
                            "The " + std::string(setting) + " setting could not be saved under " +
                                keyName(keyPath) + ": " + reasonOf(result) + ".",
                            kNothingSaved);
    };

    // The five adapter binding keys in their order, then the first binding.
    const std::array<std::string_view, 6> mtuKeys = {kAdapterKeys[1], kAdapterKeys[0],
                                                     kAdapterKeys[2], kAdapterKeys[3],
                                                     kAdapterKeys[4], kFirstBindingKey};
    RegEdit1.setRoot(kLocalMachineRoot);
    RegEdit1.setValueName(kMaxMtuValueName);
    RegEdit1.setValue(mtuValue);
    for (const std::string_view keyPath : mtuKeys) {
        RegEdit1.setKeyPath("\\" + std::string(keyPath));
        RegistryResult written = RegEdit1.PrepareKey();
        if (written.ok()) {
            written = RegEdit1.WriteValue(kStringValueType);
        }
        if (!written.ok()) {
            return writeFailed("MaxMTU", keyPath, written);
        }
    }

    RegEdit1.setRoot(kLocalMachineRoot);
    RegEdit1.setValueName(kRcvWindowValueName);
    RegEdit1.setValue(rwinValue);
    RegEdit1.setKeyPath("\\" + std::string(kTcpKey));
    if (RegistryResult written = RegEdit1.WriteValue(kStringValueType); !written.ok()) {
        return writeFailed("RWIN (DefaultRcvWindow)", kTcpKey, written);
    }

    if (RegistryResult committed = store.commitBatch(); !committed.ok()) {
        return {false, std::string(kNotSavedTitle),
                "The settings could not be saved: " + reasonOf(committed) + ". " +
                    std::string(store.batchesAreAtomic() ? kNothingSaved : kPartlyChanged)};
    }

    return {true, std::string(kSavedTitle),
            "MaxMTU setting: " + mtuValue + " & RWIN setting: " + rwinValue +
                " saved! NOTE: Changes will only take affect after you have restarted your "
                "computer. Also note that this program does not have to be running in order "
                "for the new settings to be active."};
}

ActionOutcome resetTuningValues(RegistryStore &store, SystemReadsTuningValues system)
{
    if (system == SystemReadsTuningValues::No) {
        return {false, std::string(kNotResetTitle), std::string(kSettingsKeptElsewhere)};
    }
    if (RegistryResult begun = store.beginBatch(); !begun.ok()) {
        return {false, std::string(kNotResetTitle),
                "The settings could not be reset: " + reasonOf(begun) + ". " +
                    std::string(kNothingReset)};
    }

    struct Deletion
    {
        std::string_view setting;
        std::string_view keyPath;
        std::string_view valueName;
    };
    const std::array<Deletion, 7> deletions = {{
        {"MaxMTU", kAdapterKeys[0], kMaxMtuValueName},
        {"MaxMTU", kAdapterKeys[1], kMaxMtuValueName},
        {"MaxMTU", kAdapterKeys[2], kMaxMtuValueName},
        {"MaxMTU", kAdapterKeys[3], kMaxMtuValueName},
        {"MaxMTU", kAdapterKeys[4], kMaxMtuValueName},
        {"MaxMTU", kFirstBindingKey, kMaxMtuValueName},
        {"RWIN (DefaultRcvWindow)", kTcpKey, kRcvWindowValueName},
    }};
    for (const Deletion &deletion : deletions) {
        RegistryResult outcome;
        if (modRegEdit::DeleteRegValue(store, deletion.keyPath, deletion.valueName, &outcome) ||
            outcome.status == RegistryStatus::NotFound) {
            continue;
        }
        return abandonBatch(store, kNotResetTitle,
                            "The " + std::string(deletion.setting) +
                                " setting could not be removed from " + keyName(deletion.keyPath) +
                                ": " + reasonOf(outcome) + ".",
                            kNothingReset);
    }

    if (RegistryResult committed = store.commitBatch(); !committed.ok()) {
        return {false, std::string(kNotResetTitle),
                "The settings could not be reset: " + reasonOf(committed) + ". " +
                    std::string(store.batchesAreAtomic() ? kNothingReset : kPartlyChanged)};
    }
    return {true, std::string(kResetTitle), "Settings reset!"};
}

} // namespace lumox
