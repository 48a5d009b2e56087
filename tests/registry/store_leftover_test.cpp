// Leftovers of interrupted writers beside the store: rollback journals, a write-ahead
// log and a super-journal, each made by SQLite itself in a writer that was cut off.
// None may ever be played back into the store or act on anything else.
#include "sqlite_registry_store.h"
#include "sqlite_test_support.h"
#include "tuning_actions.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace {

// A one-time failure of the next read of a file whose path ends in the armed suffix,
// as a network or FUSE file system may give. pread is replaced in this test program,
// for the store and for SQLite alike.
std::atomic<int> g_failWith{0};
std::string g_failSuffix;
// When set, a file with this inode is read as usual: the file a save starts from, so
// that only the new file's read-back fails.
std::atomic<ino_t> g_spareInode{0};

bool failsNow(int descriptor)
{
    if (g_failWith.load() == 0) {
        return false;
    }
    struct stat status
    {
    };
    if (g_spareInode.load() != 0 && ::fstat(descriptor, &status) == 0 &&
        status.st_ino == g_spareInode.load()) {
        return false;
    }
    char target[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0) {
        return false;
    }
    const std::string_view path(target, static_cast<std::size_t>(length));
    return path.ends_with(g_failSuffix);
}

ssize_t readOrFail(const char *name, int descriptor, void *buffer, size_t size, off_t offset)
{
    if (failsNow(descriptor)) {
        errno = g_failWith.exchange(0);
        return -1;
    }
    using Pread = ssize_t (*)(int, void *, size_t, off_t);
    static const auto real = reinterpret_cast<Pread>(::dlsym(RTLD_NEXT, name));
    return real(descriptor, buffer, size, offset);
}

} // namespace

extern "C" ssize_t pread(int descriptor, void *buffer, size_t size, off_t offset)
{
    return readOrFail("pread", descriptor, buffer, size, offset);
}

extern "C" ssize_t pread64(int descriptor, void *buffer, size_t size, off_t offset)
{
    return readOrFail("pread64", descriptor, buffer, size, offset);
}

namespace lumox::testing {
namespace {

const std::string kUnrelatedKey = "Software\\Another Program";

ino_t fileInode(const std::filesystem::path &file)
{
    struct stat status
    {
    };
    return ::stat(file.c_str(), &status) == 0 ? status.st_ino : 0;
}

// Every value the store at file holds, in one line.
std::string everyValue(const std::filesystem::path &file)
{
    return RawStore(file).scalar("SELECT group_concat(path || '/' || name || '=' || data, '|') "
                                 "FROM (SELECT * FROM reg_values ORDER BY path, name)");
}

// A store in folder with a saved set and a value of another program beside it.
std::filesystem::path storeWithUnrelatedValue(const std::filesystem::path &folder)
{
    const std::filesystem::path file = folder / "registry.sqlite3";
    EXPECT_TRUE(saveInto(file, 1500).succeeded);
    RawStore(file).plant(kUnrelatedKey, "Colour", "blue");
    return file;
}

// Runs sql on file in a child process that then ends without committing or closing,
// as a writer killed mid-transaction does. cache_size = 1 makes SQLite write changed
// pages to the file early, after syncing and marking its journal. vfs, when given, is
// the VFS the child opens file with.
void crashWriter(const std::filesystem::path &file, const std::string &sql,
                 sqlite3_vfs *vfs = nullptr)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (vfs != nullptr && sqlite3_vfs_register(vfs, 0) != SQLITE_OK) {
            ::_exit(2);
        }
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE,
                            vfs != nullptr ? vfs->zName : nullptr) != SQLITE_OK) {
            ::_exit(3);
        }
        const std::string all = "PRAGMA cache_size = 1; " + sql;
        ::_exit(sqlite3_exec(db, all.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK ? 0 : 4);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer failed: " << status;
}

// Enough new rows that SQLite must write pages to the file before the commit.
const std::string kManyRows =
    "CREATE TABLE filler (x BLOB); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
    "FROM n WHERE i < 200) INSERT INTO filler SELECT randomblob(1000) FROM n;";

// Everything a save must leave as it was: the store's bytes, every file in the given
// folders, and the leftover itself.
class Untouched
{
public:
    Untouched(std::filesystem::path file, std::filesystem::path leftover,
              std::set<std::filesystem::path> folders)
        : m_file(std::move(file)), m_leftover(std::move(leftover)), m_folders(std::move(folders))
    {
        m_fileBytes = fileBytes(m_file);
        m_leftoverBytes = fileBytes(m_leftover);
        for (const auto &folder : m_folders) {
            for (const auto &name : folderEntries(folder)) {
                m_contents.insert(folder / name);
            }
        }
    }

