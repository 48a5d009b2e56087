// Opening the SQLite file, checking that it is this program's registry store (and
// holds nothing the program did not make), setting up a new one, and the texts for
// SQLite's failures.
#include "sqlite_registry_store.h"
#include "sqlite_statement.h"
#include "store_file.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace lumox {

using detail::errnoText;
using detail::folderOf;
using detail::Statement;
using detail::syncFolder;
using detail::systemFailure;

namespace {

constexpr std::string_view kSchema = R"sql(
CREATE TABLE reg_keys (
    hive TEXT NOT NULL,
    path TEXT NOT NULL COLLATE NOCASE,
    PRIMARY KEY (hive, path)
) WITHOUT ROWID;
CREATE TABLE reg_values (
    hive TEXT NOT NULL,
    path TEXT NOT NULL COLLATE NOCASE,
    name TEXT NOT NULL COLLATE NOCASE,
    type INTEGER NOT NULL,
    data TEXT NOT NULL,
    PRIMARY KEY (hive, path, name),
    FOREIGN KEY (hive, path) REFERENCES reg_keys (hive, path) ON DELETE CASCADE
) WITHOUT ROWID;
)sql";

} // namespace

RegistryResult SqliteRegistryStore::sqliteError(int code, std::string_view doing)
{
    // SQLite does not pass on the system's error on every path (a failed write while
    // switching the journal mode, for one); errno, cleared before each call into
    // SQLite, then still holds it.
    const int lastSystemError = errno;
    m_lastErrorCode = code;
    int systemError = m_db != nullptr ? sqlite3_system_errno(m_db) : 0;
    if (systemError == 0 && ((code & 0xff) == SQLITE_IOERR || (code & 0xff) == SQLITE_CANTOPEN)) {
        systemError = lastSystemError;
    }
    const std::string store = "the registry store " + m_file.string();
    if (code == SQLITE_CANTOPEN_SYMLINK) {
        return RegistryResult::accessDenied(
            store + " is reached through a symbolic link, which Lumox 2000 does not follow");
    }
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return RegistryResult::failure(
            store + " is damaged or is not a Lumox 2000 registry store; it was left untouched");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return RegistryResult::accessDenied(store + " is read-only" + errnoText(systemError));
    case SQLITE_FULL:
        return RegistryResult::failure("the disk holding " + store + " is full");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return RegistryResult::failure(
            store + " was kept busy by another program for too long; please try again");
    case SQLITE_CANTOPEN:
        return systemFailure(store + " could not be opened", systemError);
    case SQLITE_IOERR:
        switch (systemError) {
        case ENOSPC:
            return RegistryResult::failure("the disk holding " + store + " is full" +
                                           errnoText(systemError));
        case EDQUOT:
            return RegistryResult::failure("your disk quota does not leave room for " + store +
                                           errnoText(systemError));
        case EFBIG:
            return RegistryResult::failure(store +
                                           " would grow beyond the largest file size allowed" +
                                           errnoText(systemError));
        case EROFS:
        case EACCES:
        case EPERM:
            return RegistryResult::accessDenied(store + " is read-only" + errnoText(systemError));
        default:
            return RegistryResult::failure("a disk error occurred in " + store +
                                           errnoText(systemError));
        }
    default:
        break;
    }
    std::string detail = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
    return RegistryResult::failure(std::string(doing) + " " + store + " failed: " + detail);
}

