#include "sqlite_registry_store.h"

#include <sqlite3.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace lumox {

namespace {

// The value type stored for string values, numbered as the Windows registry does.
constexpr int kRegSz = 1;

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

// One prepared statement, finalised when it goes out of scope.
class Statement
{
public:
    Statement(sqlite3 *db, std::string_view sql)
    {
        m_prepareCode =
            sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }

    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // SQLITE_OK when the statement compiled; otherwise the error code.
    int prepareCode() const { return m_prepareCode; }

    void bind(int index, std::string_view text)
    {
        // An empty view may carry a null pointer, which SQLite would bind as NULL.
        sqlite3_bind_text(m_statement, index, text.data() != nullptr ? text.data() : "",
                          static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, int number) { sqlite3_bind_int(m_statement, index, number); }

    int step()
    {
        errno = 0;
        return sqlite3_step(m_statement);
    }
    void reset() { sqlite3_reset(m_statement); }

    // Runs the statement to its first row: SQLITE_ROW when it compiled and gave one,
    // otherwise the code that stopped it.
    int firstRow() { return m_prepareCode == SQLITE_OK ? step() : m_prepareCode; }

    std::int64_t integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    std::string text(int column) const
    {
        const auto *chars =
            reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return chars == nullptr ? std::string()
                                : std::string(chars, static_cast<std::size_t>(sqlite3_column_bytes(
                                                         m_statement, column)));
    }

private:
    sqlite3_stmt *m_statement = nullptr;
    int m_prepareCode = SQLITE_OK;
};

bool isValidKeyPath(std::string_view path)
{
    if (path.empty() || path.front() == '\\' || path.back() == '\\') {
        return false;
    }
    return path.find("\\\\") == std::string_view::npos && path.find('\0') == std::string_view::npos;
}

std::string errnoText(int error)
{
    return error == 0 ? std::string() : std::string(" (") + std::strerror(error) + ")";
}

// A write past the file size limit raises SIGXFSZ, which would end the program.
// Ignored, the write fails with EFBIG instead, and the store reports that. A handler
// that someone else installed is left alone.
void ignoreFileSizeSignal()
{
    struct sigaction current
    {
    };
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        std::signal(SIGXFSZ, SIG_IGN);
    }
}

// Whether two key paths or value names are the same, ignoring the case of ASCII
// letters as the store's NOCASE collation does.
bool sameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// The folder that holds file, "." for a bare file name.
std::filesystem::path folderOf(const std::filesystem::path &file)
{
    std::filesystem::path folder = file.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// A refusal for a failed system call on path, sorted by the error it gave.
RegistryResult systemFailure(const std::string &what, int error)
{
    if (error == EACCES || error == EPERM || error == EROFS) {
        return RegistryResult::accessDenied(what + errnoText(error));
    }
    return RegistryResult::failure(what + errnoText(error));
}

// Creates folder and its missing parents, each new one readable by the user only.
RegistryResult createFolders(const std::filesystem::path &folder)
{
    std::filesystem::path partial;
    for (const std::filesystem::path &part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) == 0 || errno == EEXIST) {
            continue;
        }
        const int error = errno;
        return systemFailure("the folder " + partial.string() + " could not be created", error);
    }
    return RegistryResult::success();
}