    // Checks that the refused save left everything as it was, then moves the
    // leftover away and checks that the store holds every value it held.
    void expectRefusedAndKept(const ActionOutcome &saved, const std::string &values) const
    {
        EXPECT_FALSE(saved.succeeded) << saved.text;
        EXPECT_NE(saved.text.find(m_leftover.string()), std::string::npos)
            << "the leftover is not named: " << saved.text;
        EXPECT_NE(saved.text.find("Nothing was saved."), std::string::npos) << saved.text;
        EXPECT_TRUE(fileBytes(m_file) == m_fileBytes) << "the store was changed";
        EXPECT_TRUE(fileBytes(m_leftover) == m_leftoverBytes) << "the leftover was changed";
        for (const auto &path : m_contents) {
            EXPECT_TRUE(std::filesystem::exists(path)) << path << " was deleted";
        }
        std::set<std::filesystem::path> now;
        for (const auto &folder : m_folders) {
            for (const auto &name : folderEntries(folder)) {
                now.insert(folder / name);
            }
        }
        EXPECT_EQ(now, m_contents);
        std::filesystem::remove(m_leftover);
        EXPECT_EQ(everyValue(m_file), values);
    }

private:
    std::filesystem::path m_file;
    std::filesystem::path m_leftover;
    std::set<std::filesystem::path> m_folders;
    std::optional<std::string> m_fileBytes;
    std::optional<std::string> m_leftoverBytes;
    std::set<std::filesystem::path> m_contents;
};

TEST(StoreLeftovers, RollbackJournalsOfInterruptedWritersAreNeverPlayedBack)
{
    // A journal of a writer that set up a new database: no page records and an
    // original size of 0, which would cut the store to nothing.
    {
        TemporaryFolder folder;
        TemporaryFolder scratch;
        const std::filesystem::path file = storeWithUnrelatedValue(folder.path());
        const std::string values = everyValue(file);
        const std::filesystem::path fresh = scratch.path() / "fresh.db";
        writeFileBytes(fresh, "");
        crashWriter(fresh, "BEGIN; " + kManyRows);
        const std::filesystem::path journal = file.string() + "-journal";
        std::filesystem::copy_file(fresh.string() + "-journal", journal);
        const Untouched untouched(file, journal, {folder.path()});
        untouched.expectRefusedAndKept(saveInto(file, 576), values);
    }
    // A journal of this very store that holds its first page unchanged, but says the
    // store had one page when the transaction began. SQLite writes the original size
    // into the header; a restored backup or a synced folder can pair such a journal
    // with a store, so the field is set here.
    {
        TemporaryFolder folder;
        TemporaryFolder scratch;
        const std::filesystem::path file = storeWithUnrelatedValue(folder.path());
        const std::string values = everyValue(file);
        const std::filesystem::path copy = scratch.path() / "registry.sqlite3";
        std::filesystem::copy_file(file, copy);
        crashWriter(copy, "BEGIN; PRAGMA user_version = 7; " + kManyRows);
        std::string journal = *fileBytes(copy.string() + "-journal");
        ASSERT_GT(journal.size(), 28u);
        journal.replace(16, 4, std::string("\0\0\0\1", 4));
        const std::filesystem::path leftover = file.string() + "-journal";
        writeFileBytes(leftover, journal);
        const Untouched untouched(file, leftover, {folder.path()});
        untouched.expectRefusedAndKept(saveInto(file, 576), values);
    }
}

// A copy of the system's VFS that ends the process when it is to delete a
// super-journal: a commit across two databases is cut off once the super-journal and
// both journals are written and both files changed.
sqlite3_vfs g_crashOnDelete{};
sqlite3_vfs *g_systemVfs = nullptr;

int crashOnDelete(sqlite3_vfs *, const char *name, int syncFolder)
{
    if (std::string_view(name).find("-mj") != std::string_view::npos) {
        ::_exit(0);
    }
    return g_systemVfs->xDelete(g_systemVfs, name, syncFolder);
}

TEST(StoreLeftovers, ASuperJournalNamedByAJournalIsNeverDeleted)
{
    TemporaryFolder folder;
    TemporaryFolder scratch;
    TemporaryFolder outside;
    const std::filesystem::path file = storeWithUnrelatedValue(folder.path());
    const std::string values = everyValue(file);
    const std::filesystem::path copy = scratch.path() / "registry.sqlite3";
    std::filesystem::copy_file(file, copy);
    const std::filesystem::path other = outside.path() / "other.db";
    writeFileBytes(other, "");

    g_systemVfs = sqlite3_vfs_find(nullptr);
    g_crashOnDelete = *g_systemVfs;
    g_crashOnDelete.pNext = nullptr;
    g_crashOnDelete.zName = "crash-on-delete";
    g_crashOnDelete.xDelete = crashOnDelete;
    crashWriter(other,
                "CREATE TABLE t (x); ATTACH '" + copy.string() +
                    "' AS store; BEGIN; INSERT INTO t VALUES (1); UPDATE store.reg_values SET "
                    "data = '576' WHERE name = 'MaxMTU'; COMMIT;",
                &g_crashOnDelete);
    std::filesystem::path super;
    for (const auto &name : folderEntries(outside.path())) {
        if (name.starts_with("other.db-mj")) {
            super = outside.path() / name;
        }
    }
    ASSERT_FALSE(super.empty()) << "the writer left no super-journal";
    // The other database was recovered meanwhile; only the store's journal is left.
    std::filesystem::remove(other.string() + "-journal");
    const std::filesystem::path journal = file.string() + "-journal";
    std::filesystem::rename(copy.string() + "-journal", journal);

    const Untouched untouched(file, journal, {folder.path(), outside.path()});
    untouched.expectRefusedAndKept(saveInto(file, 576), values);
    EXPECT_TRUE(std::filesystem::exists(super));
}

