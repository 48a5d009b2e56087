#pragma once

#include "registry_access.h"

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace lumox {

// The registry store used where there is no Windows registry: an SQLite database
// file, laid out as the README describes (tables reg_keys and
// reg_values, marked by PRAGMA user_version = kSchemaVersion).
//
// Nothing is kept open between uses: the file is read by the first operation of a
// batch (or by an operation outside one) and let go again when the batch ends (or the
// operation returns), so a refusal never outlives the save or reset it refused.
// Operations that only look or delete (openKey, deleteValue) never create the file:
// without a file every key is absent. The first operation that writes creates the
// missing folders (mode 0700) and the file (mode 0600, or the mode of the file it
// replaces); the folders made are removed again when nothing was saved in them.
//
// A file that is not an SQLite database, is damaged, holds some other program's
// database, or holds triggers, views or other tables' foreign keys on the store's
// tables is refused with a Failure and left exactly as it is.
//
// SQLite never opens the file itself, so it never plays back a rollback journal or
// reads a write-ahead log beside it. Every operation reads the whole file, through a
// descriptor of its own, into a database in memory and works there; a change is saved
// by writing the complete new database to registry.sqlite3.saving in the same folder,
// synchronising it, renaming it over the file and synchronising the folder, so that a
// crash at any moment leaves the old file or the new one, whole, and nothing that a
// later open would have to play back. A file named as SQLite names a journal,
// write-ahead log or super-journal of the file (registry.sqlite3-journal, -wal, -mj...)
// refuses every operation, naming it, and is never read, applied or deleted. A
// registry.sqlite3.saving left by an interrupted save is removed by the next operation.
// A store that an older version left in write-ahead-log mode, closed cleanly, is
// taken over with every value and saved in rollback-journal mode.
//
// Nobody else may be able to swap the file: it and its folder must be a regular file
// and a real folder of the user's own that neither the group nor others may write,
// and every folder above them up to the root must belong to the user or to root and
// be writable by no one else, unless it is sticky (as /tmp is) and the entry leading
// down belongs to the user or to root. The folder is examined on a descriptor opened
// without following links and everything in it is reached through that descriptor;
// the file read is confirmed to be the one examined (device and inode) on the
// descriptor it is read from.
//
// An operation holds an exclusive lock (flock) on the folder from the moment it
// reads the file until it has replaced it or given up, so several processes may use
// one file at once: they take turns, each waiting up to busyTimeout for the others. A
// failed read or write refuses the operation, naming the system's reason. Before a
// change is saved, every value written is read back from the database in memory, and
// after the rename the file is read back and compared with what was written; the
// write or commitBatch() fails unless both agree. Constructing a store calls
// ignoreStoreSignals(), so that a file size limit fails a write instead of ending
// the program.
class SqliteRegistryStore final : public RegistryStore
{
public:
    // The user_version that marks a file as this program's registry store.
    static constexpr std::int32_t kSchemaVersion = 0x4C4D5801;

    // How long an operation waits for another process to finish its batch.
    static constexpr int kDefaultBusyTimeoutMs = 5000;

    // The store lives in file, which need not exist yet.
    explicit SqliteRegistryStore(std::filesystem::path file,
                                 int busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~SqliteRegistryStore() override;

    SqliteRegistryStore(const SqliteRegistryStore &) = delete;
    SqliteRegistryStore &operator=(const SqliteRegistryStore &) = delete;

    const std::filesystem::path &file() const { return m_file; }

    RegistryResult openKey(RegistryHive hive, std::string_view path,
                           std::unique_ptr<RegistryKey> &key) override;
    RegistryResult createKey(RegistryHive hive, std::string_view path,
                             std::unique_ptr<RegistryKey> &key) override;
    RegistryResult setStringValue(RegistryKey &key, std::string_view name,
                                  std::string_view data) override;
    RegistryResult deleteValue(RegistryKey &key, std::string_view name) override;
    RegistryResult beginBatch() override;
    RegistryResult commitBatch() override;
    RegistryResult rollbackBatch() override;
    bool batchesAreAtomic() const override { return true; }

private:
    // The value type stored for string values, numbered as the Windows registry does.
    static constexpr int kRegSz = 1;

    enum class Access
    {
        Look,  // use the file if it exists; never create it
        Write, // create the file when it is missing
    };

    // Makes sure a connection to a valid store is open when the file exists (or,
    // for Write, after creating it). Sets available to whether there is a store.
    RegistryResult connect(Access access, bool &available);
    RegistryResult connectOnce(Access access, bool &available);
    // Closes the connection unless a batch keeps it; every public operation ends so.
    void releaseUnlessInBatch();

    struct FileIdentity
    {
        dev_t device;
        ino_t inode;
        mode_t mode;
        off_t size;
        struct timespec modified;
    };

    // Opens the store's folder (creating it and the folders above it that are missing
    // when access is Write) on m_folder, after checking it and every folder above it
    // against the rules in the class comment. Sets exists to whether the folder is
    // there.
    RegistryResult openFolder(Access access, bool &exists);
    // Takes the exclusive lock on the opened folder, waiting up to the busy timeout.
    RegistryResult lockFolder();
    // Refuses a journal, write-ahead log or super-journal beside the file, and removes
    // a registry.sqlite3.saving that an interrupted save left.
    RegistryResult checkLeftovers();
    // Checks the file in the opened folder; sets exists to whether it is there and
    // remembers what it is in m_checked.
    RegistryResult examineFile(bool &exists);
    // Reads the whole of the examined file into content, on a descriptor confirmed to
    // be the examined file.
    RegistryResult readFile(std::string &content);
    // Opens the database in memory on content (empty for a new store).
    RegistryResult openInMemory(const std::string &content);
    // Writes the database in memory over the file: see the class comment.
    RegistryResult replaceFile();
    // Reads the file just written back and fails unless it holds exactly expected.
    RegistryResult readBack(std::string_view expected);
    // The refusal of a save whose new file could not be written, for the system's error.
    RegistryResult writeFailure(int error) const;
    // Removes the folders this connection made, each only while empty.
    void removeUnfinished();
    RegistryResult checkStore(bool mayInitialise, bool &available);
    // Refuses a store of this program's version whose tables differ from ours, that
    // holds objects which could change what is written, or that is damaged.
    RegistryResult checkLayout();
    // The refusal of a file that is not a store of this program, naming why.
    RegistryResult refuseStore(std::string_view why) const;
    RegistryResult initialiseStore();
    // Reads back every value written in the open transaction; fails unless each
    // holds exactly what was written.
    RegistryResult verifyWritten();
    // Drops what was remembered of a value that has been written again or deleted.
    void forgetWritten(RegistryHive hive, std::string_view path, std::string_view name);
    void disconnect();
    // Commits the open transaction in memory and replaces the file with the result;
    // rolls back and fails when either fails.
    RegistryResult commitAndReplace();

    // Runs body in its own transaction unless a batch is open.
    template <typename Body> RegistryResult writeTransaction(Body &&body);

    // Describes an SQLite failure for the user and remembers its code.
    RegistryResult sqliteError(int code, std::string_view doing);
    RegistryResult execute(std::string_view sql, std::string_view doing);

    std::filesystem::path m_file;
    int m_busyTimeoutMs;
    sqlite3 *m_db = nullptr;
    // The store's folder, opened without following links (O_PATH), while connected.
    int m_folder = -1;
    // The same folder opened for reading, holding the lock, while connected.
    int m_lock = -1;
    // Whether the file existed when it was read (or has been written since).
    bool m_fileExists = false;
    // The folders this connection created, deepest last.
    std::vector<std::filesystem::path> m_madeFolders;
    FileIdentity m_checked{};
    bool m_batchOpen = false;
    bool m_inTransaction = false;
    int m_lastErrorCode = 0;

    struct WrittenValue
    {
        RegistryHive hive;
        std::string path;
        std::string name;
        std::string data;
    };
    // The values written in the open transaction, each with its last data.
    std::vector<WrittenValue> m_written;
};

// The registry store at file; see SqliteRegistryStore.
std::unique_ptr<RegistryStore> makeSqliteRegistryStore(std::filesystem::path file);

// Makes the process ignore SIGXFSZ and SIGPIPE unless it has handlers for them, so
// that a write past the file size limit or to a closed pipe fails instead of ending
// the program. Constructing a store does this too; a program calls it at its start.
void ignoreStoreSignals();

// Where the default store lives: $XDG_DATA_HOME/lumox2000/registry.sqlite3 when
// XDG_DATA_HOME is set to an absolute path, else ~/.local/share/lumox2000/
// registry.sqlite3 with the home folder taken from HOME or, failing that, from the
// user database.
std::filesystem::path defaultRegistryStorePath();

} // namespace lumox
