#include "sqlite_registry_store.h"
#include "sqlite_statement.h"
#include "store_file.h"

#include <sqlite3.h>

#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

namespace lumox {

using detail::createFolders;
using detail::folderOf;
using detail::ignoreFileSizeSignal;
using detail::Statement;

namespace {

class SqliteKey final : public RegistryKey
{
public:
    SqliteKey(const SqliteRegistryStore *owner, RegistryHive hive, std::string_view path)
        : m_owner(owner), m_hive(hive), m_path(path)
    {
    }

    const SqliteRegistryStore *owner() const { return m_owner; }
    RegistryHive hive() const { return m_hive; }
    const std::string &path() const { return m_path; }

private:
    const SqliteRegistryStore *m_owner;
    RegistryHive m_hive;
    std::string m_path;
};

bool isValidKeyPath(std::string_view path)
{
    if (path.empty() || path.front() == '\\' || path.back() == '\\') {
        return false;
    }
    return path.find("\\\\") == std::string_view::npos && path.find('\0') == std::string_view::npos;
}

} // namespace

SqliteRegistryStore::SqliteRegistryStore(std::filesystem::path file, int busyTimeoutMs)
    : m_file(std::move(file)), m_busyTimeoutMs(busyTimeoutMs)
{
    ignoreFileSizeSignal();
}

SqliteRegistryStore::~SqliteRegistryStore()
{
    disconnect();
}

void SqliteRegistryStore::disconnect()
{
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_inTransaction = false;
}

RegistryResult SqliteRegistryStore::connect(Access access, bool &available)
{
    available = false;
    if (m_db != nullptr) {
        if (m_inTransaction || !fileWasReplaced()) {
            available = true;
            return RegistryResult::success();
        }
        disconnect();
    }

    bool exists = false;
    if (RegistryResult placed = examinePlace(exists); !placed.ok()) {
        return placed;
    }
    std::optional<FileIdentity> created;
    if (!exists) {
        if (access == Access::Look) {
            return RegistryResult::success();
        }
        if (RegistryResult made = createFolders(folderOf(m_file)); !made.ok()) {
            return made;
        }
        // The folders may have been there already: they are examined again.
        RegistryResult made = createFile(created);
        if (made.ok()) {
            made = examinePlace(exists);
        }
        if (made.ok() && !exists) {
            made = RegistryResult::failure("the registry store " + m_file.string() +
                                           " disappeared while it was being created");
        }
        if (!made.ok()) {
            if (created) {
                removeUnfinishedFile(*created);
            }
            return made;
        }
    }

    // Two programs setting up a new file at the same moment can see SQLite report the
    // file busy without waiting (the switch to write-ahead logging does not wait), so
    // opening is tried again until the busy timeout has passed.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(m_busyTimeoutMs);
    for (;;) {
        m_lastErrorCode = SQLITE_OK;
        RegistryResult checked = openConnection();
        if (checked.ok()) {
            checked = checkStore(access == Access::Write, available);
        }
        if (checked.ok() && available) {
            break;
        }
        disconnect();
        if (checked.ok() || (m_lastErrorCode & 0xff) != SQLITE_BUSY ||
            std::chrono::steady_clock::now() >= deadline) {
            if (created) {
                removeUnfinishedFile(*created);
            }
            return checked;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    struct stat status
    {
    };
    if (::lstat(m_file.c_str(), &status) != 0) {
        disconnect();
        return RegistryResult::failure("the registry store " + m_file.string() +
                                       " disappeared while it was being opened");
    }
    m_device = status.st_dev;
    m_inode = status.st_ino;
    return RegistryResult::success();
}

template <typename Body> RegistryResult SqliteRegistryStore::writeTransaction(Body &&body)
{
    if (m_batchOpen) {
        if (m_inTransaction) {
            if (sqlite3_get_autocommit(m_db) != 0) {
                return RegistryResult::failure("the changes were abandoned after an earlier error");
            }
        } else {
            if (RegistryResult begun = execute("BEGIN IMMEDIATE", "Writing to"); !begun.ok()) {
                return begun;
            }
            m_inTransaction = true;
        }
        return body();
    }
    if (RegistryResult begun = execute("BEGIN IMMEDIATE", "Writing to"); !begun.ok()) {
        return begun;
    }
    m_written.clear();
    RegistryResult result = body();
    if (result.ok()) {
        result = verifyWritten();
    }
    if (result.ok()) {
        result = execute("COMMIT", "Writing to");
    }
    if (!result.ok() && sqlite3_get_autocommit(m_db) == 0) {
        execute("ROLLBACK", "Writing to");
    }
    m_written.clear();
    return result;
}

RegistryResult SqliteRegistryStore::openKey(RegistryHive hive, std::string_view path,
                                            std::unique_ptr<RegistryKey> &key)
{
    key.reset();
    if (!isValidKeyPath(path)) {
        return RegistryResult::failure("\"" + std::string(path) + "\" is not a valid key path");
    }
    bool available = false;
    if (RegistryResult connected = connect(Access::Look, available); !connected.ok()) {
        return connected;
    }
    if (!available) {
        return RegistryResult::notFound("the key does not exist");
    }
    Statement select(m_db, "SELECT 1 FROM reg_keys WHERE hive = ?1 AND path = ?2");
    if (select.prepareCode() != SQLITE_OK) {
        return sqliteError(select.prepareCode(), "Reading");
    }
    select.bind(1, hiveName(hive));
    select.bind(2, path);
    const int code = select.step();
    if (code == SQLITE_DONE) {
        return RegistryResult::notFound("the key does not exist");
    }
    if (code != SQLITE_ROW) {
        return sqliteError(code, "Reading");
    }
    key = std::make_unique<SqliteKey>(this, hive, path);
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::createKey(RegistryHive hive, std::string_view path,
                                              std::unique_ptr<RegistryKey> &key)
{
    key.reset();
    if (!isValidKeyPath(path)) {
        return RegistryResult::failure("\"" + std::string(path) + "\" is not a valid key path");
    }
    bool available = false;
    if (RegistryResult connected = connect(Access::Write, available); !connected.ok()) {
        return connected;
    }
    RegistryResult created = writeTransaction([&]() {
        Statement insert(m_db, "INSERT OR IGNORE INTO reg_keys (hive, path) VALUES (?1, ?2)");
        if (insert.prepareCode() != SQLITE_OK) {
            return sqliteError(insert.prepareCode(), "Writing to");
        }
        // The key and every parent of it, as the registry creates them.
        std::size_t end = 0;
        do {
            end = path.find('\\', end);
            insert.reset();
            insert.bind(1, hiveName(hive));
            insert.bind(2, path.substr(0, end));
            if (const int code = insert.step(); code != SQLITE_DONE) {
                return sqliteError(code, "Writing to");
            }
            if (end != std::string_view::npos) {
                ++end;
            }
        } while (end != std::string_view::npos);
        return RegistryResult::success();
    });
    if (created.ok()) {
        key = std::make_unique<SqliteKey>(this, hive, path);
    }
    return created;
}

RegistryResult SqliteRegistryStore::setStringValue(RegistryKey &key, std::string_view name,
                                                   std::string_view data)
{
    const auto *sqliteKey = dynamic_cast<const SqliteKey *>(&key);
    if (sqliteKey == nullptr || sqliteKey->owner() != this) {
        return RegistryResult::failure("the key was not opened by this registry store");
    }
    if (name.find('\0') != std::string_view::npos || data.find('\0') != std::string_view::npos) {
        return RegistryResult::failure("a value name or string value cannot hold a NUL character");
    }
    bool available = false;
    if (RegistryResult connected = connect(Access::Write, available); !connected.ok()) {
        return connected;
    }
    return writeTransaction([&]() {
        Statement upsert(m_db, "INSERT INTO reg_values (hive, path, name, type, data) "
                               "VALUES (?1, ?2, ?3, ?4, ?5) "
                               "ON CONFLICT (hive, path, name) "
                               "DO UPDATE SET type = excluded.type, data = excluded.data");
        if (upsert.prepareCode() != SQLITE_OK) {
            return sqliteError(upsert.prepareCode(), "Writing to");
        }
        upsert.bind(1, hiveName(sqliteKey->hive()));
        upsert.bind(2, sqliteKey->path());
        upsert.bind(3, name);
        upsert.bind(4, kRegSz);
        upsert.bind(5, data);
        const int code = upsert.step();
        if (code == SQLITE_CONSTRAINT_FOREIGNKEY) {
            return RegistryResult::notFound("the key no longer exists");
        }
        if (code != SQLITE_DONE) {
            return sqliteError(code, "Writing to");
        }
        forgetWritten(sqliteKey->hive(), sqliteKey->path(), name);
        m_written.push_back(
            {sqliteKey->hive(), sqliteKey->path(), std::string(name), std::string(data)});
        return RegistryResult::success();
    });
}

RegistryResult SqliteRegistryStore::deleteValue(RegistryKey &key, std::string_view name)
{
    const auto *sqliteKey = dynamic_cast<const SqliteKey *>(&key);
    if (sqliteKey == nullptr || sqliteKey->owner() != this) {
        return RegistryResult::failure("the key was not opened by this registry store");
    }
    bool available = false;
    if (RegistryResult connected = connect(Access::Look, available); !connected.ok()) {
        return connected;
    }
    if (!available) {
        return RegistryResult::notFound("the value does not exist");
    }
    const auto deleteRow = [&]() {
        Statement remove(m_db,
                         "DELETE FROM reg_values WHERE hive = ?1 AND path = ?2 AND name = ?3");
        if (remove.prepareCode() != SQLITE_OK) {
            return sqliteError(remove.prepareCode(), "Writing to");
        }
        remove.bind(1, hiveName(sqliteKey->hive()));
        remove.bind(2, sqliteKey->path());
        remove.bind(3, name);
        if (const int code = remove.step(); code != SQLITE_DONE) {
            return sqliteError(code, "Writing to");
        }
        if (sqlite3_changes(m_db) == 0) {
            return RegistryResult::notFound("the value does not exist");
        }
        forgetWritten(sqliteKey->hive(), sqliteKey->path(), name);
        return RegistryResult::success();
    };
    if (!m_inTransaction) {
        // An absent value needs no write access, so a read-only store can still
        // report it as absent.
        Statement select(m_db,
                         "SELECT 1 FROM reg_values WHERE hive = ?1 AND path = ?2 AND name = ?3");
        if (select.prepareCode() != SQLITE_OK) {
            return sqliteError(select.prepareCode(), "Reading");
        }
        select.bind(1, hiveName(sqliteKey->hive()));
        select.bind(2, sqliteKey->path());
        select.bind(3, name);
        const int code = select.step();
        if (code == SQLITE_DONE) {
            return RegistryResult::notFound("the value does not exist");
        }
        if (code != SQLITE_ROW) {
            return sqliteError(code, "Reading");
        }
    }
    return writeTransaction(deleteRow);
}

std::unique_ptr<RegistryStore> makeSqliteRegistryStore(std::filesystem::path file)
{
    return std::make_unique<SqliteRegistryStore>(std::move(file));
}

std::unique_ptr<RegistryStore> makeDefaultRegistryStore()
{
    return makeSqliteRegistryStore(defaultRegistryStorePath());
}

} // namespace lumox
