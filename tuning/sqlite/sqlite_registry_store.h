#pragma once

#include "registry_access.h"

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace lumox {

// The registry store used where there is no Windows registry: an SQLite database
// file, laid out as the README describes (tables reg_keys and
// reg_values, marked by PRAGMA user_version = kSchemaVersion).
//
// The file is opened on first use, not on construction. Operations that only look
// or delete (openKey, deleteValue) never create it: without a file every key is
// absent. The first operation that writes creates the folder (mode 0700) and the
// file (mode 0600); when the new file cannot be made a store, it is removed again.
// A file that is not an SQLite database, is damaged, holds some other program's
// database, or holds triggers, views or other tables' foreign keys on the store's
// tables is refused with a Failure and left exactly as it is. The file and its
// folder must be a regular file and a folder that belong to the user the program
// runs as; a symbolic link in their place, or a file or folder of another user, is
// refused, so that the store never writes anywhere else.
//
// Every change is made durable before it is reported (full synchronous writes in
// write-ahead-log mode), and a batch is one transaction: after a crash the file
// holds either all of a batch or none of it. Before a transaction is committed,
// every value written in it is read back; if one reads differently, the
// transaction is rolled back and the write or commitBatch() fails. Constructing a
// store makes the process ignore SIGXFSZ (unless it has a handler), so that a file
// size limit fails the write instead of ending the program. Several processes may use one file at
// once: writers take turns, each waiting up to busyTimeout for the others.
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

    struct FileIdentity
    {
        dev_t device;
        ino_t inode;
    };

    // Checks that the folder, when it exists, is a real folder of the user's own, and
    // that the file, when it exists, is a regular file of the user's own. Sets exists
    // to whether the file is there.
    RegistryResult examinePlace(bool &exists) const;
    // Creates the empty file, private to the user, unless it exists already. Sets
    // created to the new file's identity when this call made it.
    RegistryResult createFile(std::optional<FileIdentity> &created) const;
    // Removes the file made by createFile() if it is still that file and still empty.
    void removeUnfinishedFile(const FileIdentity &created) const;
    RegistryResult openConnection();
    RegistryResult checkStore(bool mayInitialise, bool &available);
    RegistryResult initialiseStore();
    // Reads back every value written in the open transaction; fails unless each
    // holds exactly what was written.
    RegistryResult verifyWritten();
    // Drops what was remembered of a value that has been written again or deleted.
    void forgetWritten(RegistryHive hive, std::string_view path, std::string_view name);
    void disconnect();
    bool fileWasReplaced() const;

    // Runs body in its own transaction unless a batch is open.
    template <typename Body> RegistryResult writeTransaction(Body &&body);

    // Describes an SQLite failure for the user and remembers its code.
    RegistryResult sqliteError(int code, std::string_view doing);
    RegistryResult execute(std::string_view sql, std::string_view doing);

    std::filesystem::path m_file;
    int m_busyTimeoutMs;
    sqlite3 *m_db = nullptr;
    dev_t m_device = 0;
    ino_t m_inode = 0;
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

// Where the default store lives: $XDG_DATA_HOME/lumox2000/registry.sqlite3 when
// XDG_DATA_HOME is set to an absolute path, else ~/.local/share/lumox2000/
// registry.sqlite3 with the home folder taken from HOME or, failing that, from the
// user database.
std::filesystem::path defaultRegistryStorePath();

} // namespace lumox