TEST(StoreLeftovers, AnotherStoresWriteAheadLogIsNeverMerged)
{
    TemporaryFolder folder;
    TemporaryFolder scratch;
    // A store an earlier version left in write-ahead-log mode, closed cleanly.
    const std::filesystem::path file = storeWithUnrelatedValue(folder.path());
    EXPECT_EQ(RawStore(file).scalar("PRAGMA journal_mode = WAL"), "wal");
    const std::string values = everyValue(file);
    ASSERT_EQ(folderEntries(folder.path()), std::set<std::string>{"registry.sqlite3"});

    // Another store's log with a committed change, caught before its checkpoint.
    const std::filesystem::path another = scratch.path() / "registry.sqlite3";
    ASSERT_TRUE(saveInto(another, 1400).succeeded);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(another.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA journal_mode = WAL; UPDATE reg_values SET data = '576' WHERE "
                           "name = 'MaxMTU'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const std::filesystem::path log = file.string() + "-wal";
    std::filesystem::copy_file(another.string() + "-wal", log);
    sqlite3_close(db);

    const Untouched untouched(file, log, {folder.path()});
    const ActionOutcome saved = saveInto(file, 1492);
    untouched.expectRefusedAndKept(saved, values);
    EXPECT_NE(saved.text.find("sqlite3 "), std::string::npos)
        << "the message does not say how to finish an earlier version's store: " << saved.text;
}

TEST(StoreLeftovers, AFailingReadIsNeverTakenAsTheEndOfAFile)
{
    TemporaryFolder folder;
    TemporaryFolder scratch;
    const std::filesystem::path file = storeWithUnrelatedValue(folder.path());
    const std::string values = everyValue(file);
    // Another store's journal, caught while its writer was cut off.
    const std::filesystem::path another = scratch.path() / "registry.sqlite3";
    ASSERT_TRUE(saveInto(another, 1400).succeeded);
    crashWriter(another, "BEGIN; UPDATE reg_values SET data = '576'; " + kManyRows);
    const std::filesystem::path journal = file.string() + "-journal";
    std::filesystem::copy_file(another.string() + "-journal", journal);

    const Untouched untouched(file, journal, {folder.path()});
    g_failSuffix = "-journal";
    g_failWith = EIO;
    const ActionOutcome saved = saveInto(file, 576);
    g_failWith = 0;
    untouched.expectRefusedAndKept(saved, values);

    // The store's own read: a failure refuses the save and names it; an interrupted
    // read is tried again.
    const std::optional<std::string> before = fileBytes(file);
    g_failSuffix = "/registry.sqlite3";
    g_failWith = EIO;
    const ActionOutcome failed = saveInto(file, 576);
    g_failWith = 0;
    EXPECT_FALSE(failed.succeeded);
    EXPECT_NE(failed.text.find("Input/output error"), std::string::npos) << failed.text;
    EXPECT_TRUE(fileBytes(file) == before) << "the store was changed";
    g_failWith = EINTR;
    const ActionOutcome interrupted = saveInto(file, 576);
    g_failWith = 0;
    EXPECT_TRUE(interrupted.succeeded) << interrupted.text;
    EXPECT_EQ(RawStore(file).value(kUnrelatedKey, "Colour")->data, "blue");
}

// Once the new file has taken the store's place, a failure to confirm it must not tell
// the user that nothing was saved: the new values are there.
TEST(StoreLeftovers, AFailedReadBackNeverSaysThatNothingWasSaved)
{
    TemporaryFolder folder;
    const std::filesystem::path file = storeWithUnrelatedValue(folder.path());
    g_spareInode = fileInode(file);
    ASSERT_NE(g_spareInode.load(), 0U);
    g_failSuffix = "/registry.sqlite3";
    g_failWith = EIO;
    const ActionOutcome saved = saveInto(file, 576);
    g_failWith = 0;
    g_spareInode = 0;

    EXPECT_FALSE(saved.succeeded);
    EXPECT_NE(saved.text.find("Input/output error"), std::string::npos) << saved.text;
    EXPECT_EQ(saved.text.find("Nothing was saved."), std::string::npos) << saved.text;
    EXPECT_NE(saved.text.find("may have been changed"), std::string::npos) << saved.text;
    EXPECT_EQ(RawStore(file).value(firstBindingKey, "MaxMTU")->data, "576");
    EXPECT_EQ(RawStore(file).value(kUnrelatedKey, "Colour")->data, "blue");
}

} // namespace
} // namespace lumox::testing
