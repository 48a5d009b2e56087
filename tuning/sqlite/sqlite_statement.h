#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace lumox::detail {

// One prepared statement, finalised when it goes out of scope.
class Statement
{
public:
    // Compiles sql for db. Whether that worked is told by prepareCode(); a statement
    // that did not compile must not be bound or stepped.
    Statement(sqlite3 *db, std::string_view sql);
    ~Statement();

    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // SQLITE_OK when the statement compiled; otherwise the error code.
    int prepareCode() const { return m_prepareCode; }

    // Binds text (copied, an empty view as an empty string, never NULL) or a number
    // to the parameter at index, counted from 1.
    void bind(int index, std::string_view text);
    void bind(int index, int number);

    // Runs the statement to its next row and returns SQLite's code for it. errno is
    // cleared first, so that a system error SQLite does not pass on can still be read.
    int step();
    // Rewinds the statement so that it can be bound and run again.
    void reset();

    // Runs the statement to its first row: SQLITE_ROW when it compiled and gave one,
    // otherwise the code that stopped it.
    int firstRow();

    // The column of the current row as a number, or as text (empty for NULL).
    std::int64_t integer(int column) const;
    std::string text(int column) const;

private:
    sqlite3_stmt *m_statement = nullptr;
    int m_prepareCode = SQLITE_OK;
};

} // namespace lumox::detail
