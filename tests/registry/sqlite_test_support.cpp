#include "sqlite_test_support.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace lumox::testing {

namespace {

constexpr std::string_view kHive = "HKEY_LOCAL_MACHINE";

constexpr std::string_view kDocumentedSchema = R"sql(
CREATE TABLE IF NOT EXISTS reg_keys (
    hive TEXT NOT NULL,
    path TEXT NOT NULL COLLATE NOCASE,
    PRIMARY KEY (hive, path)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS reg_values (
    hive TEXT NOT NULL,
    path TEXT NOT NULL COLLATE NOCASE,
    name TEXT NOT NULL COLLATE NOCASE,
    type INTEGER NOT NULL,
    data TEXT NOT NULL,
    PRIMARY KEY (hive, path, name),
    FOREIGN KEY (hive, path) REFERENCES reg_keys (hive, path) ON DELETE CASCADE
) WITHOUT ROWID;
PRAGMA user_version = 1280137217;
)sql";

void makeWritable(const std::filesystem::path &root)
{
    std::error_code ignored;
    std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    if (std::filesystem::is_directory(root, ignored)) {
        for (const auto &entry : std::filesystem::directory_iterator(root, ignored)) {
            if (!entry.is_symlink(ignored)) {
                makeWritable(entry.path());
            }
        }
    }
}

} // namespace

TemporaryFolder::TemporaryFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "lumox-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    m_path = pattern;
}

TemporaryFolder::~TemporaryFolder()
{
    makeWritable(m_path);
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::optional<std::string> fileBytes(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFileBytes(const std::filesystem::path &file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << file;
}

RawStore::RawStore(std::filesystem::path file) : m_file(std::move(file)) {}

RawStore::~RawStore()
{
    close();
}

void RawStore::close()
{
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool RawStore::open(bool create)
{
    if (m_db != nullptr) {
        return true;
    }
    if (!create && !std::filesystem::exists(m_file)) {
        return false;
    }
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(m_file.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << m_file << ": " << sqlite3_errmsg(m_db);
        close();
        return false;
    }
    sqlite3_busy_timeout(m_db, 10000);
    return true;
}

bool RawStore::keyExists(std::string_view path)
{
    if (!open(false)) {
        return false;
    }
    sqlite3_stmt *statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(m_db, "SELECT 1 FROM reg_keys WHERE hive = ?1 AND path = ?2", -1,
                                 &statement, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(m_db);
    sqlite3_bind_text(statement, 1, kHive.data(), static_cast<int>(kHive.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
    const int code = sqlite3_step(statement);
    EXPECT_TRUE(code == SQLITE_ROW || code == SQLITE_DONE) << sqlite3_errmsg(m_db);
    sqlite3_finalize(statement);
    return code == SQLITE_ROW;
}

std::optional<StoredValue> RawStore::value(std::string_view path, std::string_view name)
{
    if (!open(false)) {
        return std::nullopt;
    }
    sqlite3_stmt *statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(m_db,
                                 "SELECT type, data FROM reg_values "
                                 "WHERE hive = ?1 AND path = ?2 AND name = ?3",
                                 -1, &statement, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(m_db);
    sqlite3_bind_text(statement, 1, kHive.data(), static_cast<int>(kHive.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 3, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    std::optional<StoredValue> found;
    const int code = sqlite3_step(statement);
    if (code == SQLITE_ROW) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, 1));
        found = StoredValue{static_cast<unsigned long>(sqlite3_column_int64(statement, 0)),
                            text == nullptr ? std::string() : std::string(text)};
    } else {
        EXPECT_EQ(code, SQLITE_DONE) << sqlite3_errmsg(m_db);
    }
    sqlite3_finalize(statement);
    return found;
}

void RawStore::plant(std::string_view path, std::string_view name, std::string_view data)
{
    ASSERT_TRUE(open(true));
    const std::string schema(kDocumentedSchema);
    ASSERT_EQ(sqlite3_exec(m_db, schema.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(m_db);
    sqlite3_stmt *key = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(m_db, "INSERT OR IGNORE INTO reg_keys VALUES (?1, ?2)", -1, &key,
                                 nullptr),
              SQLITE_OK);
    for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
        const std::string_view prefix = path.substr(0, end);
        sqlite3_reset(key);
        sqlite3_bind_text(key, 1, kHive.data(), static_cast<int>(kHive.size()), SQLITE_STATIC);
        sqlite3_bind_text(key, 2, prefix.data(), static_cast<int>(prefix.size()), SQLITE_STATIC);
        EXPECT_EQ(sqlite3_step(key), SQLITE_DONE) << sqlite3_errmsg(m_db);
        if (end == std::string_view::npos) {
            break;
        }
    }
    sqlite3_finalize(key);
    sqlite3_stmt *value = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(m_db,
                                 "INSERT OR REPLACE INTO reg_values VALUES (?1, ?2, ?3, 1, ?4)", -1,
                                 &value, nullptr),
              SQLITE_OK);
    sqlite3_bind_text(value, 1, kHive.data(), static_cast<int>(kHive.size()), SQLITE_STATIC);
    sqlite3_bind_text(value, 2, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
    sqlite3_bind_text(value, 3, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    sqlite3_bind_text(value, 4, data.data(), static_cast<int>(data.size()), SQLITE_STATIC);
    EXPECT_EQ(sqlite3_step(value), SQLITE_DONE) << sqlite3_errmsg(m_db);
    sqlite3_finalize(value);
}

std::string RawStore::scalar(std::string_view sql)
{
    if (!open(false)) {
        ADD_FAILURE() << m_file << " does not exist";
        return {};
    }
    sqlite3_stmt *statement = nullptr;
    const std::string text(sql);
    if (sqlite3_prepare_v2(m_db, text.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << text << ": " << sqlite3_errmsg(m_db);
        return {};
    }
    std::string result;
    if (sqlite3_step(statement) == SQLITE_ROW) {
        const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
        result = chars == nullptr ? std::string() : std::string(chars);
    }
    sqlite3_finalize(statement);
    return result;
}

} // namespace lumox::testing
