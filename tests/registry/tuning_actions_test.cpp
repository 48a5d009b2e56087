// Saving and resetting over a scripted store. One file past 400 lines: every group
// drives the same scripted store defined at its top.
#include "registry_access.h"
#include "tuning_actions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumox {
namespace {

// An in-memory store that records every call and can be told to fail one of them.
class ScriptedStore final : public RegistryStore
{
public:
    struct Call
    {
        std::string operation;
        std::string path;
        std::string name;
        std::string data;

        bool operator==(const Call &) const = default;
    };

    std::vector<Call> calls;
    std::map<std::pair<std::string, std::string>, std::string> values;

    // The call number (counting from 1) that fails with failWith.
    std::optional<std::size_t> failAt;
    RegistryResult failWith = RegistryResult::accessDenied("access is denied");
    bool atomic = true;
    bool rollbackFails = false;

    RegistryResult openKey(RegistryHive, std::string_view path,
                           std::unique_ptr<RegistryKey> &key) override
    {
        key.reset();
        if (RegistryResult scripted = record("openKey", path); !scripted.ok()) {
            return scripted;
        }
        const bool exists = std::any_of(values.begin(), values.end(), [&](const auto &entry) {
            return entry.first.first == lowered(path);
        });
        if (!exists) {
            return RegistryResult::notFound("the key does not exist");
        }
        key = std::make_unique<Key>(lowered(path));
        return RegistryResult::success();
    }

    RegistryResult createKey(RegistryHive, std::string_view path,
                             std::unique_ptr<RegistryKey> &key) override
    {
        key.reset();
        if (RegistryResult scripted = record("createKey", path); !scripted.ok()) {
            return scripted;
        }
        key = std::make_unique<Key>(lowered(path));
        return RegistryResult::success();
    }

    RegistryResult setStringValue(RegistryKey &key, std::string_view name,
                                  std::string_view data) override
    {
        const std::string &path = static_cast<Key &>(key).path;
        if (RegistryResult scripted = record("setStringValue", path, name, data); !scripted.ok()) {
            return scripted;
        }
        values[{path, lowered(name)}] = std::string(data);
        return RegistryResult::success();
    }

    RegistryResult deleteValue(RegistryKey &key, std::string_view name) override
    {
        const std::string &path = static_cast<Key &>(key).path;
        if (RegistryResult scripted = record("deleteValue", path, name); !scripted.ok()) {
            return scripted;
        }
        return values.erase({path, lowered(name)}) == 1
                   ? RegistryResult::success()
                   : RegistryResult::notFound("the value does not exist");
    }

    RegistryResult beginBatch() override
    {
        m_before = values;
        return record("beginBatch");
    }
    RegistryResult commitBatch() override
    {
        RegistryResult committed = record("commitBatch");
        if (!committed.ok()) {
            values = m_before;
        }
        return committed;
    }
    RegistryResult rollbackBatch() override
    {
        record("rollbackBatch");
        if (rollbackFails) {
            return RegistryResult::failure("the registry could not be restored");
        }
        values = m_before;
        return RegistryResult::success();
    }
    bool batchesAreAtomic() const override { return atomic; }

    std::vector<std::string> operations() const
    {
        std::vector<std::string> names;
        for (const Call &call : calls) {
            names.push_back(call.operation);
        }
        return names;
    }