void syncFolder(const std::filesystem::path &folder)
{
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
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

void SqliteRegistryStore::disconnect()
{
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_inTransaction = false;
}

bool SqliteRegistryStore::fileWasReplaced() const
{
    struct stat status
    {
    };
    return ::lstat(m_file.c_str(), &status) != 0 || status.st_dev != m_device ||
           status.st_ino != m_inode;
}

RegistryResult SqliteRegistryStore::examinePlace(bool &exists) const
{
    exists = false;
    const std::filesystem::path folder = folderOf(m_file);
    const auto examined = [](const std::filesystem::path &path, struct stat &status, bool &found) {
        found = ::lstat(path.c_str(), &status) == 0;
        const int error = errno;
        if (found || error == ENOENT || error == ENOTDIR) {
            return RegistryResult::success();
        }
        return systemFailure(path.string() + " could not be examined", error);
    };
    // Checks what the folder and the file are: a real folder and a regular file of
    // the user's own, never a link that would lead the writes somewhere else.
    const auto unsafe = [](const std::string &what, const struct stat &status,
                           bool folderWanted) -> std::optional<RegistryResult> {
        if (S_ISLNK(status.st_mode)) {
            return RegistryResult::accessDenied(
                what + " is a symbolic link; Lumox 2000 does not write through links");
        }
        if (folderWanted ? !S_ISDIR(status.st_mode) : !S_ISREG(status.st_mode)) {
            return RegistryResult::failure(what +
                                           (folderWanted ? " is not a folder" : " is not a file"));
        }
        if (status.st_uid != ::geteuid()) {
            return RegistryResult::accessDenied(
                what + " belongs to another user; Lumox 2000 keeps its registry store only in " +
                "a folder and a file of your own");
        }
        return std::nullopt;
    };

    struct stat status
    {
    };
    bool found = false;
    if (RegistryResult looked = examined(folder, status, found); !looked.ok() || !found) {
        return looked;
    }
    if (auto refused = unsafe("the folder " + folder.string(), status, true)) {
        return *refused;
    }
    if (RegistryResult looked = examined(m_file, status, found); !looked.ok() || !found) {
        return looked;
    }
    if (auto refused = unsafe("the registry store " + m_file.string(), status, false)) {
        return *refused;
    }
    exists = true;
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::createFile(std::optional<FileIdentity> &created) const
{
    created.reset();
    const int descriptor =
        ::open(m_file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        const int error = errno;
        // Another copy of the program may have just created it.
        return error == EEXIST
                   ? RegistryResult::success()
                   : systemFailure(
                         "the registry store " + m_file.string() + " could not be created", error);
    }
    struct stat status
    {
    };
    if (::fstat(descriptor, &status) == 0) {
        created = FileIdentity{status.st_dev, status.st_ino};
    }
    ::close(descriptor);
    return RegistryResult::success();
}

void SqliteRegistryStore::removeUnfinishedFile(const FileIdentity &created) const
{
    // Only the empty file this store created itself; anything with content may be
    // another copy's store by now.
    struct stat status
    {
    };
    if (::lstat(m_file.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size == 0 &&
        status.st_dev == created.device && status.st_ino == created.inode) {
        ::unlink(m_file.c_str());
    }
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
        return sqliteError(select.prepareCode(), "Reading");
    }
    for (const WrittenValue &written : m_written) {
        select.reset();
        select.bind(1, hiveName(written.hive));
        select.bind(2, written.path);
        select.bind(3, written.name);
        const int code = select.step();
        if (code != SQLITE_ROW && code != SQLITE_DONE) {
            return sqliteError(code, "Reading");
        }
        if (code == SQLITE_ROW && select.integer(0) == kRegSz && select.text(1) == written.data) {
            continue;
        }
        const std::string found = code == SQLITE_ROW ? "\"" + select.text(1) + "\"" : "nothing";
        return RegistryResult::failure(
            "the registry store " + m_file.string() + " holds " + found + " instead of \"" +
            written.data + "\" as " + written.name + " under " +
            std::string(hiveName(written.hive)) + "\\" + written.path +
            " right after writing it; something in the file changes what is written");
    }
    return RegistryResult::success();
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

RegistryResult SqliteRegistryStore::beginBatch()
{
    if (m_batchOpen) {
        return RegistryResult::failure("a batch of changes is already open");
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
        return RegistryResult::failure("no batch of changes is open");
    }
    m_batchOpen = false;
    if (!m_inTransaction) {
        return RegistryResult::success();
    }
    m_inTransaction = false;
    if (sqlite3_get_autocommit(m_db) != 0) {
        m_written.clear();
        return RegistryResult::failure("the changes were abandoned after an earlier error");
    }
    RegistryResult committed = verifyWritten();
    m_written.clear();
    if (committed.ok()) {
        committed = execute("COMMIT", "Writing to");
    }
    if (!committed.ok() && sqlite3_get_autocommit(m_db) == 0) {
        if (!execute("ROLLBACK", "Writing to").ok()) {
            disconnect();
        }
    }
    return committed;
}

RegistryResult SqliteRegistryStore::rollbackBatch()
{
    if (!m_batchOpen) {
        return RegistryResult::success();
    }
    m_batchOpen = false;
    m_written.clear();
    if (!m_inTransaction) {
        return RegistryResult::success();
    }
    m_inTransaction = false;
    if (sqlite3_get_autocommit(m_db) == 0 && !execute("ROLLBACK", "Writing to").ok()) {
        // Closing the connection discards an unfinished transaction as well.
        disconnect();
    }
    return RegistryResult::success();
}

std::unique_ptr<RegistryStore> makeSqliteRegistryStore(std::filesystem::path file)
{
    return std::make_unique<SqliteRegistryStore>(std::move(file));
}

std::filesystem::path defaultRegistryStorePath()
{
    std::filesystem::path dataHome;
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        dataHome = xdg;
    } else {
        std::filesystem::path home;
        if (const char *homeVariable = std::getenv("HOME");
            homeVariable != nullptr && homeVariable[0] != '\0') {
            home = homeVariable;
        } else {
            std::vector<char> buffer(16384);
            passwd entry{};
            passwd *found = nullptr;
            if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
                found != nullptr && found->pw_dir != nullptr) {
                home = found->pw_dir;
            }
        }
        dataHome = home / ".local" / "share";
    }
    return dataHome / "lumox2000" / "registry.sqlite3";
}

std::unique_ptr<RegistryStore> makeDefaultRegistryStore()
{
    return makeSqliteRegistryStore(defaultRegistryStorePath());
}

} // namespace lumox
