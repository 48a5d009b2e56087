// The behaviour every registry store shares, run against each store. One file past 400
// lines: each store runs the whole suite, so it stays one list.
#include "registry_store_suite.h"

#include "registry_access.h"
#include "tuning_actions.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumox::testing {
namespace {

const std::string savedNote =
    " saved! NOTE: Changes will only take affect after you have restarted your computer. Also "
    "note that this program does not have to be running in order for the new settings to be "
    "active.";

std::optional<std::string> stringAt(StoreBackend &backend, std::string_view path,
                                    std::string_view name)
{
    const std::optional<StoredValue> value = backend.readValue(path, name);
    if (!value) {
        return std::nullopt;
    }
    EXPECT_EQ(value->type, kRegSzType) << path << " " << name << " is not a string value";
    return value->data;
}

void writeWithWriter(RegistryStore &store, std::string_view writerPath, std::string_view name,
                     std::string_view data)
{
    RegistryWriter writer(store);
    writer.setRoot(kLocalMachineRoot);
    writer.setKeyPath(writerPath);
    writer.setValueName(name);
    writer.setValue(data);
    ASSERT_TRUE(writer.PrepareKey().ok());
    const RegistryResult written = writer.WriteValue(kStringValueType);
    ASSERT_TRUE(written.ok()) << written.message;
}

// The deletion edge cases.

TEST_P(RegistryStoreSuite, DeletingFromAMissingKeyFailsAndCreatesNothing)
{
    const std::string parent = backend().scratchKey() + "\\Missing";
    RegistryResult outcome;
    EXPECT_FALSE(modRegEdit::DeleteRegValue(store(), parent + "\\Key", "MaxMTU", &outcome));
    EXPECT_EQ(outcome.status, RegistryStatus::NotFound) << outcome.message;
    EXPECT_FALSE(modRegEdit::DeleteRegValue(store(), parent + "\\Key", "MaxMTU"));
    EXPECT_FALSE(backend().keyExists(parent));
    EXPECT_FALSE(backend().keyExists(parent + "\\Key"));
}

TEST_P(RegistryStoreSuite, DeletingAnAbsentValueLeavesTheKeyAndItsOtherValues)
{
    const std::string key = backend().scratchKey() + "\\Bound";
    backend().plantValue(key, "Other", "kept");
    backend().plantValue(key, "MaxMTUs", "also kept");

    RegistryResult outcome;
    EXPECT_FALSE(modRegEdit::DeleteRegValue(store(), key, "MaxMTU", &outcome));
    EXPECT_EQ(outcome.status, RegistryStatus::NotFound) << outcome.message;
    EXPECT_TRUE(backend().keyExists(key));
    EXPECT_EQ(stringAt(backend(), key, "Other"), "kept");
    EXPECT_EQ(stringAt(backend(), key, "MaxMTUs"), "also kept");
}

TEST_P(RegistryStoreSuite, AnExistingValueIsDeletedOnceAndOnlyIt)
{
    const std::string key = backend().scratchKey() + "\\Bound";
    backend().plantValue(key, "MaxMTU", "1500");
    backend().plantValue(key, "Other", "kept");

    RegistryResult outcome;
    EXPECT_TRUE(modRegEdit::DeleteRegValue(store(), key, "MaxMTU", &outcome));
    EXPECT_TRUE(outcome.ok()) << outcome.message;
    EXPECT_FALSE(backend().readValue(key, "MaxMTU"));
    EXPECT_EQ(stringAt(backend(), key, "Other"), "kept");

    EXPECT_FALSE(modRegEdit::DeleteRegValue(store(), key, "MaxMTU", &outcome));
    EXPECT_EQ(outcome.status, RegistryStatus::NotFound) << outcome.message;
    EXPECT_TRUE(backend().keyExists(key));
}

// The writer.

TEST_P(RegistryStoreSuite, AnEmptyValueIsStoredAsAnEmptyString)
{
    const std::string key = backend().scratchKey() + "\\Empty";
    writeWithWriter(store(), "\\" + key, "MaxMTU", "");
    const std::optional<StoredValue> value = backend().readValue(key, "MaxMTU");
    ASSERT_TRUE(value) << "the empty value was skipped";
    EXPECT_EQ(value->type, kRegSzType);
    EXPECT_EQ(value->data, "");
}

TEST_P(RegistryStoreSuite, TheWriterAndTheDeleteFunctionMeetTheSameKey)
{
    const std::string key = backend().scratchKey() + "\\NetTrans\\0001";
    writeWithWriter(store(), "\\" + key, "MaxMTU", "1500");
    EXPECT_EQ(stringAt(backend(), key, "MaxMTU"), "1500");
    EXPECT_TRUE(modRegEdit::DeleteRegValue(store(), key, "MaxMTU"));
    EXPECT_FALSE(backend().readValue(key, "MaxMTU"));
}

TEST_P(RegistryStoreSuite, TheWriterKeepsEachSettingUntilItIsSetAgain)
{
    const std::string first = backend().scratchKey() + "\\First";
    const std::string second = backend().scratchKey() + "\\Second";
    RegistryWriter writer(store());
    writer.setRoot(kLocalMachineRoot);
    writer.setKeyPath("\\" + first);
    writer.setValueName("MaxMTU");
    writer.setValue("576");
    ASSERT_TRUE(writer.WriteValue(kStringValueType).ok());

    writer.setKeyPath("\\" + second);
    ASSERT_TRUE(writer.WriteValue(kStringValueType).ok());

    writer.setValueName("DefaultRcvWindow");
    writer.setValue("2144");
    ASSERT_TRUE(writer.WriteValue(kStringValueType).ok());

    EXPECT_EQ(stringAt(backend(), first, "MaxMTU"), "576");
    EXPECT_EQ(stringAt(backend(), second, "MaxMTU"), "576");
    EXPECT_EQ(stringAt(backend(), second, "DefaultRcvWindow"), "2144");
    EXPECT_FALSE(backend().readValue(first, "DefaultRcvWindow"));
    EXPECT_EQ(writer.root(), kLocalMachineRoot);
    EXPECT_EQ(writer.keyPath(), "\\" + second);
}

TEST_P(RegistryStoreSuite, TheWriterCreatesMissingKeysWithTheirParents)
{
    const std::string prepared = backend().scratchKey() + "\\Prepared\\Deeper";
    RegistryWriter writer(store());
    writer.setRoot(kLocalMachineRoot);
    writer.setKeyPath("\\" + prepared);
    ASSERT_TRUE(writer.PrepareKey().ok());
    EXPECT_TRUE(backend().keyExists(backend().scratchKey() + "\\Prepared"));
    EXPECT_TRUE(backend().keyExists(prepared));

    const std::string unprepared = backend().scratchKey() + "\\Unprepared\\Deeper";
    writer.setKeyPath("\\" + unprepared);
    writer.setValueName("DefaultRcvWindow");
    writer.setValue("5840");
    ASSERT_TRUE(writer.WriteValue(kStringValueType).ok());
    EXPECT_EQ(stringAt(backend(), unprepared, "DefaultRcvWindow"), "5840");
}

TEST_P(RegistryStoreSuite, TheWriterRefusesOtherRootsAndTypesAndWritesNothing)
{
    const std::string key = backend().scratchKey() + "\\Refused";
    RegistryWriter writer(store());
    writer.setKeyPath("\\" + key);
    writer.setValueName("MaxMTU");
    writer.setValue("1500");
    for (const std::int32_t root : {0, 1, 3, -2}) {
        writer.setRoot(root);
        EXPECT_FALSE(writer.PrepareKey().ok()) << "root " << root;
        EXPECT_FALSE(writer.WriteValue(kStringValueType).ok()) << "root " << root;
    }
    writer.setRoot(kLocalMachineRoot);
    for (const std::int32_t type : {1, 4, -1}) {
        EXPECT_FALSE(writer.WriteValue(type).ok()) << "type " << type;
    }
    writer.setKeyPath("\\");
    EXPECT_FALSE(writer.WriteValue(kStringValueType).ok());
    EXPECT_FALSE(backend().keyExists(key));
    EXPECT_FALSE(backend().keyExists(backend().scratchKey()));
}

TEST_P(RegistryStoreSuite, KeyPathsAndValueNamesIgnoreCase)
{
    const std::string key = backend().scratchKey() + "\\Mixed\\Case";
    writeWithWriter(store(), "\\" + key, "MaxMTU", "1500");
    std::string shouted = key;
    for (char &c : shouted) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    writeWithWriter(store(), "\\" + shouted, "MAXMTU", "576");
    EXPECT_EQ(stringAt(backend(), key, "maxmtu"), "576");

    EXPECT_TRUE(modRegEdit::DeleteRegValue(store(), shouted, "maxMtu"));
    EXPECT_FALSE(backend().readValue(key, "MaxMTU"));
}

TEST_P(RegistryStoreSuite, OpeningAMissingKeyIsNotFoundAndCreatingItMakesItExist)
{
    const std::string key = backend().scratchKey() + "\\Opened";
    std::unique_ptr<RegistryKey> handle;
    EXPECT_EQ(store().openKey(RegistryHive::LocalMachine, key, handle).status,
              RegistryStatus::NotFound);
    EXPECT_EQ(handle, nullptr);
    ASSERT_TRUE(store().createKey(RegistryHive::LocalMachine, key, handle).ok());
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(store().setStringValue(*handle, "Data", "text").ok());
    handle.reset();
    ASSERT_TRUE(store().openKey(RegistryHive::LocalMachine, key, handle).ok());
    EXPECT_EQ(stringAt(backend(), key, "Data"), "text");
}

TEST_P(RegistryStoreSuite, ARolledBackBatchLeavesTheStoreAsItWas)
{
    const std::string existing = backend().scratchKey() + "\\Existing";
    const std::string fresh = backend().scratchKey() + "\\Fresh\\Key";
    backend().plantValue(existing, "Changed", "before");
    backend().plantValue(existing, "Deleted", "before");

    ASSERT_TRUE(store().beginBatch().ok());
    std::unique_ptr<RegistryKey> key;
    ASSERT_TRUE(store().createKey(RegistryHive::LocalMachine, existing, key).ok());
    EXPECT_TRUE(store().setStringValue(*key, "Changed", "after").ok());
    EXPECT_TRUE(store().setStringValue(*key, "Added", "after").ok());
    EXPECT_TRUE(store().deleteValue(*key, "Deleted").ok());
    ASSERT_TRUE(store().createKey(RegistryHive::LocalMachine, fresh, key).ok());
    EXPECT_TRUE(store().setStringValue(*key, "Added", "after").ok());
    key.reset();
    EXPECT_TRUE(store().rollbackBatch().ok());

    EXPECT_EQ(stringAt(backend(), existing, "Changed"), "before");
    EXPECT_EQ(stringAt(backend(), existing, "Deleted"), "before");
    EXPECT_FALSE(backend().readValue(existing, "Added"));
    EXPECT_FALSE(backend().keyExists(backend().scratchKey() + "\\Fresh"));
}

TEST_P(RegistryStoreSuite, ACommittedBatchKeepsItsChanges)
{
    const std::string key = backend().scratchKey() + "\\Committed";
    ASSERT_TRUE(store().beginBatch().ok());
    EXPECT_FALSE(store().beginBatch().ok()) << "batches do not nest";
    std::unique_ptr<RegistryKey> handle;
    ASSERT_TRUE(store().createKey(RegistryHive::LocalMachine, key, handle).ok());
    EXPECT_TRUE(store().setStringValue(*handle, "MaxMTU", "1500").ok());
    handle.reset();
    EXPECT_TRUE(store().commitBatch().ok());
    EXPECT_TRUE(store().rollbackBatch().ok()) << "rolling back with no batch does nothing";
    EXPECT_EQ(stringAt(backend(), key, "MaxMTU"), "1500");
}

// The save and reset sequences against the real locations.

void expectSavedSet(StoreBackend &backend, std::string_view mtu, std::string_view rwin)
{
    for (const std::string &key : adapterKeys) {
        EXPECT_EQ(stringAt(backend, key, "MaxMTU"), std::string(mtu)) << key;
    }
    EXPECT_EQ(stringAt(backend, firstBindingKey, "MaxMTU"), std::string(mtu));
    EXPECT_EQ(stringAt(backend, tcpKey, "DefaultRcvWindow"), std::string(rwin));
}

void expectNothingStored(StoreBackend &backend)
{
    for (const std::string &key : adapterKeys) {
        EXPECT_FALSE(backend.readValue(key, "MaxMTU")) << key;
    }
    EXPECT_FALSE(backend.readValue(firstBindingKey, "MaxMTU"));
    EXPECT_FALSE(backend.readValue(tcpKey, "DefaultRcvWindow"));
}

TEST_P(RegistryStoreSuite, SavingWritesBothValuesToEveryLocationAndConfirms)
{
    RegistryWriter RegEdit1(store());
    const ActionOutcome outcome = saveTuningValues(RegEdit1, "1500", "5840");
    EXPECT_TRUE(outcome.succeeded) << outcome.text;
    EXPECT_EQ(outcome.title, "Saved!");
    EXPECT_EQ(outcome.text, "MaxMTU setting: 1500 & RWIN setting: 5840" + savedNote);
    expectSavedSet(backend(), "1500", "5840");
    EXPECT_FALSE(backend().readValue(sixthAdapterKey, "MaxMTU"));
}

TEST_P(RegistryStoreSuite, SavingWritesThePlainNumbers)
{
    RegistryWriter RegEdit1(store());
    const ActionOutcome outcome = saveTuningValues(RegEdit1, "  01500 ", "\t5840");
    EXPECT_TRUE(outcome.succeeded) << outcome.text;
    EXPECT_EQ(outcome.text, "MaxMTU setting: 1500 & RWIN setting: 5840" + savedNote);
    expectSavedSet(backend(), "1500", "5840");
}

TEST_P(RegistryStoreSuite, SavingAgainReplacesTheValues)
{
    RegistryWriter RegEdit1(store());
    ASSERT_TRUE(saveTuningValues(RegEdit1, "1500", "5840").succeeded);
    ASSERT_TRUE(saveTuningValues(RegEdit1, "576", "9999").succeeded);
    expectSavedSet(backend(), "576", "9999");
    ASSERT_TRUE(saveTuningValues(RegEdit1, "576", "9999").succeeded);
    expectSavedSet(backend(), "576", "9999");
}

TEST_P(RegistryStoreSuite, InvalidInputWritesNothingAtAll)
{
    RegistryWriter RegEdit1(store());
    for (const auto &[mtu, rwin] : {std::pair<std::string, std::string>{"", ""},
                                    {"1500", ""},
                                    {"15OO", "5840"},
                                    {"1500", "-5840"},
                                    {"67", "5840"},
                                    {"1500", "1073741824"}}) {
        const ActionOutcome outcome = saveTuningValues(RegEdit1, mtu, rwin);
        EXPECT_FALSE(outcome.succeeded) << mtu << " / " << rwin;
        EXPECT_NE(outcome.text.find("Nothing was saved."), std::string::npos) << outcome.text;
    }
    expectNothingStored(backend());
    EXPECT_FALSE(backend().keyExists(adapterKeys[1]));
    EXPECT_FALSE(backend().keyExists(tcpKey));
}

TEST_P(RegistryStoreSuite, ResettingRemovesTheTuningValuesAndNothingElse)
{
    for (const std::string &key : adapterKeys) {
        backend().plantValue(key, "DriverDesc", "TCP/IP");
    }
    backend().plantValue(sixthAdapterKey, "MaxMTU", "1400");
    backend().plantValue(tcpKey, "MaxConnectRetries", "3");

    RegistryWriter RegEdit1(store());
    ASSERT_TRUE(saveTuningValues(RegEdit1, "1500", "5840").succeeded);
    const ActionOutcome outcome = resetTuningValues(store());
    EXPECT_TRUE(outcome.succeeded) << outcome.text;
    EXPECT_EQ(outcome.title, "Reset");
    EXPECT_EQ(outcome.text, "Settings reset!");

    expectNothingStored(backend());
    for (const std::string &key : adapterKeys) {
        EXPECT_TRUE(backend().keyExists(key)) << key;
        EXPECT_EQ(stringAt(backend(), key, "DriverDesc"), "TCP/IP") << key;
    }
    EXPECT_EQ(stringAt(backend(), sixthAdapterKey, "MaxMTU"), "1400");
    EXPECT_EQ(stringAt(backend(), tcpKey, "MaxConnectRetries"), "3");
}

// A machine with one network adapter and TCP/IP only: TCP/IP is the transport binding
// 0000, with its description and addresses; 0001 to 0005 do not exist.
TEST_P(RegistryStoreSuite, TheMtuReachesTcpIpBoundAtTheFirstBindingAndLeavesAgain)
{
    const std::vector<std::pair<std::string, std::string>> binding = {
        {"DriverDesc", "TCP/IP"},      {"IPAddress", "192.168.1.20"},
        {"IPMask", "255.255.255.0"},   {"DefaultGateway", "192.168.1.1"},
        {"NameServer", "192.168.1.1"}, {"EnableDHCP", "0"},
    };
    for (const auto &[name, data] : binding) {
        backend().plantValue(firstBindingKey, name, data);
    }
    const auto expectBindingKept = [&](const char *when) {
        for (const auto &[name, data] : binding) {
            EXPECT_EQ(stringAt(backend(), firstBindingKey, name), data) << name << " " << when;
        }
    };

    RegistryWriter RegEdit1(store());
    ASSERT_TRUE(saveTuningValues(RegEdit1, "1500", "5840").succeeded);
    EXPECT_EQ(stringAt(backend(), firstBindingKey, "MaxMTU"), "1500");
    expectBindingKept("after saving");

    ASSERT_TRUE(resetTuningValues(store()).succeeded);
    EXPECT_FALSE(backend().readValue(firstBindingKey, "MaxMTU"));
    expectBindingKept("after resetting");
    expectNothingStored(backend());
}

TEST_P(RegistryStoreSuite, ResettingWithNothingSavedCreatesNoKeyAndConfirms)
{
    for (int round = 0; round < 2; ++round) {
        const ActionOutcome outcome = resetTuningValues(store());
        EXPECT_TRUE(outcome.succeeded) << outcome.text;
        EXPECT_EQ(outcome.title, "Reset");
        EXPECT_EQ(outcome.text, "Settings reset!");
    }
    for (const std::string &key : adapterKeys) {
        EXPECT_FALSE(backend().keyExists(key)) << key;
    }
    EXPECT_FALSE(backend().keyExists(firstBindingKey));
    EXPECT_FALSE(backend().keyExists(tcpKey));
}

TEST_P(RegistryStoreSuite, ResettingSomeValuesSkipsTheAbsentOnes)
{
    backend().plantValue(adapterKeys[2], "MaxMTU", "1500");
    backend().plantValue(tcpKey, "DefaultRcvWindow", "5840");
    const ActionOutcome outcome = resetTuningValues(store());
    EXPECT_TRUE(outcome.succeeded) << outcome.text;
    EXPECT_EQ(outcome.text, "Settings reset!");
    expectNothingStored(backend());
    EXPECT_FALSE(backend().keyExists(adapterKeys[0]));
}

TEST_P(RegistryStoreSuite, SavingAfterResettingWritesTheValuesAgain)
{
    RegistryWriter RegEdit1(store());
    ASSERT_TRUE(saveTuningValues(RegEdit1, "1500", "5840").succeeded);
    ASSERT_TRUE(resetTuningValues(store()).succeeded);
    ASSERT_TRUE(saveTuningValues(RegEdit1, "1500", "5840").succeeded);
    expectSavedSet(backend(), "1500", "5840");
}

} // namespace
} // namespace lumox::testing