    static std::string lowered(std::string_view text)
    {
        std::string result(text);
        std::transform(result.begin(), result.end(), result.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return result;
    }

private:
    struct Key final : RegistryKey
    {
        explicit Key(std::string keyPath) : path(std::move(keyPath)) {}
        std::string path;
    };

    RegistryResult record(std::string operation, std::string_view path = {},
                          std::string_view name = {}, std::string_view data = {})
    {
        calls.push_back(
            {std::move(operation), std::string(path), std::string(name), std::string(data)});
        if (failAt && *failAt == calls.size()) {
            return failWith;
        }
        return RegistryResult::success();
    }

    std::map<std::pair<std::string, std::string>, std::string> m_before;
};

const std::string netTrans = "system\\currentcontrolset\\services\\class\\nettrans\\";
const std::string mstcp = "system\\currentcontrolset\\services\\vxd\\mstcp";

TEST(TuningNumbers, AcceptWholeDecimalNumbersWithinTheirRange)
{
    const std::vector<std::pair<std::string_view, std::uint32_t>> mtus = {
        {"68", 68},
        {"1500", 1500},
        {"65535", 65535},
        {" 576", 576},
        {"576\t ", 576},
        {"0000001500", 1500},
        // The calculator's blanks, so that what it reads as an MTU saves as one.
        {"\u00a01500", 1500},
        {"1500\n", 1500},
        {"\r1500\u3000", 1500},
    };
    for (const auto &[text, number] : mtus) {
        EXPECT_EQ(parseTuningNumber(text, kMaxMtuField), number) << '"' << text << '"';
    }
    const std::vector<std::pair<std::string_view, std::uint32_t>> windows = {
        {"1", 1},
        {"5840", 5840},
        {"65535", 65535},
        {"1073741823", 1073741823},
    };
    for (const auto &[text, number] : windows) {
        EXPECT_EQ(parseTuningNumber(text, kRwinField), number) << '"' << text << '"';
    }
}

TEST(TuningNumbers, RefuseEverythingElse)
{
    const std::string hugePaste(1024 * 1024, '7');
    const std::string paddedHugePaste = hugePaste + "1500";
    const std::vector<std::string_view> bad = {
        "",
        "   ",
        "67",
        "65536",
        "0",
        "4294967296",
        "99999999999999999999",
        "00000001500",
        "15OO",
        "abc",
        "1500abc",
        "1 500",
        "1,500",
        "1500.",
        "1500.0",
        "15.5",
        "-1500",
        "+1500",
        "1e3",
        "0x5dc",
        "\xd9\xa1\xd9\xa5\xd9\xa0\xd9\xa0",                 // Arabic-Indic digits
        "\xef\xbc\x91\xef\xbc\x95\xef\xbc\x90\xef\xbc\x90", // full-width digits
        "15\a00",
        "15\n00",
        std::string_view("1500\0", 5),
        hugePaste,
        paddedHugePaste,
    };
    for (const std::string_view text : bad) {
        EXPECT_FALSE(parseTuningNumber(text, kMaxMtuField))
            << '"' << text.substr(0, 40) << "\" (" << text.size() << " bytes)";
    }
    for (const std::string_view text : {"0", "1073741824", "-1", "4294967297"}) {
        EXPECT_FALSE(parseTuningNumber(text, kRwinField)) << text;
    }
}

TEST(SavingTuningValues, WritesInTheOrderOfTheBindingsAsOneBatch)
{
    ScriptedStore store;
    RegistryWriter RegEdit1(store);
    ASSERT_TRUE(saveTuningValues(RegEdit1, "1500", "5840").succeeded);

    std::vector<ScriptedStore::Call> writes;
    for (const ScriptedStore::Call &call : store.calls) {
        if (call.operation == "setStringValue") {
            writes.push_back(call);
        }
    }
    const std::vector<ScriptedStore::Call> expected = {
        {"setStringValue", netTrans + "0002", "MaxMTU", "1500"},
        {"setStringValue", netTrans + "0001", "MaxMTU", "1500"},
        {"setStringValue", netTrans + "0003", "MaxMTU", "1500"},
        {"setStringValue", netTrans + "0004", "MaxMTU", "1500"},
        {"setStringValue", netTrans + "0005", "MaxMTU", "1500"},
        {"setStringValue", netTrans + "0000", "MaxMTU", "1500"},
        {"setStringValue", mstcp, "DefaultRcvWindow", "5840"},
    };
    EXPECT_EQ(writes, expected);
    EXPECT_EQ(store.calls.front().operation, "beginBatch");
    EXPECT_EQ(store.calls.back().operation, "commitBatch");
    const std::vector<std::string> operations = store.operations();
    EXPECT_EQ(std::count(operations.begin(), operations.end(), "rollbackBatch"), 0);
    for (const ScriptedStore::Call &call : store.calls) {
        EXPECT_EQ(call.path.find("0006"), std::string::npos) << "0006 was touched";
    }
}

TEST(SavingTuningValues, InvalidTextsNameTheFieldAndTouchNothing)
{
    struct Case
    {
        std::string_view mtu;
        std::string_view rwin;
        std::string_view text;
    };
    const std::vector<Case> cases = {
        {"", "5840", "MaxMTU must be a whole number from 68 to 65535. Nothing was saved."},
        {"1500", "5840.5", "RWIN must be a whole number from 1 to 1073741823. Nothing was saved."},
        {"-1", "1e9",
         "MaxMTU must be a whole number from 68 to 65535. RWIN must be a whole number from 1 "
         "to 1073741823. Nothing was saved."},
    };
    for (const Case &c : cases) {
        ScriptedStore store;
        RegistryWriter RegEdit1(store);
        const ActionOutcome outcome = saveTuningValues(RegEdit1, c.mtu, c.rwin);
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(outcome.title, "Not Saved");
        EXPECT_EQ(outcome.text, c.text);
        EXPECT_TRUE(store.calls.empty()) << c.mtu << " / " << c.rwin;
    }
}

TEST(SavingTuningValues, AFailedWriteIsReportedAndRolledBack)
{
    // Call 1 opens the batch; each adapter binding then takes three calls
    // (PrepareKey, and WriteValue's createKey and setStringValue).
    struct Case
    {
        std::size_t failAt;
        RegistryResult failure;
        std::string_view expected;
    };
    const std::vector<Case> cases = {
        {4, RegistryResult::accessDenied("access is denied"),
         "The MaxMTU setting could not be saved under HKEY_LOCAL_MACHINE\\System\\"
         "CurrentControlSet\\Services\\Class\\NetTrans\\0002: access is denied. Nothing was "
         "saved."},
        {11, RegistryResult::failure("the disk is full."),
         "The MaxMTU setting could not be saved under HKEY_LOCAL_MACHINE\\System\\"
         "CurrentControlSet\\Services\\Class\\NetTrans\\0004: the disk is full. Nothing was "
         "saved."},
        {18, RegistryResult::accessDenied("access is denied"),
         "The MaxMTU setting could not be saved under HKEY_LOCAL_MACHINE\\System\\"
         "CurrentControlSet\\Services\\Class\\NetTrans\\0000: access is denied. Nothing was "
         "saved."},
        {21, RegistryResult::failure("the key is marked for deletion"),
         "The RWIN (DefaultRcvWindow) setting could not be saved under HKEY_LOCAL_MACHINE\\"
         "System\\CurrentControlSet\\Services\\VxD\\MSTCP: the key is marked for deletion. "
         "Nothing was saved."},
        {1, RegistryResult::accessDenied("the store is read-only"),
         "The settings could not be saved: the store is read-only. Nothing was saved."},
        {22, RegistryResult::failure("a disk error occurred"),
         "The settings could not be saved: a disk error occurred. Nothing was saved."},
    };
    for (const Case &c : cases) {
        ScriptedStore store;
        store.values[{netTrans + "0001", "maxmtu"}] = "576";
        store.failAt = c.failAt;
        store.failWith = c.failure;
        RegistryWriter RegEdit1(store);
        const ActionOutcome outcome = saveTuningValues(RegEdit1, "1500", "5840");
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(outcome.title, "Not Saved");
        EXPECT_EQ(outcome.text, c.expected);
        ASSERT_EQ(store.values.size(), 1u) << "failing at call " << c.failAt;
        EXPECT_EQ(store.values.begin()->second, "576");
        if (c.failAt > 1 && c.failAt < 22) {
            EXPECT_EQ(store.calls.back().operation, "rollbackBatch");
        }
    }
}

TEST(SavingTuningValues, APartlyUndoneSaveSaysSo)
{
    ScriptedStore store;
    store.atomic = false;
    store.rollbackFails = true;
    store.failAt = 7;
    RegistryWriter RegEdit1(store);
    const ActionOutcome outcome = saveTuningValues(RegEdit1, "1500", "5840");
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.text.find("Nothing was saved."), std::string::npos) << outcome.text;
    EXPECT_NE(outcome.text.find("may have been changed"), std::string::npos) << outcome.text;
}

TEST(ResettingTuningValues, DeletesEachValueOnceInOrderAsOneBatch)
{
    ScriptedStore store;
    store.values[{netTrans + "0003", "maxmtu"}] = "1500";
    store.values[{netTrans + "0003", "other"}] = "kept";
    const ActionOutcome outcome = resetTuningValues(store);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_EQ(outcome.title, "Reset");
    EXPECT_EQ(outcome.text, "Settings reset!");

    std::vector<std::string> opened;
    for (const ScriptedStore::Call &call : store.calls) {
        if (call.operation == "openKey") {
            opened.push_back(call.path);
        }
    }
    const std::vector<std::string> expected = {
        "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001",
        "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0002",
        "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0003",
        "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0004",
        "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0005",
        "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0000",
        "System\\CurrentControlSet\\Services\\VxD\\MSTCP",
    };
    EXPECT_EQ(opened, expected);
    EXPECT_EQ(store.calls.front().operation, "beginBatch");
    EXPECT_EQ(store.calls.back().operation, "commitBatch");
    const std::vector<std::string> operations = store.operations();
    EXPECT_EQ(std::count(operations.begin(), operations.end(), "createKey"), 0);
    EXPECT_EQ(std::count(operations.begin(), operations.end(), "setStringValue"), 0);
    ASSERT_EQ(store.values.size(), 1u);
    EXPECT_EQ(store.values.begin()->second, "kept");
}

TEST(ResettingTuningValues, AValueThatCannotBeDeletedIsReportedAndNothingIsReset)
{
    ScriptedStore store;
    for (const char *binding : {"0001", "0002", "0003"}) {
        store.values[{netTrans + binding, "maxmtu"}] = "1500";
    }
    // beginBatch, then openKey and deleteValue for 0001 and 0002, then for 0003.
    store.failAt = 7;
    const ActionOutcome outcome = resetTuningValues(store);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.title, "Not Reset");
    EXPECT_EQ(outcome.text, "The MaxMTU setting could not be removed from HKEY_LOCAL_MACHINE\\"
                            "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0003: access "
                            "is denied. Nothing was reset.");
    EXPECT_EQ(store.values.size(), 3u) << "the deletions before the failure were not undone";
}

