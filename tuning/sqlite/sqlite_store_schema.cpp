// Opening the database in memory on the file's content, checking that it is this program's registry
// store (and holds nothing the program did not make), setting up a new one, and the texts for
// SQLite's failures.
#include "sqlite_registry_store.h"
#include "sqlite_statement.h"
#include "store_file.h"
#include "store_texts.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdint>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace lumox {

using detail::errnoText;
using detail::Statement;
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

RegistryResult SqliteRegistryStore::openInMemory(const std::string &content)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    errno = 0;
    if (const int code = sqlite3_open_v2(":memory:", &m_db, flags, nullptr); code != SQLITE_OK) {
        RegistryResult result = sqliteError(code, store_texts::kOpening);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return result;
    }
    sqlite3_extended_result_codes(m_db, 1);
    // Exclusive locking lets SQLite keep what a store in write-ahead-log mode needs
    // in memory too, so that such a store can be read; nothing here touches a file.
    if (RegistryResult exclusive = execute(
            "PRAGMA locking_mode = EXCLUSIVE; PRAGMA temp_store = MEMORY", store_texts::kOpening);
        !exclusive.ok()) {
        return exclusive;
    }
    if (!content.empty()) {
        const auto size = static_cast<sqlite3_int64>(content.size());
        auto *copy = static_cast<unsigned char *>(sqlite3_malloc64(content.size()));
        if (copy == nullptr) {
            return sqliteError(SQLITE_NOMEM, store_texts::kReading);
        }
        std::copy(content.begin(), content.end(), copy);
        // SQLite frees the copy, whether this succeeds or not.
        const int code =
            sqlite3_deserialize(m_db, "main", copy, size, size,
                                SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE);
        if (code != SQLITE_OK) {
            return sqliteError(code, store_texts::kReading);
        }
    }
    // The rollback journal of the database in memory stays in memory; a store that an
    // older version left in write-ahead-log mode leaves that mode here, so that it is
    // saved without it.
    return execute("PRAGMA journal_mode = MEMORY; PRAGMA foreign_keys = ON", store_texts::kOpening);
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
    // Only in memory: the file gets it with the first change that is saved.
    const std::string setUp = "BEGIN; " + std::string(kSchema) +
                              "PRAGMA user_version = " + std::to_string(kSchemaVersion) +
                              "; COMMIT;";
    RegistryResult created = execute(setUp, store_texts::kCreating);
    if (!created.ok() && sqlite3_get_autocommit(m_db) == 0) {
        execute("ROLLBACK", store_texts::kCreating);
    }
    return created;
}

} // namespace lumox
