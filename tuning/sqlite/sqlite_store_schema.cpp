// Opening the SQLite file, checking that it is this program's registry store (and
// holds nothing the program did not make), setting up a new one, and the texts for
// SQLite's failures.
#include "sqlite_registry_store.h"
#include "sqlite_statement.h"
#include "store_file.h"
#include "store_texts.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include <array>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

namespace lumox {

using detail::errnoText;
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

// SQLite's busy handler: waits a millisecond at a time, up to the busy timeout.
// Another program saving again and again leaves the file free only for the moment
// between two saves; SQLite's own timeout sleeps longer and longer and could miss
// every such moment.
int waitForOthers(void *timeoutMs, int attempts)
{
    if (attempts >= *static_cast<const int *>(timeoutMs)) {
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

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
    const std::string store = store_texts::store(m_file);
    const auto said = [](std::string_view text) { return std::string(text); };
    if (code == SQLITE_CANTOPEN_SYMLINK) {
        return RegistryResult::accessDenied(store + said(store_texts::kReachedThroughLink));
    }
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return RegistryResult::failure(store + said(store_texts::kDamagedOrNotAStore));
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return RegistryResult::accessDenied(store + said(store_texts::kIsReadOnly) +
                                            errnoText(systemError));
    case SQLITE_FULL:
        return RegistryResult::failure(said(store_texts::kTheDiskHolding) + store +
                                       said(store_texts::kIsFull));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return RegistryResult::failure(store + said(store_texts::kKeptBusy));
    case SQLITE_CANTOPEN:
        return systemFailure(store + said(store_texts::kCouldNotBeOpened), systemError);
    case SQLITE_IOERR:
        switch (systemError) {
        case ENOSPC:
            return RegistryResult::failure(said(store_texts::kTheDiskHolding) + store +
                                           said(store_texts::kIsFull) + errnoText(systemError));
        case EDQUOT:
            return RegistryResult::failure(said(store_texts::kQuotaLeavesNoRoomFor) + store +
                                           errnoText(systemError));
        case EFBIG:
            return RegistryResult::failure(store + said(store_texts::kWouldGrowTooLarge) +
                                           errnoText(systemError));
        case EROFS:
        case EACCES:
        case EPERM:
            return RegistryResult::accessDenied(store + said(store_texts::kIsReadOnly) +
                                                errnoText(systemError));
        default:
            return RegistryResult::failure(said(store_texts::kADiskErrorIn) + store +
                                           errnoText(systemError));
        }
    default:
        break;
    }
    std::string detail = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
    return RegistryResult::failure(std::string(doing) + " " + store + said(store_texts::kFailed) +
                                   detail);
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
    const std::string path = sqlitePath();
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    errno = 0;
    const int code = sqlite3_open_v2(path.c_str(), &m_db, flags, detail::descriptorFolderVfs());
    if (code != SQLITE_OK) {
        RegistryResult result = sqliteError(code, store_texts::kOpening);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return result;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_handler(m_db, waitForOthers, &m_busyTimeoutMs);
    // Nothing has been read yet, so nothing has been written either: SQLite applies a
    // journal left by a crash on the first read, which must only happen to the file
    // that was examined, and only with a journal that file left itself.
    RegistryResult opened = confirmOpenedFile();
    if (opened.ok()) {
        opened = checkCompanions();
    }
    // Neither setting is stored in the file, so they are safe before the file is known
    // to be ours. EXTRA also synchronises the folder once a commit has deleted the
    // journal, so that a commit survives a power cut as well.
    if (opened.ok()) {
        opened =
            execute("PRAGMA synchronous = EXTRA; PRAGMA foreign_keys = ON;", store_texts::kOpening);
    }
    return opened;
}

RegistryResult SqliteRegistryStore::refuseStore(std::string_view why) const
{
    return RegistryResult::failure(store_texts::store(m_file) + std::string(why) +
                                   std::string(store_texts::kLeftUntouched));
}

RegistryResult SqliteRegistryStore::checkStore(bool mayInitialise, bool &available)
{
    available = false;
    std::int64_t userVersion = 0;
    std::int64_t objectCount = 0;
    {
        Statement marks(m_db, "SELECT (SELECT user_version FROM pragma_user_version), "
                              "(SELECT count(*) FROM sqlite_master)");
        const int code = marks.firstRow();
        if (code != SQLITE_ROW) {
            return sqliteError(code, store_texts::kReading);
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
        return refuseStore(store_texts::kBelongsToAnotherProgram);
    }
    if (RegistryResult layout = checkLayout(); !layout.ok()) {
        return layout;
    }
    available = true;
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::checkLayout()
{
    const std::array<std::pair<std::string_view, std::set<std::string>>, 2> tables = {{
        {"reg_keys", {"hive", "path"}},
        {"reg_values", {"hive", "path", "name", "type", "data"}},
    }};
    for (const auto &[table, expected] : tables) {
        Statement columns(m_db, "SELECT name FROM pragma_table_info(?1)");
        if (columns.prepareCode() != SQLITE_OK) {
            return sqliteError(columns.prepareCode(), store_texts::kReading);
        }
        columns.bind(1, table);
        std::set<std::string> found;
        int code = SQLITE_ROW;
        while ((code = columns.step()) == SQLITE_ROW) {
            found.insert(columns.text(0));
        }
        if (code != SQLITE_DONE) {
            return sqliteError(code, store_texts::kReading);
        }
        if (found != expected) {
            return refuseStore(store_texts::kLacksTheTables);
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
            return sqliteError(code, store_texts::kReading);
        }
        if (foreign.integer(0) != 0) {
            return refuseStore(store_texts::kHoldsForeignObjects);
        }
    }

    Statement check(m_db, "PRAGMA quick_check");
    if (check.prepareCode() != SQLITE_OK) {
        return sqliteError(check.prepareCode(), store_texts::kChecking);
    }
    const int code = check.step();
    if (code != SQLITE_ROW) {
        return sqliteError(code, store_texts::kChecking);
    }
    if (check.text(0) != "ok") {
        return refuseStore(store_texts::kIsDamaged);
    }
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::initialiseStore()
{
    if (RegistryResult begun = execute("BEGIN IMMEDIATE", store_texts::kCreating); !begun.ok()) {
        return begun;
    }
    // Another process may have set the file up while this one waited for the lock.
    Statement objects(m_db, "SELECT count(*), (SELECT user_version FROM pragma_user_version) "
                            "FROM sqlite_master");
    const int code = objects.firstRow();
    if (code != SQLITE_ROW) {
        RegistryResult result = sqliteError(code, store_texts::kCreating);
        execute("ROLLBACK", store_texts::kCreating);
        return result;
    }
    const bool empty = objects.integer(0) == 0 && objects.integer(1) == 0;
    const bool ours = objects.integer(1) == kSchemaVersion;
    if (!empty) {
        execute("ROLLBACK", store_texts::kCreating);
        if (!ours) {
            return RegistryResult::failure(store_texts::store(m_file) +
                                           std::string(store_texts::kBelongsToAnotherProgram) +
                                           std::string(store_texts::kLeftUntouched));
        }
        return RegistryResult::success();
    }
    const std::string setUp =
        std::string(kSchema) + "PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
    RegistryResult created = execute(setUp, store_texts::kCreating);
    if (created.ok()) {
        created = execute("COMMIT", store_texts::kCreating);
    }
    if (!created.ok()) {
        if (sqlite3_get_autocommit(m_db) == 0) {
            execute("ROLLBACK", store_texts::kCreating);
        }
        return created;
    }
    syncFolder(m_folder);
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::leaveWriteAheadLog()
{
    // Older versions kept the store in write-ahead-log mode, with the log beside it
    // between saves. Leaving that mode moves every change in the log into the file and
    // removes the log. It needs the file to itself; should another program still hold
    // it, the store is used as it is and taken over by a later save.
    bool writeAheadLog = false;
    {
        Statement mode(m_db, "PRAGMA journal_mode");
        writeAheadLog = mode.firstRow() == SQLITE_ROW && mode.text(0) == "wal";
    }
    if (writeAheadLog) {
        execute("PRAGMA journal_mode = DELETE", store_texts::kOpening);
    }
    return RegistryResult::success();
}

} // namespace lumox
