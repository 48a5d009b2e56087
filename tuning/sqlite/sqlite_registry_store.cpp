#include "sqlite_registry_store.h"
#include "sqlite_statement.h"
#include "store_file.h"
#include "store_texts.h"

#include <sqlite3.h>

#include <unistd.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace lumox {

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

// Runs a function when it goes out of scope.
template <typename Function> class AtScopeEnd
{
public:
    explicit AtScopeEnd(Function function) : m_function(std::move(function)) {}
    ~AtScopeEnd() { m_function(); }
    AtScopeEnd(const AtScopeEnd &) = delete;
    AtScopeEnd &operator=(const AtScopeEnd &) = delete;

private:
    Function m_function;
};

RegistryResult invalidKeyPath(std::string_view path)
{
    return RegistryResult::failure("\"" + std::string(path) +
                                   std::string(store_texts::kNotAValidKeyPath));
}

} // namespace

SqliteRegistryStore::SqliteRegistryStore(std::filesystem::path file, int busyTimeoutMs)
    : m_file(std::move(file)), m_busyTimeoutMs(busyTimeoutMs)
{
    ignoreStoreSignals();
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
    // Folders made for a first save that never saved are not left behind.
    removeUnfinished();
    if (m_lock >= 0) {
        ::close(m_lock); // which releases the lock
        m_lock = -1;
    }
    if (m_folder >= 0) {
        ::close(m_folder);
        m_folder = -1;
    }
    m_fileExists = false;
    m_inTransaction = false;
}

void SqliteRegistryStore::releaseUnlessInBatch()
{
    if (!m_batchOpen) {
        disconnect();
    }
}

RegistryResult SqliteRegistryStore::connect(Access access, bool &available)
{
    available = false;
    if (m_db != nullptr) {
        // Opened earlier in this batch.
        available = true;
        return RegistryResult::success();
    }
    RegistryResult result = connectOnce(access, available);
    if (!result.ok() || !available) {
        disconnect();
    }
    return result;
}

RegistryResult SqliteRegistryStore::connectOnce(Access access, bool &available)
{
    m_madeFolders.clear();
    bool folderExists = false;
    bool fileExists = false;
    std::string content;
    RegistryResult placed = openFolder(access, folderExists);
    if (placed.ok() && folderExists) {
        placed = lockFolder();
        if (placed.ok()) {
            placed = checkLeftovers();
        }
        if (placed.ok()) {
            placed = examineFile(fileExists);
        }
        if (placed.ok() && fileExists) {
            placed = readFile(content);
        }
    }
    if (!placed.ok() || !folderExists || (!fileExists && access == Access::Look)) {
        return placed;
    }
    m_fileExists = fileExists;
    RegistryResult opened = openInMemory(content);
    if (opened.ok()) {
        opened = checkStore(access == Access::Write, available);
    }
    return opened;
}

template <typename Body> RegistryResult SqliteRegistryStore::writeTransaction(Body &&body)
{
    if (m_batchOpen) {
        if (m_inTransaction) {
            if (sqlite3_get_autocommit(m_db) != 0) {
                return RegistryResult::failure(std::string(store_texts::kAbandoned));
            }
        } else {
            if (RegistryResult begun = execute("BEGIN IMMEDIATE", store_texts::kWritingTo);
                !begun.ok()) {
                return begun;
            }
            m_inTransaction = true;
        }
        return body();
    }
    if (RegistryResult begun = execute("BEGIN IMMEDIATE", store_texts::kWritingTo); !begun.ok()) {
        return begun;
    }
    m_written.clear();
    RegistryResult result = body();
    if (result.ok()) {
        return commitAndReplace();
    }
    if (sqlite3_get_autocommit(m_db) == 0) {
        execute("ROLLBACK", store_texts::kWritingTo);
    }
    m_written.clear();
    return result;
}

