#include "machine_registry.h"
#include "registry_access.h"
#include "registry_store_suite.h"
#include "tuning_actions.h"
#include "win32/win32_registry_store.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumox::testing {
namespace {

const std::string netTransKey = "System\\CurrentControlSet\\Services\\Class\\NetTrans";

void deleteTree(const std::string &path)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
}

// The Windows registry of the Wine prefix, inspected through the registry API.
class Win32Backend final : public StoreBackend
{
public:
    Win32Backend() : m_scratch("Software\\Lumox Tests\\Scratch" + std::to_string(++s_count))
    {
        clear();
    }
    ~Win32Backend() override { clear(); }

    RegistryStore &store() override { return m_store; }
    std::string scratchKey() override { return m_scratch; }

    bool keyExists(std::string_view path) override
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(path).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }

    std::optional<StoredValue> readValue(std::string_view path, std::string_view name) override
    {
        bool terminated = false;
        std::optional<StoredValue> found = readMachineValue(path, name, &terminated);
        if (found && found->type == REG_SZ) {
            EXPECT_TRUE(terminated) << "the string value " << name << " lacks its terminating NUL";
        }
        return found;
    }

    void plantValue(std::string_view path, std::string_view name, std::string_view data) override
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(path).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::string text(data);
        EXPECT_EQ(RegSetValueExA(key, std::string(name).c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE *>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

private:
    void clear()
    {
        deleteTree(netTransKey);
        deleteTree(tcpKey);
        deleteTree(m_scratch);
    }

    static inline int s_count = 0;
    std::string m_scratch;
    Win32RegistryStore m_store;
};

INSTANTIATE_TEST_SUITE_P(Win32, RegistryStoreSuite,
                         ::testing::Values(BackendFactory{
                             "Win32", [] { return std::make_unique<Win32Backend>(); }}),
                         backendName);

// Passes everything on to the Windows store, except that the given write fails as a
// refused access would.
class RefusingStore final : public RegistryStore
{
public:
    RefusingStore(RegistryStore &inner, int refusedWrite) : m_inner(inner), m_refused(refusedWrite)
    {
    }

    RegistryResult openKey(RegistryHive hive, std::string_view path,
                           std::unique_ptr<RegistryKey> &key) override
    {
        return m_inner.openKey(hive, path, key);
    }
    RegistryResult createKey(RegistryHive hive, std::string_view path,
                             std::unique_ptr<RegistryKey> &key) override
    {
        return m_inner.createKey(hive, path, key);
    }
    RegistryResult setStringValue(RegistryKey &key, std::string_view name,
                                  std::string_view data) override
    {
        if (++m_writes == m_refused) {
            return RegistryResult::accessDenied("access is denied");
        }
        return m_inner.setStringValue(key, name, data);
    }
    RegistryResult deleteValue(RegistryKey &key, std::string_view name) override
    {
        return m_inner.deleteValue(key, name);
    }
    RegistryResult beginBatch() override { return m_inner.beginBatch(); }
    RegistryResult commitBatch() override { return m_inner.commitBatch(); }
    RegistryResult rollbackBatch() override { return m_inner.rollbackBatch(); }
    bool batchesAreAtomic() const override { return m_inner.batchesAreAtomic(); }

private:
    RegistryStore &m_inner;
    int m_refused;
    int m_writes = 0;
};

class Win32UndoTest : public ::testing::Test
{
protected:
    Win32Backend m_backend;
};

TEST_F(Win32UndoTest, AFailedFirstSaveRemovesTheKeysItCreated)
{
    // The first, a middle and the last MaxMTU write (the one to 0000), and the RWIN one.
    for (const int refused : {1, 4, 6, 7}) {
        RefusingStore store(m_backend.store(), refused);
        RegistryWriter RegEdit1(store);
        const ActionOutcome outcome = saveTuningValues(RegEdit1, "1500", "5840");
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_NE(outcome.text.find("access is denied. Nothing was saved."), std::string::npos)
            << outcome.text;
        EXPECT_FALSE(m_backend.keyExists(netTransKey)) << "write " << refused;
        EXPECT_FALSE(m_backend.keyExists(tcpKey)) << "write " << refused;
    }
}

TEST_F(Win32UndoTest, AFailedSaveRestoresThePreviousValues)
{
    m_backend.plantValue(tcpKey, "MaxConnectRetries", "3");
    {
        RegistryWriter RegEdit1(m_backend.store());
        ASSERT_TRUE(saveTuningValues(RegEdit1, "1500", "5840").succeeded);
    }
    RefusingStore store(m_backend.store(), 6);
    RegistryWriter RegEdit1(store);
    EXPECT_FALSE(saveTuningValues(RegEdit1, "576", "2144").succeeded);
    for (const char *binding : {"0001", "0002", "0003", "0004", "0005", "0000"}) {
        const std::optional<StoredValue> value =
            m_backend.readValue(netTransKey + "\\" + binding, "MaxMTU");
        ASSERT_TRUE(value) << binding;
        EXPECT_EQ(value->data, "1500") << binding;
    }
    EXPECT_EQ(m_backend.readValue(tcpKey, "DefaultRcvWindow")->data, "5840");
    EXPECT_EQ(m_backend.readValue(tcpKey, "MaxConnectRetries")->data, "3");
}

TEST_F(Win32UndoTest, ARolledBackResetPutsTheDeletedValuesBack)
{
    {
        RegistryWriter RegEdit1(m_backend.store());
        ASSERT_TRUE(saveTuningValues(RegEdit1, "1500", "5840").succeeded);
    }
    RegistryStore &store = m_backend.store();
    ASSERT_TRUE(store.beginBatch().ok());
    EXPECT_TRUE(modRegEdit::DeleteRegValue(store, netTransKey + "\\0001", "MaxMTU"));
    EXPECT_TRUE(modRegEdit::DeleteRegValue(store, tcpKey, "DefaultRcvWindow"));
    EXPECT_FALSE(m_backend.readValue(tcpKey, "DefaultRcvWindow"));
    ASSERT_TRUE(store.rollbackBatch().ok());
    EXPECT_EQ(m_backend.readValue(netTransKey + "\\0001", "MaxMTU")->data, "1500");
    EXPECT_EQ(m_backend.readValue(tcpKey, "DefaultRcvWindow")->data, "5840");
}

} // namespace
} // namespace lumox::testing
