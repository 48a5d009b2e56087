// Batches of changes, and the read-back of every value written before a transaction
// is committed.
#include "sqlite_registry_store.h"
#include "sqlite_statement.h"
#include "store_texts.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace lumox {

using detail::Statement;

namespace {

// Whether two key paths or value names are the same, ignoring the case of ASCII
// letters as the store's NOCASE collation does.
bool sameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

void SqliteRegistryStore::forgetWritten(RegistryHive hive, std::string_view path,
                                        std::string_view name)
{
    std::erase_if(m_written, [&](const WrittenValue &written) {
        return written.hive == hive && sameName(written.path, path) && sameName(written.name, name);
    });
}

RegistryResult SqliteRegistryStore::verifyWritten()
{
    Statement select(m_db, "SELECT type, data FROM reg_values "
                           "WHERE hive = ?1 AND path = ?2 AND name = ?3");
    if (select.prepareCode() != SQLITE_OK) {
        return sqliteError(select.prepareCode(), store_texts::kReading);
    }
    for (const WrittenValue &written : m_written) {
        select.reset();
        select.bind(1, hiveName(written.hive));
        select.bind(2, written.path);
        select.bind(3, written.name);
        const int code = select.step();
        if (code != SQLITE_ROW && code != SQLITE_DONE) {
            return sqliteError(code, store_texts::kReading);
        }
        if (code == SQLITE_ROW && select.integer(0) == kRegSz && select.text(1) == written.data) {
            continue;
        }
        const std::string found =
            code == SQLITE_ROW ? "\"" + select.text(1) + "\"" : std::string(store_texts::kNothing);
        return RegistryResult::failure(store_texts::readsDifferently(
            m_file, found, written.data, written.name,
            std::string(hiveName(written.hive)) + "\\" + written.path));
    }
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::beginBatch()
{
    if (m_batchOpen) {
        return RegistryResult::failure(std::string(store_texts::kBatchAlreadyOpen));
    }
    // The transaction itself starts with the first change, so that a batch that
    // changes nothing neither creates the file nor waits for other writers.
    m_batchOpen = true;
    m_written.clear();
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::commitBatch()
{
    if (!m_batchOpen) {
        return RegistryResult::failure(std::string(store_texts::kNoBatchOpen));
    }
    m_batchOpen = false;
    if (!m_inTransaction) {
        disconnect();
        return RegistryResult::success();
    }
    m_inTransaction = false;
    if (sqlite3_get_autocommit(m_db) != 0) {
        m_written.clear();
        disconnect();
        return RegistryResult::failure(std::string(store_texts::kAbandoned));
    }
    RegistryResult committed = commitAndReplace();
    disconnect();
    return committed;
}

RegistryResult SqliteRegistryStore::commitAndReplace()
{
    RegistryResult committed = verifyWritten();
    m_written.clear();
    if (committed.ok()) {
        committed = execute("COMMIT", store_texts::kWritingTo);
    }
    if (!committed.ok()) {
        if (sqlite3_get_autocommit(m_db) == 0) {
            execute("ROLLBACK", store_texts::kWritingTo);
        }
        return committed;
    }
    // The database in memory now holds the change; the file gets it, or the change is
    // given up together with the connection.
    return replaceFile();
}

RegistryResult SqliteRegistryStore::rollbackBatch()
{
    if (!m_batchOpen) {
        return RegistryResult::success();
    }
    m_batchOpen = false;
    m_written.clear();
    if (m_inTransaction && sqlite3_get_autocommit(m_db) == 0) {
        // Closing the connection discards an unfinished transaction as well.
        execute("ROLLBACK", store_texts::kWritingTo);
    }
    disconnect();
    return RegistryResult::success();
}

} // namespace lumox
