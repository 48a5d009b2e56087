#include "sqlite_statement.h"

#include <cerrno>
#include <cstddef>

namespace lumox::detail {

Statement::Statement(sqlite3 *db, std::string_view sql)
{
    m_prepareCode =
        sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_statement, nullptr);
}

Statement::~Statement()
{
    sqlite3_finalize(m_statement);
}

void Statement::bind(int index, std::string_view text)
{
    // An empty view may carry a null pointer, which SQLite would bind as NULL.
    sqlite3_bind_text(m_statement, index, text.data() != nullptr ? text.data() : "",
                      static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void Statement::bind(int index, int number)
{
    sqlite3_bind_int(m_statement, index, number);
}

int Statement::step()
{
    errno = 0;
    return sqlite3_step(m_statement);
}

void Statement::reset()
{
    sqlite3_reset(m_statement);
}

int Statement::firstRow()
{
    return m_prepareCode == SQLITE_OK ? step() : m_prepareCode;
}

std::int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::string Statement::text(int column) const
{
    const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return chars == nullptr
               ? std::string()
               : std::string(chars,
                             static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)));
}

} // namespace lumox::detail