RegistryResult SqliteRegistryStore::openKey(RegistryHive hive, std::string_view path,
                                            std::unique_ptr<RegistryKey> &key)
{
    const AtScopeEnd release([this] { releaseUnlessInBatch(); });
    key.reset();
    if (!isValidKeyPath(path)) {
        return invalidKeyPath(path);
    }
    bool available = false;
    if (RegistryResult connected = connect(Access::Look, available); !connected.ok()) {
        return connected;
    }
    if (!available) {
        return RegistryResult::notFound(std::string(store_texts::kKeyDoesNotExist));
    }
    Statement select(m_db, "SELECT 1 FROM reg_keys WHERE hive = ?1 AND path = ?2");
    if (select.prepareCode() != SQLITE_OK) {
        return sqliteError(select.prepareCode(), store_texts::kReading);
    }
    select.bind(1, hiveName(hive));
    select.bind(2, path);
    const int code = select.step();
    if (code == SQLITE_DONE) {
        return RegistryResult::notFound(std::string(store_texts::kKeyDoesNotExist));
    }
    if (code != SQLITE_ROW) {
        return sqliteError(code, store_texts::kReading);
    }
    key = std::make_unique<SqliteKey>(this, hive, path);
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::createKey(RegistryHive hive, std::string_view path,
                                              std::unique_ptr<RegistryKey> &key)
{
    const AtScopeEnd release([this] { releaseUnlessInBatch(); });
    key.reset();
    if (!isValidKeyPath(path)) {
        return invalidKeyPath(path);
    }
    bool available = false;
    if (RegistryResult connected = connect(Access::Write, available); !connected.ok()) {
        return connected;
    }
    RegistryResult created = writeTransaction([&]() {
        Statement insert(m_db, "INSERT OR IGNORE INTO reg_keys (hive, path) VALUES (?1, ?2)");
        if (insert.prepareCode() != SQLITE_OK) {
            return sqliteError(insert.prepareCode(), store_texts::kWritingTo);
        }
        // The key and every parent of it, as the registry creates them.
        std::size_t end = 0;
        do {
            end = path.find('\\', end);
            insert.reset();
            insert.bind(1, hiveName(hive));
            insert.bind(2, path.substr(0, end));
            if (const int code = insert.step(); code != SQLITE_DONE) {
                return sqliteError(code, store_texts::kWritingTo);
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
    const AtScopeEnd release([this] { releaseUnlessInBatch(); });
    const auto *sqliteKey = dynamic_cast<const SqliteKey *>(&key);
    if (sqliteKey == nullptr || sqliteKey->owner() != this) {
        return RegistryResult::failure(std::string(store_texts::kForeignKey));
    }
    if (name.find('\0') != std::string_view::npos || data.find('\0') != std::string_view::npos) {
        return RegistryResult::failure(std::string(store_texts::kNulCharacter));
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
            return sqliteError(upsert.prepareCode(), store_texts::kWritingTo);
        }
        upsert.bind(1, hiveName(sqliteKey->hive()));
        upsert.bind(2, sqliteKey->path());
        upsert.bind(3, name);
        upsert.bind(4, kRegSz);
        upsert.bind(5, data);
        const int code = upsert.step();
        if (code == SQLITE_CONSTRAINT_FOREIGNKEY) {
            return RegistryResult::notFound(std::string(store_texts::kKeyNoLongerExists));
        }
        if (code != SQLITE_DONE) {
            return sqliteError(code, store_texts::kWritingTo);
        }
        forgetWritten(sqliteKey->hive(), sqliteKey->path(), name);
        m_written.push_back(
            {sqliteKey->hive(), sqliteKey->path(), std::string(name), std::string(data)});
        return RegistryResult::success();
    });
}

RegistryResult SqliteRegistryStore::deleteValue(RegistryKey &key, std::string_view name)
{
    const AtScopeEnd release([this] { releaseUnlessInBatch(); });
    const auto *sqliteKey = dynamic_cast<const SqliteKey *>(&key);
    if (sqliteKey == nullptr || sqliteKey->owner() != this) {
        return RegistryResult::failure(std::string(store_texts::kForeignKey));
    }
    bool available = false;
    if (RegistryResult connected = connect(Access::Look, available); !connected.ok()) {
        return connected;
    }
    if (!available) {
        return RegistryResult::notFound(std::string(store_texts::kValueDoesNotExist));
    }
    const auto deleteRow = [&]() {
        Statement remove(m_db,
                         "DELETE FROM reg_values WHERE hive = ?1 AND path = ?2 AND name = ?3");
        if (remove.prepareCode() != SQLITE_OK) {
            return sqliteError(remove.prepareCode(), store_texts::kWritingTo);
        }
        remove.bind(1, hiveName(sqliteKey->hive()));
        remove.bind(2, sqliteKey->path());
        remove.bind(3, name);
        if (const int code = remove.step(); code != SQLITE_DONE) {
            return sqliteError(code, store_texts::kWritingTo);
        }
        if (sqlite3_changes(m_db) == 0) {
            return RegistryResult::notFound(std::string(store_texts::kValueDoesNotExist));
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
            return sqliteError(select.prepareCode(), store_texts::kReading);
        }
        select.bind(1, hiveName(sqliteKey->hive()));
        select.bind(2, sqliteKey->path());
        select.bind(3, name);
        const int code = select.step();
        if (code == SQLITE_DONE) {
            return RegistryResult::notFound(std::string(store_texts::kValueDoesNotExist));
        }
        if (code != SQLITE_ROW) {
            return sqliteError(code, store_texts::kReading);
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