TEST(ResettingTuningValues, AKeyThatCannotBeOpenedIsReported)
{
    ScriptedStore store;
    store.failAt = 2;
    store.failWith = RegistryResult::failure("the registry store is damaged");
    const ActionOutcome outcome = resetTuningValues(store);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_NE(outcome.text.find("NetTrans\\0001: the registry store is damaged."),
              std::string::npos)
        << outcome.text;
}

TEST(LaterWindows, SaveAndResetTouchNoStoreAndSaySoAfterTheValuesAreChecked)
{
    constexpr auto elsewhere = SystemReadsTuningValues::No;
    ScriptedStore store;
    RegistryWriter RegEdit1(store);

    ActionOutcome outcome = saveTuningValues(RegEdit1, "1500", "5840", elsewhere);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.title, "Not Saved");
    for (const std::string_view part : {"keeps its TCP/IP settings elsewhere",
                                        "tunes Windows 95, 98 and Me", "Nothing was changed."}) {
        EXPECT_NE(outcome.text.find(part), std::string::npos) << outcome.text;
    }
    const std::string refusal = outcome.text;

    // A bad value is still refused for what it is.
    outcome = saveTuningValues(RegEdit1, "1500", "0", elsewhere);
    EXPECT_EQ(outcome.title, "Not Saved");
    EXPECT_EQ(outcome.text, "RWIN must be a whole number from 1 to 1073741823. Nothing was saved.");

    outcome = resetTuningValues(store, elsewhere);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.title, "Not Reset");
    EXPECT_EQ(outcome.text, refusal);

    EXPECT_EQ(store.operations(), std::vector<std::string>{}) << "the store was touched";
}

} // namespace
} // namespace lumox
