// The store's promises against what lies beside it and around it: refusals that end
// with their cause, journals and logs that are not the store's own, companions removed
// under a running program, folders others may change, and a folder swapped for a link
// while saving.
#include "registry_access.h"
#include "sqlite_registry_store.h"
#include "sqlite_test_support.h"
#include "store_file.h"
#include "tuning_actions.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace lumox::testing {
namespace {

TEST(StoreSafety, ARefusalDoesNotOutliveTheSaveItRefused)
{
    TemporaryFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    const std::filesystem::path file = folder.path() / "lumox2000" / "registry.sqlite3";
    ASSERT_TRUE(saveInto(file, 1500).succeeded);
    giveToNobody(file.parent_path());
    // One run of the program: started while the file is read-only, it saves, resets
    // and saves again once the file may be written.
    const std::optional<ActionOutcome> outcome = runConstrained([&file] {
        SqliteRegistryStore store(file);
        RegistryWriter RegEdit1(store);
        const auto save = [&] {
            return saveTuningValues(RegEdit1, "576", std::to_string(pairedWindow(576)));
        };
        ::chmod(file.c_str(), 0400);
        const ActionOutcome refused = save();
        ::chmod(file.c_str(), 0600);
        if (refused.succeeded || refused.text.find("is read-only") == std::string::npos) {
            return ActionOutcome{false, "while read-only", refused.text};
        }
        if (const ActionOutcome reset = resetTuningValues(store); !reset.succeeded) {
            return ActionOutcome{false, "reset", reset.text};
        }
        return save();
    });
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->succeeded) << outcome->title << ": " << outcome->text;
    EXPECT_EQ(completeSet(file), 576u);
}

TEST(StoreSafety, RemovingWhatLiesBesideTheStoreCannotMakeASaveUntrue)
{
    TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "registry.sqlite3";
    SqliteRegistryStore store(file);
    RegistryWriter RegEdit1(store);
    const auto save = [&](std::uint32_t mtu) {
        return saveTuningValues(RegEdit1, std::to_string(mtu), std::to_string(pairedWindow(mtu)));
    };
    ASSERT_TRUE(save(1500).succeeded);
    for (const char *companion : {"-wal", "-shm", "-journal"}) {
        std::filesystem::remove(file.string() + companion);
    }
    EXPECT_TRUE(save(576).succeeded);
    EXPECT_TRUE(save(1492).succeeded);
    // What a program started now (or after a crash of this one) finds.
    EXPECT_EQ(completeSet(file), 1492u);
}

// A store in folder with 1500 saved, and what another program's connection keeps
// beside it in the middle of changing it: the file and its write-ahead log after a
// committed change, or its rollback journal before one.
struct StoreWithCompanion
{
    std::string file;
    std::string companion;
};

