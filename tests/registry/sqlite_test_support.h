#pragma once

#include "registry_store_suite.h"

#include "tuning_actions.h"

#include <sqlite3.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Helpers for the tests of the SQLite registry store: scratch folders and a direct
// view of a store file that does not go through the code under test.
namespace lumox::testing {

// A fresh folder under the system's temporary folder, removed with everything in
// it (whatever its permissions) when the object goes.
class TemporaryFolder
{
public:
    TemporaryFolder();
    ~TemporaryFolder();

    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    const std::filesystem::path &path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The whole content of a file; nothing if it cannot be read.
std::optional<std::string> fileBytes(const std::filesystem::path &file);

// Writes bytes as the whole content of file.
void writeFileBytes(const std::filesystem::path &file, std::string_view bytes);

// A direct connection to a store file, laid out as the store's documentation says,
// opened again whenever the file has been replaced. Reading opens an existing file
// only; planting creates the file and its tables when they are missing, as another
// program following the documentation would.
class RawStore
{
public:
    explicit RawStore(std::filesystem::path file);
    ~RawStore();

    RawStore(const RawStore &) = delete;
    RawStore &operator=(const RawStore &) = delete;

    bool keyExists(std::string_view path);
    std::optional<StoredValue> value(std::string_view path, std::string_view name);
    void plant(std::string_view path, std::string_view name, std::string_view data);

    // Runs one statement and returns the first column of its first row as text.
    std::string scalar(std::string_view sql);

    // Closes the connection; the next use opens it again.
    void close();

private:
    bool open(bool create);

    std::filesystem::path m_file;
    sqlite3 *m_db = nullptr;
    // The file the connection has open.
    struct stat m_opened
    {
    };
};

// The user and group of the unprivileged account that tests run as when they must
// be subject to file permissions.
inline constexpr uid_t kNobody = 65534;
inline constexpr gid_t kNogroup = 65534;

// The receive window saved together with an MTU in these tests, so that a stored
// set shows whether its two halves belong together.
std::uint32_t pairedWindow(std::uint32_t mtu);

// Saves mtu and its paired window into the store at file, as the program would.
ActionOutcome saveInto(const std::filesystem::path &file, std::uint32_t mtu);

// The MTU of the one complete set the store holds; a test failure, and nothing,
// when the values do not form one complete set.
std::optional<std::uint32_t> completeSet(const std::filesystem::path &file);

// The names of the entries in folder.
std::set<std::string> folderEntries(const std::filesystem::path &folder);

// Runs action in a child process and returns its outcome. When the tests run as
// root, the child first becomes the unprivileged user nobody, so that file
// permissions bind it; limit, when given, is the largest file the child may write.
std::optional<ActionOutcome> runConstrained(const std::function<ActionOutcome()> &action,
                                            std::optional<rlim_t> limit = std::nullopt);

// Hands a folder and everything in it to the unprivileged user when running as root.
void giveToNobody(const std::filesystem::path &path);

// The store's mark in PRAGMA user_version, spelled out as documented.
inline constexpr std::int64_t kDocumentedSchemaVersion = 0x4C4D5801;

} // namespace lumox::testing
