#include "registry_access.h"
#include "registry_store_suite.h"
#include "sqlite_registry_store.h"
#include "sqlite_test_support.h"
#include "tuning_actions.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lumox::testing {
namespace {

// Makes file a store with the documented keys table and the given values table, as
// another program might.
void plantStore(const std::filesystem::path &file, const std::string &valuesTable)
{
    writeFileBytes(file, "");
    RawStore raw(file);
    raw.scalar("CREATE TABLE reg_keys (hive TEXT NOT NULL, path TEXT NOT NULL COLLATE NOCASE, "
               "PRIMARY KEY (hive, path)) WITHOUT ROWID");
    raw.scalar(valuesTable);
    raw.scalar("PRAGMA user_version = " + std::to_string(kDocumentedSchemaVersion));
}

class SqliteBackend final : public StoreBackend
{
public:
    SqliteBackend()
        : m_file(m_folder.path() / "data" / "registry.sqlite3"), m_store(m_file), m_raw(m_file)
    {
    }

    RegistryStore &store() override { return m_store; }
    std::string scratchKey() override { return "Software\\Lumox Tests\\Scratch"; }
    bool keyExists(std::string_view path) override { return m_raw.keyExists(path); }
    std::optional<StoredValue> readValue(std::string_view path, std::string_view name) override
    {
        return m_raw.value(path, name);
    }
    void plantValue(std::string_view path, std::string_view name, std::string_view data) override
    {
        std::filesystem::create_directories(m_file.parent_path());
        m_raw.plant(path, name, data);
    }

private:
    TemporaryFolder m_folder;
    std::filesystem::path m_file;
    SqliteRegistryStore m_store;
    RawStore m_raw;
};

INSTANTIATE_TEST_SUITE_P(Sqlite, RegistryStoreSuite,
                         ::testing::Values(BackendFactory{
                             "Sqlite", [] { return std::make_unique<SqliteBackend>(); }}),
                         backendName);

const std::string firstAdapterKey = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\0001";

// Sets an environment variable for the life of the object, then puts it back.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const char *value) : m_name(name)
    {
        if (const char *old = std::getenv(name)) {
            m_old = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment()
    {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }

private:
    const char *m_name;
    std::optional<std::string> m_old;
};

TEST(SqliteStoreLocation, FollowsXdgDataHomeAndFallsBackToTheHomeFolder)
{
    {
        ScopedEnvironment xdg("XDG_DATA_HOME", "/srv/data");
        ScopedEnvironment home("HOME", "/home/pat");
        EXPECT_EQ(defaultRegistryStorePath(), "/srv/data/lumox2000/registry.sqlite3");
    }
    {
        ScopedEnvironment xdg("XDG_DATA_HOME", nullptr);
        ScopedEnvironment home("HOME", "/home/pat");
        EXPECT_EQ(defaultRegistryStorePath(), "/home/pat/.local/share/lumox2000/registry.sqlite3");
    }
    for (const char *ignored : {"", "relative/data"}) {
        ScopedEnvironment xdg("XDG_DATA_HOME", ignored);
        ScopedEnvironment home("HOME", "/home/pat");
        EXPECT_EQ(defaultRegistryStorePath(), "/home/pat/.local/share/lumox2000/registry.sqlite3")
            << "XDG_DATA_HOME=\"" << ignored << "\"";
    }
}

TEST(SqliteStoreLocation, TheDefaultStoreIsCreatedOnlyByTheFirstSave)
{
    TemporaryFolder folder;
    ScopedEnvironment xdg("XDG_DATA_HOME", folder.path().c_str());
    const std::filesystem::path file = folder.path() / "lumox2000" / "registry.sqlite3";

    std::unique_ptr<RegistryStore> store = makeDefaultRegistryStore();
    EXPECT_FALSE(std::filesystem::exists(file.parent_path())) << "making the store touched it";

    const ActionOutcome reset = resetTuningValues(*store);
    EXPECT_TRUE(reset.succeeded) << reset.text;
    EXPECT_EQ(reset.text, "Settings reset!");
    EXPECT_FALSE(std::filesystem::exists(file.parent_path())) << "resetting created the folder";

    RegistryWriter RegEdit1(*store);
    const ActionOutcome saved = saveTuningValues(RegEdit1, "1500", "5840");
    ASSERT_TRUE(saved.succeeded) << saved.text;
    ASSERT_TRUE(std::filesystem::exists(file));
    struct stat status
    {
    };
    ASSERT_EQ(::stat(file.parent_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u) << "the new data folder is not private";
    EXPECT_EQ(RawStore(file).value(tcpKey, "DefaultRcvWindow")->data, "5840");
}

class SqliteStoreTest : public ::testing::Test
{
protected:
    std::filesystem::path file() const { return m_folder.path() / "registry.sqlite3"; }

    ActionOutcome save(std::string_view mtu, std::string_view rwin)
    {
        SqliteRegistryStore store(file());
        RegistryWriter RegEdit1(store);
        return saveTuningValues(RegEdit1, mtu, rwin);
    }

    ActionOutcome reset()
    {
        SqliteRegistryStore store(file());
        return resetTuningValues(store);
    }

    TemporaryFolder m_folder;
};

TEST_F(SqliteStoreTest, TheFileFollowsTheDocumentedLayout)
{
    ASSERT_TRUE(save("1500", "5840").succeeded);
    RawStore raw(file());
    EXPECT_EQ(raw.scalar("PRAGMA user_version"), std::to_string(kDocumentedSchemaVersion));
    // A rollback journal that goes with the commit: nothing stays beside the file that
    // could later be paired with another one.
    EXPECT_EQ(raw.scalar("PRAGMA journal_mode"), "delete");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_EQ(raw.scalar("SELECT group_concat(name, ',') FROM "
                         "(SELECT name FROM pragma_table_info('reg_values') ORDER BY cid)"),
              "hive,path,name,type,data");
    EXPECT_EQ(raw.scalar("SELECT group_concat(name, ',') FROM "
                         "(SELECT name FROM pragma_table_info('reg_keys') ORDER BY cid)"),
              "hive,path");
    EXPECT_EQ(raw.scalar("SELECT count(*) FROM reg_values WHERE hive = 'HKEY_LOCAL_MACHINE' "
                         "AND type = 1 AND substr(path, 1, 1) <> '\\'"),
              "7");
    EXPECT_EQ(raw.scalar("SELECT count(*) FROM reg_values"), "7");
    // Every parent of a key is a key of its own, as in the registry.
    EXPECT_EQ(raw.scalar("SELECT count(*) FROM reg_keys WHERE path IN ('System', "
                         "'System\\CurrentControlSet\\Services\\Class\\NetTrans', "
                         "'System\\CurrentControlSet\\Services\\VxD')"),
              "3");
}

TEST_F(SqliteStoreTest, AStoreWrittenByAnotherProgramFollowingTheLayoutIsUsed)
{
    RawStore raw(file());
    raw.plant(firstAdapterKey, "MaxMTU", "1400");
    raw.plant(firstAdapterKey, "DriverDesc", "TCP/IP");
    raw.close();

    ASSERT_TRUE(reset().succeeded);
    EXPECT_FALSE(raw.value(firstAdapterKey, "MaxMTU"));
    EXPECT_EQ(raw.value(firstAdapterKey, "DriverDesc")->data, "TCP/IP");
}

TEST_F(SqliteStoreTest, AnEmptyFileBecomesAStoreOnlyWhenSaving)
{
    writeFileBytes(file(), "");
    const ActionOutcome resetOutcome = reset();
    EXPECT_TRUE(resetOutcome.succeeded) << resetOutcome.text;
    EXPECT_EQ(std::filesystem::file_size(file()), 0u) << "resetting wrote to the empty file";

    const ActionOutcome saved = save("576", "2144");
    ASSERT_TRUE(saved.succeeded) << saved.text;
    EXPECT_EQ(RawStore(file()).value(tcpKey, "DefaultRcvWindow")->data, "2144");
}

TEST_F(SqliteStoreTest, AFailedWriteInTheMiddleOfASaveKeepsThePreviousSet)
{
    // Another program's store that follows the layout, with a check of its own that
    // refuses one of the values half-way through the save: under a binding in the
    // middle, and under the first binding, written last of the MTUs.
    for (const std::string binding : {"0004", "0000"}) {
        std::filesystem::remove(file());
        plantStore(file(), "CREATE TABLE reg_values (hive TEXT NOT NULL, path TEXT NOT NULL "
                           "COLLATE NOCASE, name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT "
                           "NULL, data TEXT NOT NULL, PRIMARY KEY (hive, path, name), "
                           "CHECK (NOT (path LIKE '%\\" +
                               binding + "' AND data = '576'))) WITHOUT ROWID;");
        SqliteRegistryStore store(file());
        RegistryWriter RegEdit1(store);
        ASSERT_TRUE(saveTuningValues(RegEdit1, "1500", "5840").succeeded);

        const ActionOutcome outcome = saveTuningValues(RegEdit1, "576", "2144");
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(outcome.title, "Not Saved");
        EXPECT_NE(outcome.text.find("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\"
                                    "Class\\NetTrans\\" +
                                    binding),
                  std::string::npos)
            << outcome.text;
        EXPECT_NE(outcome.text.find("Nothing was saved."), std::string::npos) << outcome.text;

        RawStore raw(file());
        EXPECT_EQ(raw.scalar("SELECT group_concat(data, ',') FROM "
                             "(SELECT data FROM reg_values ORDER BY path)"),
                  "1500,1500,1500,1500,1500,1500,5840")
            << binding;
    }
}

TEST_F(SqliteStoreTest, ObjectsThatCanChangeWhatIsWrittenAreNeverReportedSaved)
{
    const std::string rewrite = "CREATE TRIGGER t1 AFTER UPDATE ON reg_values WHEN "
                                "new.data<>'9999' BEGIN UPDATE reg_values SET data='9999' "
                                "WHERE hive=new.hive AND path=new.path AND name=new.name; END";
    const auto expectKept = [this](const ActionOutcome &outcome, std::string_view planted) {
        EXPECT_FALSE(outcome.succeeded) << planted;
        EXPECT_EQ(outcome.title, "Not Saved") << planted;
        EXPECT_NE(outcome.text.find("Nothing was saved."), std::string::npos) << outcome.text;
        EXPECT_EQ(RawStore(file()).scalar("SELECT group_concat(data, ',') FROM "
                                          "(SELECT data FROM reg_values ORDER BY path)"),
                  "1500,1500,1500,1500,1500,1500,5840")
            << planted;
    };

    // Planted before the store is opened: refused as another program's file.
    for (const std::string &planted :
         {rewrite, std::string("CREATE VIEW mtus AS SELECT data FROM reg_values"),
          std::string("CREATE TABLE notes (hive TEXT, path TEXT, FOREIGN KEY (hive, path) "
                      "REFERENCES reg_keys (hive, path) ON DELETE CASCADE)")}) {
        std::filesystem::remove(file());
        ASSERT_TRUE(save("1500", "5840").succeeded);
        RawStore(file()).scalar(planted);
        const ActionOutcome outcome = save("1400", "5440");
        expectKept(outcome, planted);
        EXPECT_NE(outcome.text.find("another program"), std::string::npos) << outcome.text;
    }

    // A column that turns the text written into a number passes every check of the
    // layout: the values read back give it away.
    std::filesystem::remove(file());
    plantStore(file(), "CREATE TABLE reg_values (hive TEXT NOT NULL, path TEXT NOT NULL "
                       "COLLATE NOCASE, name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT "
                       "NULL, data REAL NOT NULL, PRIMARY KEY (hive, path, name)) "
                       "WITHOUT ROWID;");
    const ActionOutcome outcome = save("1400", "5440");
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_NE(outcome.text.find("Nothing was saved."), std::string::npos) << outcome.text;
    EXPECT_NE(outcome.text.find("\"1400.0\" instead of \"1400\""), std::string::npos)
        << outcome.text;
    EXPECT_EQ(RawStore(file()).scalar("SELECT count(*) FROM reg_values"), "0");
}

TEST_F(SqliteStoreTest, AStoreReplacedWhileInUseIsFollowed)
{
    SqliteRegistryStore store(file());
    RegistryWriter RegEdit1(store);
    ASSERT_TRUE(saveTuningValues(RegEdit1, "1500", "5840").succeeded);

    std::filesystem::remove(file());
    const ActionOutcome outcome = resetTuningValues(store);
    EXPECT_TRUE(outcome.succeeded) << outcome.text;
    EXPECT_FALSE(std::filesystem::exists(file())) << "resetting brought the file back";

    ASSERT_TRUE(saveTuningValues(RegEdit1, "576", "2144").succeeded);
    EXPECT_EQ(RawStore(file()).value(firstAdapterKey, "MaxMTU")->data, "576");
}

TEST_F(SqliteStoreTest, KeyPathsTheRegistryCouldNotHoldAreRefused)
{
    SqliteRegistryStore store(file());
    std::unique_ptr<RegistryKey> key;
    for (const std::string_view path : {"", "\\System", "System\\", "System\\\\Services"}) {
        EXPECT_EQ(store.createKey(RegistryHive::LocalMachine, path, key).status,
                  RegistryStatus::Failure)
            << path;
    }
    EXPECT_FALSE(std::filesystem::exists(file()));
}

} // namespace
} // namespace lumox::testing