StoreWithCompanion storeWithCompanion(const std::filesystem::path &folder, bool log)
{
    const std::filesystem::path file = folder / "registry.sqlite3";
    EXPECT_TRUE(saveInto(file, 1500).succeeded);
    sqlite3 *db = nullptr;
    EXPECT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    const char *change = log ? "PRAGMA journal_mode = WAL; UPDATE reg_values SET data = '1400' "
                               "WHERE name = 'MaxMTU'"
                             : "BEGIN IMMEDIATE; UPDATE reg_values SET data = '1400'";
    EXPECT_EQ(sqlite3_exec(db, change, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    StoreWithCompanion taken{fileBytes(file).value_or(""),
                             fileBytes(file.string() + (log ? "-wal" : "-journal")).value_or("")};
    sqlite3_close(db);
    std::string &journal = taken.companion;
    if (!log && journal.size() > 28) {
        // SQLite marks the journal and counts its records once it has synchronised it,
        // just before it writes the file; killed after that, it leaves this.
        const auto number = [&](std::size_t at) {
            std::uint32_t value = 0;
            for (std::size_t i = at; i < at + 4; ++i) {
                value = value << 8 | static_cast<unsigned char>(journal[i]);
            }
            return value;
        };
        const std::uint32_t records =
            static_cast<std::uint32_t>((journal.size() - number(20)) / (number(24) + 8));
        journal.replace(
            0, 12,
            std::string("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8) +
                std::string{static_cast<char>(records >> 24), static_cast<char>(records >> 16),
                            static_cast<char>(records >> 8), static_cast<char>(records)});
    }
    return taken;
}

TEST(StoreSafety, AJournalOrLogBesideTheStoreIsNeverApplied)
{
    TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "registry.sqlite3";
    // Another program's database, larger than the store.
    const auto plantOther = [](const std::filesystem::path &at) {
        writeFileBytes(at, "");
        RawStore other(at);
        other.scalar("CREATE TABLE notes (text TEXT)");
        other.scalar("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                     "2000) INSERT INTO notes SELECT 'note ' || i FROM n");
    };
    const auto expectKept = [&](const std::string &before, std::string_view setup) {
        EXPECT_EQ(fileBytes(file), before) << setup;
        EXPECT_EQ(RawStore(file).scalar("SELECT count(*) FROM notes"), "2000") << setup;
    };

    // Replaced while the program runs, after a save.
    {
        SqliteRegistryStore store(file);
        RegistryWriter RegEdit1(store);
        ASSERT_TRUE(
            saveTuningValues(RegEdit1, "1500", std::to_string(pairedWindow(1500))).succeeded);
        plantOther(folder.path() / "other.db");
        std::filesystem::rename(folder.path() / "other.db", file);
        const std::string before = *fileBytes(file);
        const ActionOutcome saved =
            saveTuningValues(RegEdit1, "576", std::to_string(pairedWindow(576)));
        EXPECT_FALSE(saved.succeeded) << saved.text;
        expectKept(before, "replaced while running");
    }

    // A store's journal or log, left beside another program's database.
    for (const bool log : {false, true}) {
        TemporaryFolder source;
        const std::string companion = storeWithCompanion(source.path(), log).companion;
        ASSERT_FALSE(companion.empty());
        std::filesystem::remove(file);
        plantOther(file);
        const std::filesystem::path name = file.string() + (log ? "-wal" : "-journal");
        writeFileBytes(name, companion);
        const std::string before = *fileBytes(file);
        const ActionOutcome saved = saveInto(file, 576);
        EXPECT_FALSE(saved.succeeded) << saved.text;
        EXPECT_NE(saved.text.find("neither plays such a file back nor deletes it"),
                  std::string::npos)
            << saved.text;
        EXPECT_EQ(fileBytes(name), companion) << "the leftover was touched";
        std::filesystem::remove(name);
        expectKept(before, log ? "log" : "journal");
    }
}

TEST(StoreSafety, AStoreLeftInWriteAheadLogModeIsTakenOverWithEveryValue)
{
    const std::string values = "1400,1400,1400,1400,1400,1400,10500";
    const auto held = [](const std::filesystem::path &file) {
        return RawStore(file).scalar("SELECT group_concat(data, ',') FROM (SELECT data FROM "
                                     "reg_values WHERE name <> 'Unrelated' ORDER BY path)");
    };

    // Closed cleanly: nothing beside it. A look finds every value; the next save
    // leaves the mode.
    {
        TemporaryFolder folder;
        const std::filesystem::path file = folder.path() / "registry.sqlite3";
        ASSERT_TRUE(saveInto(file, 1400).succeeded);
        ASSERT_EQ(RawStore(file).scalar("PRAGMA journal_mode = WAL"), "wal");
        ASSERT_EQ(folderEntries(folder.path()), std::set<std::string>{"registry.sqlite3"});
        const std::string before = held(file);
        ASSERT_EQ(before, "1400,1400,1400,1400,1400,1400,9800");
        SqliteRegistryStore store(file);
        std::unique_ptr<RegistryKey> key;
        const RegistryResult opened = store.openKey(RegistryHive::LocalMachine, tcpKey, key);
        ASSERT_TRUE(opened.ok()) << opened.message;
        ASSERT_TRUE(store.setStringValue(*key, "Unrelated", "kept").ok());
        key.reset();
        EXPECT_EQ(folderEntries(folder.path()), std::set<std::string>{"registry.sqlite3"});
        RawStore raw(file);
        EXPECT_EQ(raw.scalar("PRAGMA journal_mode"), "delete");
        EXPECT_EQ(raw.value(tcpKey, "Unrelated")->data, "kept");
        EXPECT_EQ(held(file), before);
    }

    // Killed with a change committed to the log only: refused, with the command that
    // finishes it, which then lets the store be taken over with every value.
    TemporaryFolder source;
    TemporaryFolder folder;
    const StoreWithCompanion old = storeWithCompanion(source.path(), true);
    const std::filesystem::path file = folder.path() / "registry.sqlite3";
    const std::filesystem::path log = file.string() + "-wal";
    writeFileBytes(file, old.file);
    writeFileBytes(log, old.companion);
    const ActionOutcome refused = saveInto(file, 576);
    EXPECT_FALSE(refused.succeeded);
    const std::string command = "sqlite3 " + file.string() + " \"PRAGMA journal_mode = DELETE\"";
    EXPECT_NE(refused.text.find(command), std::string::npos) << refused.text;
    EXPECT_EQ(fileBytes(file), old.file);
    EXPECT_EQ(fileBytes(log), old.companion);

    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(folderEntries(folder.path()), std::set<std::string>{"registry.sqlite3"});
    SqliteRegistryStore store(file);
    std::unique_ptr<RegistryKey> key;
    const RegistryResult opened = store.openKey(RegistryHive::LocalMachine, tcpKey, key);
    ASSERT_TRUE(opened.ok()) << opened.message;
    EXPECT_EQ(held(file), values);
}

// The check that the file read is the file examined, met head-on: the store is swapped
// for another store of this program between the two.
TEST(StoreSafety, AFileSwappedBetweenItsCheckAndItsReadIsLeftAlone)
{
    TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "registry.sqlite3";
    const std::filesystem::path other = folder.path() / "other.sqlite3";
    const std::filesystem::path aside = folder.path() / "aside.sqlite3";
    ASSERT_TRUE(saveInto(file, 1500).succeeded);
    RawStore(file).plant("Software\\Another Program", "Colour", "blue");
    ASSERT_TRUE(saveInto(other, 1111).succeeded);
    const std::optional<std::string> mine = fileBytes(file);
    const std::optional<std::string> theirs = fileBytes(other);

    int swaps = 0;
    detail::beforeOpeningStoreFile() = [&] {
        if (swaps++ == 0) {
            std::filesystem::rename(file, aside);
            std::filesystem::rename(other, file);
        }
    };
    const ActionOutcome saved = saveInto(file, 576);
    detail::beforeOpeningStoreFile() = nullptr;
    EXPECT_EQ(swaps, 1);
    EXPECT_FALSE(saved.succeeded);
    EXPECT_NE(saved.text.find("was replaced by another file while it was being opened"),
              std::string::npos)
        << saved.text;
    EXPECT_TRUE(fileBytes(file) == theirs) << "the file swapped in was written";
    EXPECT_TRUE(fileBytes(aside) == mine) << "the store swapped out was written";
}

TEST(StoreSafety, FoldersOthersMayChangeAreRefusedBeforeAnythingIsWritten)
{
    TemporaryFolder folder;
    const std::filesystem::path shared = folder.path() / "shared";
    const std::filesystem::path storeFolder = shared / "lumox2000";
    const std::filesystem::path file = storeFolder / "registry.sqlite3";
    std::filesystem::create_directory(shared);
    const auto expectRefused = [&](const std::filesystem::path &culprit, std::string_view setup) {
        const ActionOutcome saved = saveInto(file, 576);
        EXPECT_FALSE(saved.succeeded) << setup;
        EXPECT_NE(saved.text.find(culprit.string()), std::string::npos)
            << setup << ": " << saved.text;
        return saved.text;
    };
    const auto mode = [](const std::filesystem::path &path) {
        struct stat status
        {
        };
        EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
        return status.st_mode & 07777;
    };

    for (const mode_t writable : {0777, 0775, 0757}) {
        ASSERT_EQ(::chmod(shared.c_str(), writable), 0);
        const std::string text = expectRefused(shared, "a folder above others may write");
        EXPECT_NE(text.find("chmod go-w " + shared.string()), std::string::npos) << text;
        EXPECT_EQ(folderEntries(shared), std::set<std::string>{}) << "something was written";
    }
    // Sticky, as /tmp is: nobody else may rename or remove the user's entries.
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    ASSERT_TRUE(saveInto(file, 1500).succeeded);
    EXPECT_EQ(mode(storeFolder), 0700u);
    EXPECT_EQ(mode(file), 0600u);

    // The store's own folder and file.
    ASSERT_EQ(::chmod(storeFolder.c_str(), 0770), 0);
    expectRefused(storeFolder, "the store's folder others may write");
    ASSERT_EQ(::chmod(storeFolder.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    const std::optional<std::string> before = fileBytes(file);
    expectRefused(file, "a store file others may write");
    EXPECT_EQ(fileBytes(file), before);
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    EXPECT_EQ(completeSet(file), 1500u);

    if (::geteuid() == 0) {
        // Another user's entry in the sticky folder, then another user's folder above.
        const std::filesystem::path theirs = shared / "theirs";
        std::filesystem::create_directory(theirs);
        std::filesystem::rename(storeFolder, theirs / "lumox2000");
        ASSERT_EQ(::chown(theirs.c_str(), kNobody, kNogroup), 0);
        const std::filesystem::path moved = theirs / "lumox2000" / "registry.sqlite3";
        const std::optional<std::string> kept = fileBytes(moved);
        const ActionOutcome inSticky = saveInto(moved, 576);
        EXPECT_FALSE(inSticky.succeeded);
        EXPECT_NE(inSticky.text.find("chmod go-w " + shared.string()), std::string::npos)
            << inSticky.text;
        ASSERT_EQ(::chmod(shared.c_str(), 0755), 0);
        const ActionOutcome below = saveInto(moved, 576);
        EXPECT_FALSE(below.succeeded);
        EXPECT_NE(below.text.find(theirs.string() + " on the way to the registry store belongs "
                                                    "to another user"),
                  std::string::npos)
            << below.text;
        EXPECT_EQ(fileBytes(moved), kept);
    }
}

TEST(StoreSafety, SwappingTheFolderForALinkNeverWritesIntoAnotherStore)
{
    TemporaryFolder folder;
    const std::filesystem::path storeFolder = folder.path() / "lumox2000";
    const std::filesystem::path file = storeFolder / "registry.sqlite3";
    const std::filesystem::path other = folder.path() / "other" / "registry.sqlite3";
    const std::filesystem::path decoy = folder.path() / "decoy";
    ASSERT_TRUE(saveInto(file, 1500).succeeded);
    ASSERT_TRUE(saveInto(other, 1111).succeeded);
    const std::optional<std::string> otherBefore = fileBytes(other);
    std::filesystem::create_directory_symlink("other", decoy);

    // Swaps the store's folder with a link to the other store's folder, and back, about
    // every tenth of a millisecond while the saves run; an even number of swaps leaves
    // both where they were.
    constexpr int kSwaps = 6000;
    const pid_t swapper = ::fork();
    ASSERT_GE(swapper, 0);
    if (swapper == 0) {
        for (int i = 0; i < kSwaps; ++i) {
            if (::renameat2(AT_FDCWD, storeFolder.c_str(), AT_FDCWD, decoy.c_str(),
                            RENAME_EXCHANGE) != 0) {
                ::_exit(1);
            }
            ::usleep(20);
        }
        ::_exit(0);
    }
    int saves = 0;
    int saved = 0;
    std::uint32_t last = 1500;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (::waitpid(swapper, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(swapper, SIGKILL);
            ::waitpid(swapper, &status, 0);
            break;
        }
        const std::uint32_t mtu = 600 + static_cast<std::uint32_t>(saves++);
        if (saveInto(file, mtu).succeeded) {
            ++saved;
            last = mtu;
        }
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the swaps did not finish";
    RecordProperty("saves", saves);
    RecordProperty("saved", saved);
    EXPECT_EQ(fileBytes(other), otherBefore) << "a save was written into the other store";
    EXPECT_EQ(folderEntries(other.parent_path()), std::set<std::string>{"registry.sqlite3"});
    EXPECT_EQ(completeSet(file), last);
    EXPECT_EQ(folderEntries(storeFolder), std::set<std::string>{"registry.sqlite3"});
}

} // namespace
} // namespace lumox::testing