RegistryResult SqliteRegistryStore::execute(std::string_view sql, std::string_view doing)
{
    const std::string statement(sql);
    errno = 0;
    const int code = sqlite3_exec(m_db, statement.c_str(), nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? RegistryResult::success() : sqliteError(code, doing);
}

RegistryResult SqliteRegistryStore::openConnection()
{
    // SQLite is given a path without links: the folder has been checked not to be
    // one, the folders above it are resolved here, and SQLITE_OPEN_NOFOLLOW refuses
    // a link that appears in the meantime.
    const std::filesystem::path folder = folderOf(m_file);
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(folder.c_str(), nullptr),
                                                         &std::free);
    if (resolved == nullptr) {
        const int error = errno;
        return systemFailure("the folder " + folder.string() + " could not be examined", error);
    }
    const std::filesystem::path path = std::filesystem::path(resolved.get()) / m_file.filename();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    errno = 0;
    const int code = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
    if (code != SQLITE_OK) {
        RegistryResult result = sqliteError(code, "Opening");
        disconnect();
        return result;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, m_busyTimeoutMs);
    // Neither setting is stored in the file, so they are safe before the file is
    // known to be ours.
    if (RegistryResult set =
            execute("PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON;", "Opening");
        !set.ok()) {
        disconnect();
        return set;
    }
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::checkStore(bool mayInitialise, bool &available)
{
    available = false;
    const auto refuse = [this](std::string_view why) {
        return RegistryResult::failure("the registry store " + m_file.string() + " " +
                                       std::string(why) + "; it was left untouched");
    };

    std::int64_t userVersion = 0;
    std::int64_t objectCount = 0;
    {
        Statement marks(m_db, "SELECT (SELECT user_version FROM pragma_user_version), "
                              "(SELECT count(*) FROM sqlite_master)");
        const int code = marks.firstRow();
        if (code != SQLITE_ROW) {
            return sqliteError(code, "Reading");
        }
        userVersion = marks.integer(0);
        objectCount = marks.integer(1);
    }
    if (userVersion == 0 && objectCount == 0) {
        // An empty database: nothing to lose, so it becomes a store when written to.
        if (!mayInitialise) {
            return RegistryResult::success();
        }
        if (RegistryResult initialised = initialiseStore(); !initialised.ok()) {
            return initialised;
        }
        available = true;
        return RegistryResult::success();
    }
    if (userVersion != kSchemaVersion) {
        return refuse("belongs to another program or another version of Lumox 2000");
    }

    const std::array<std::pair<std::string_view, std::set<std::string>>, 2> tables = {{
        {"reg_keys", {"hive", "path"}},
        {"reg_values", {"hive", "path", "name", "type", "data"}},
    }};
    for (const auto &[table, expected] : tables) {
        Statement columns(m_db, "SELECT name FROM pragma_table_info(?1)");
        if (columns.prepareCode() != SQLITE_OK) {
            return sqliteError(columns.prepareCode(), "Reading");
        }
        columns.bind(1, table);
        std::set<std::string> found;
        int code = SQLITE_ROW;
        while ((code = columns.step()) == SQLITE_ROW) {
            found.insert(columns.text(0));
        }
        if (code != SQLITE_DONE) {
            return sqliteError(code, "Reading");
        }
        if (found != expected) {
            return refuse("does not have the tables of a Lumox 2000 registry store");
        }
    }

    // Triggers, views and other tables' foreign keys on these tables could change
    // or hold back what is written, behind the program's back.
    {
        Statement foreign(
            m_db, "SELECT (SELECT count(*) FROM sqlite_master WHERE type IN ('trigger', 'view')) "
                  "+ (SELECT count(*) FROM sqlite_master AS m, pragma_foreign_key_list(m.name) "
                  "AS f WHERE m.type = 'table' AND lower(f.\"table\") IN ('reg_keys', "
                  "'reg_values') AND NOT (lower(m.name) = 'reg_values' AND "
                  "lower(f.\"table\") = 'reg_keys'))");
        const int code = foreign.firstRow();
        if (code != SQLITE_ROW) {
            return sqliteError(code, "Reading");
        }
        if (foreign.integer(0) != 0) {
            return refuse("holds triggers, views or links between tables that Lumox 2000 does "
                          "not make, so it belongs to another program");
        }
    }

    Statement check(m_db, "PRAGMA quick_check");
    if (check.prepareCode() != SQLITE_OK) {
        return sqliteError(check.prepareCode(), "Checking");
    }
    const int code = check.step();
    if (code != SQLITE_ROW) {
        return sqliteError(code, "Checking");
    }
    if (check.text(0) != "ok") {
        return refuse("is damaged");
    }
    available = true;
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::initialiseStore()
{
    // Write-ahead logging makes each commit a single synchronised append.
    if (RegistryResult journal = execute("PRAGMA journal_mode = WAL", "Creating"); !journal.ok()) {
        return journal;
    }
    if (RegistryResult begun = execute("BEGIN IMMEDIATE", "Creating"); !begun.ok()) {
        return begun;
    }
    // Another process may have set the file up while this one waited for the lock.
    Statement objects(m_db, "SELECT count(*), (SELECT user_version FROM pragma_user_version) "
                            "FROM sqlite_master");
    const int code = objects.firstRow();
    if (code != SQLITE_ROW) {
        RegistryResult result = sqliteError(code, "Creating");
        execute("ROLLBACK", "Creating");
        return result;
    }
    const bool empty = objects.integer(0) == 0 && objects.integer(1) == 0;
    const bool ours = objects.integer(1) == kSchemaVersion;
    if (!empty) {
        execute("ROLLBACK", "Creating");
        if (!ours) {
            return RegistryResult::failure(
                "the registry store " + m_file.string() +
                " belongs to another program or another version of Lumox 2000; it was left "
                "untouched");
        }
        return RegistryResult::success();
    }
    const std::string setUp =
        std::string(kSchema) + "PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
    RegistryResult created = execute(setUp, "Creating");
    if (created.ok()) {
        created = execute("COMMIT", "Creating");
    }
    if (!created.ok()) {
        if (sqlite3_get_autocommit(m_db) == 0) {
            execute("ROLLBACK", "Creating");
        }
        return created;
    }
    syncFolder(m_file.parent_path());
    return RegistryResult::success();
}

} // namespace lumox
