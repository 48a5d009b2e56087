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

namespace t = tuning_texts;

// The longest text a valid number can have: 1073741823 has ten digits.
constexpr std::size_t kMaxDigits = 10;

std::string rangeSentence(const TuningField &field)
{
    return t::rangeSentence(field.name, field.minimum, field.maximum);
}

// A store's explanation, ready to follow a colon and end a sentence.
std::string reasonOf(const RegistryResult &result)
{
    std::string reason = result.message.empty() ? std::string(t::unknownError) : result.message;
    while (!reason.empty() && reason.back() == '.') {
        reason.pop_back();
    }
    return reason;
}

std::string keyName(std::string_view keyPath)
{
    return std::string(hiveName(RegistryHive::LocalMachine)) + "\\" + std::string(keyPath);
}

// Whether a failed commit left the store as it was before the batch.
bool failedCommitChangedNothing(const RegistryStore &store, const RegistryResult &committed)
{
    return store.batchesAreAtomic() && !committed.changedAnyway;
}

// Undoes the open batch after a failure and finishes the message accordingly.
ActionOutcome abandonBatch(RegistryStore &store, std::string_view title, std::string text,
                           std::string_view nothingChanged)
{
    const RegistryResult undone = store.rollbackBatch();
    text += ' ';
    text += undone.ok() ? nothingChanged : t::partlyChanged;
    return {false, std::string(title), std::move(text)};
}

// Writes both values through RegEdit1 inside the store's open batch. On a failure the
// batch is undone and the outcome says what could not be saved; otherwise nothing.
std::optional<ActionOutcome> writeTuningValues(RegistryWriter &RegEdit1,
                                               const std::string &mtuValue,
                                               const std::string &rwinValue)
{
    const auto writeFailed = [&RegEdit1](std::string_view setting, std::string_view keyPath,
                                         const RegistryResult &result) {
        return abandonBatch(RegEdit1.store(), t::notSavedTitle,
                            t::settingNotSaved(setting, keyName(keyPath), reasonOf(result)),
                            t::nothingSaved);
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
            return writeFailed(t::mtuSetting, keyPath, written);
        }
    }

    RegEdit1.setRoot(kLocalMachineRoot);
    RegEdit1.setValueName(kRcvWindowValueName);
    RegEdit1.setValue(rwinValue);
    RegEdit1.setKeyPath("\\" + std::string(kTcpKey));
    if (RegistryResult written = RegEdit1.WriteValue(kStringValueType); !written.ok()) {
        return writeFailed(t::rwinSetting, kTcpKey, written);
    }
    return std::nullopt;
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
        text += t::nothingSaved;
        return {false, std::string(t::notSavedTitle), std::move(text)};
    }
    if (system == SystemReadsTuningValues::No) {
        return {false, std::string(t::notSavedTitle), std::string(t::settingsKeptElsewhere)};
    }
    const std::string mtuValue = std::to_string(*mtu);
    const std::string rwinValue = std::to_string(*rwin);

    RegistryStore &store = RegEdit1.store();
    if (RegistryResult begun = store.beginBatch(); !begun.ok()) {
        return {false, std::string(t::notSavedTitle),
                t::notSavedBecause(reasonOf(begun)) + " " + std::string(t::nothingSaved)};
    }
    if (std::optional<ActionOutcome> failed = writeTuningValues(RegEdit1, mtuValue, rwinValue)) {
        return std::move(*failed);
    }
    if (RegistryResult committed = store.commitBatch(); !committed.ok()) {
        return {false, std::string(t::notSavedTitle),
                t::notSavedBecause(reasonOf(committed)) + " " +
                    std::string(failedCommitChangedNothing(store, committed) ? t::nothingSaved
                                                                             : t::partlyChanged)};
    }
    return {true, std::string(t::savedTitle), t::savedMessage(mtuValue, rwinValue)};
}

ActionOutcome resetTuningValues(RegistryStore &store, SystemReadsTuningValues system)
{
    if (system == SystemReadsTuningValues::No) {
        return {false, std::string(t::notResetTitle), std::string(t::settingsKeptElsewhere)};
    }
    if (RegistryResult begun = store.beginBatch(); !begun.ok()) {
        return {false, std::string(t::notResetTitle),
                t::notResetBecause(reasonOf(begun)) + " " + std::string(t::nothingReset)};
    }

    struct Deletion
    {
        std::string_view setting;
        std::string_view keyPath;
        std::string_view valueName;
    };
    const std::array<Deletion, 7> deletions = {{
        {t::mtuSetting, kAdapterKeys[0], kMaxMtuValueName},
        {t::mtuSetting, kAdapterKeys[1], kMaxMtuValueName},
        {t::mtuSetting, kAdapterKeys[2], kMaxMtuValueName},
        {t::mtuSetting, kAdapterKeys[3], kMaxMtuValueName},
        {t::mtuSetting, kAdapterKeys[4], kMaxMtuValueName},
        {t::mtuSetting, kFirstBindingKey, kMaxMtuValueName},
        {t::rwinSetting, kTcpKey, kRcvWindowValueName},
    }};
    for (const Deletion &deletion : deletions) {
        RegistryResult outcome;
        if (modRegEdit::DeleteRegValue(store, deletion.keyPath, deletion.valueName, &outcome) ||
            outcome.status == RegistryStatus::NotFound) {
            continue;
        }
        return abandonBatch(
            store, t::notResetTitle,
            t::settingNotRemoved(deletion.setting, keyName(deletion.keyPath), reasonOf(outcome)),
            t::nothingReset);
    }

    if (RegistryResult committed = store.commitBatch(); !committed.ok()) {
        return {false, std::string(t::notResetTitle),
                t::notResetBecause(reasonOf(committed)) + " " +
                    std::string(failedCommitChangedNothing(store, committed) ? t::nothingReset
                                                                             : t::partlyChanged)};
    }
    return {true, std::string(t::resetTitle), std::string(t::settingsReset)};
}

} // namespace lumox
