#include "sqlite_test_support.h"
#include "sqlite_registry_store.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
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

std::string readAll(int descriptor)
{
    std::string content;
    std::array<char, 4096> buffer{};
    ssize_t got = 0;
    while ((got = ::read(descriptor, buffer.data(), buffer.size())) > 0) {
        content.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return content;
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
    // The store replaces its file on every save: a connection to the file it replaced
    // would read that one still, so it is opened afresh, as a new reader would.
    struct stat status
    {
    };
    const bool present = ::stat(m_file.c_str(), &status) == 0;
    if (m_db != nullptr && present && status.st_dev == m_opened.st_dev &&
        status.st_ino == m_opened.st_ino) {
        return true;
    }
    close();
    if (present) {
        m_opened = status;
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
    if (!present && ::stat(m_file.c_str(), &m_opened) != 0) {
        m_opened = {};
    }
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

// The receive window saved together with an MTU in these tests, so that a stored
// set shows whether its two halves belong together.
std::uint32_t pairedWindow(std::uint32_t mtu)
{
    return mtu * 7;
}

ActionOutcome saveInto(const std::filesystem::path &file, std::uint32_t mtu)
{
    SqliteRegistryStore store(file);
    RegistryWriter RegEdit1(store);
    return saveTuningValues(RegEdit1, std::to_string(mtu), std::to_string(pairedWindow(mtu)));
}

// The MTU of the one complete set the store holds; a test failure, and nothing,
// when the values do not form one complete set.
std::optional<std::uint32_t> completeSet(const std::filesystem::path &file)
{
    RawStore raw(file);
    std::optional<std::string> mtu;
    std::vector<std::string> mtuKeys(adapterKeys.begin(), adapterKeys.end());
    mtuKeys.push_back(firstBindingKey);
    for (const std::string &key : mtuKeys) {
        const std::optional<StoredValue> value = raw.value(key, "MaxMTU");
        if (!value) {
            ADD_FAILURE() << "MaxMTU is missing under " << key;
            return std::nullopt;
        }
        if (mtu && *mtu != value->data) {
            ADD_FAILURE() << "MaxMTU " << value->data << " under " << key << " differs from "
                          << *mtu;
            return std::nullopt;
        }
        mtu = value->data;
    }
    const std::optional<StoredValue> window = raw.value(tcpKey, "DefaultRcvWindow");
    const std::uint32_t number = static_cast<std::uint32_t>(std::stoul(*mtu));
    if (!window || window->data != std::to_string(pairedWindow(number))) {
        ADD_FAILURE() << "DefaultRcvWindow " << (window ? window->data : "(missing)")
                      << " does not belong to MaxMTU " << number;
        return std::nullopt;
    }
    EXPECT_EQ(raw.scalar("SELECT count(*) FROM reg_values"), "7");
    return number;
}

std::set<std::string> folderEntries(const std::filesystem::path &folder)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Runs action in a child process and returns its outcome. When the tests run as
// root, the child first becomes the unprivileged user nobody, so that file
// permissions bind it; limit, when given, is the largest file the child may write.
std::optional<ActionOutcome> runConstrained(const std::function<ActionOutcome()> &action,
                                            std::optional<rlim_t> limit)
{
    int channel[2];
    if (::pipe(channel) != 0) {
        ADD_FAILURE() << "pipe failed";
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNogroup) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(3);
        }
        if (limit) {
            // SIGXFSZ keeps its default action, which ends a process that does not
            // deal with it.
            const rlimit fileSize{*limit, *limit};
            if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) {
                ::_exit(4);
            }
        }
        const ActionOutcome outcome = action();
        std::string message;
        message += outcome.succeeded ? '1' : '0';
        message += outcome.title;
        message += '\0';
        message += outcome.text;
        const bool sent = ::write(channel[1], message.data(), message.size()) ==
                          static_cast<ssize_t>(message.size());
        ::_exit(sent ? 0 : 5);
    }
    ::close(channel[1]);
    const std::string message = readAll(channel[0]);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        ADD_FAILURE() << "the child process failed with status " << status;
        return std::nullopt;
    }
    const std::size_t split = message.find('\0');
    return ActionOutcome{message[0] == '1', message.substr(1, split - 1),
                         message.substr(split + 1)};
}

// Hands a folder and everything in it to the unprivileged user when running as root.
void giveToNobody(const std::filesystem::path &path)
{
    if (::geteuid() != 0) {
        return;
    }
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNogroup), 0);
    if (std::filesystem::is_directory(path)) {
        for (const auto &entry : std::filesystem::directory_iterator(path)) {
            giveToNobody(entry.path());
        }
    }
}

} // namespace lumox::testing
