// Where the registry store is allowed to live: the folders above it, its own folder
// and the file, each checked on a descriptor so that nobody else can swap what was
// checked for something else before it is read.
#include "sqlite_registry_store.h"
#include "store_file.h"
#include "store_texts.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace lumox {

using detail::folderOf;
using detail::systemFailure;

namespace {

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A descriptor closed when it goes out of scope, unless released.
class Descriptor
{
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) {}
    ~Descriptor()
    {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_descriptor; }
    void reset(int descriptor)
    {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
        m_descriptor = descriptor;
    }
    int release()
    {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        return descriptor;
    }

private:
    int m_descriptor;
};

bool isUserOrRoot(uid_t owner)
{
    return owner == ::geteuid() || owner == 0;
}

// The rule for a folder on the way to the store: it belongs to the user or to root,
// and no one else may write it, unless it is sticky and the entry leading down
// belongs to the user or to root (then no one else may rename or remove that entry).
std::optional<RegistryResult> unsafeFolderAbove(const std::filesystem::path &path,
                                                const struct stat &folder, const struct stat &entry)
{
    if (!isUserOrRoot(folder.st_uid)) {
        return RegistryResult::accessDenied(store_texts::folderOfAnotherUser(path));
    }
    const bool othersMayWrite = (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    const bool entryIsSafe = (folder.st_mode & S_ISVTX) != 0 && isUserOrRoot(entry.st_uid);
    if (othersMayWrite && !entryIsSafe) {
        return RegistryResult::accessDenied(store_texts::othersMayWrite(path, true));
    }
    return std::nullopt;
}

// What a path that is not a folder where one is wanted is, for the refusal.
RegistryResult notAFolder(int parent, const std::string &name, const std::filesystem::path &path,
                          int error)
{
    struct stat status
    {
    };
    if (::fstatat(parent, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(status.st_mode)) {
            return RegistryResult::accessDenied(store_texts::folder(path) +
                                                std::string(store_texts::kIsSymbolicLink));
        }
        if (!S_ISDIR(status.st_mode)) {
            return RegistryResult::failure(store_texts::folder(path) +
                                           std::string(store_texts::kIsNotAFolder));
        }
    }
    return systemFailure(store_texts::folder(path) + std::string(store_texts::kCouldNotBeExamined),
                         error);
}

// The store's folder as an absolute path without "." or ".." or a trailing separator.
std::filesystem::path absoluteFolder(const std::filesystem::path &file)
{
    std::error_code ignored;
    std::filesystem::path folder =
        std::filesystem::absolute(folderOf(file), ignored).lexically_normal();
    if (folder.has_parent_path() && !folder.has_filename()) {
        folder = folder.parent_path();
    }
    return folder;
}

// The way from the root to the store's folder, one name a step: the folders above it
// that exist, with the links among them followed once, here (existingSteps of them),
// then the missing ones and the store's folder itself. Sets found to false, and plans
// nothing, when a folder above is missing and create is false.
RegistryResult planWay(const std::filesystem::path &folder, bool create,
                       std::vector<std::string> &steps, std::size_t &existingSteps, bool &found)
{
    found = false;
    std::filesystem::path existing = folder.parent_path();
    std::vector<std::string> missing;
    std::unique_ptr<char, decltype(&std::free)> resolved(nullptr, &std::free);
    for (;;) {
        resolved.reset(::realpath(existing.c_str(), nullptr));
        if (resolved != nullptr) {
            break;
        }
        const int error = errno;
        if (error != ENOENT || !existing.has_relative_path()) {
            return systemFailure(store_texts::folder(existing) +
                                     std::string(store_texts::kCouldNotBeExamined),
                                 error);
        }
        if (!create) {
            return RegistryResult::success();
        }
        missing.push_back(existing.filename().string());
        existing = existing.parent_path();
    }
    const std::filesystem::path resolvedPath =
        std::filesystem::path(resolved.get()).relative_path();
    steps.clear();
    std::transform(resolvedPath.begin(), resolvedPath.end(), std::back_inserter(steps),
                   [](const std::filesystem::path &part) { return part.string(); });
    existingSteps = steps.size();
    steps.insert(steps.end(), missing.rbegin(), missing.rend());
    steps.push_back(folder.filename().string());
    found = true;
    return RegistryResult::success();
}

// Opens the folder name in parent (at path, shown as shown) without following a link,
// creating it first when it is missing and create is true, and then adding path to
// made. Sets descriptor to -1, and succeeds, when it is missing and create is false.
RegistryResult openStep(int parent, const std::string &name, const std::filesystem::path &path,
                        const std::filesystem::path &shown, bool create,
                        std::vector<std::filesystem::path> &made, int &descriptor)
{
    descriptor = ::openat(parent, name.c_str(), kFolderFlags);
    if (descriptor < 0 && errno == ENOENT && create) {
        if (::mkdirat(parent, name.c_str(), 0700) == 0) {
            made.push_back(path);
        } else if (errno != EEXIST) {
            const int error = errno;
            return systemFailure(
                store_texts::folder(shown) + std::string(store_texts::kCouldNotBeCreated), error);
        }
        descriptor = ::openat(parent, name.c_str(), kFolderFlags);
    }
    if (descriptor < 0) {
        const int error = errno;
        return error == ENOENT && !create ? RegistryResult::success()
                                          : notAFolder(parent, name, shown, error);
    }
    return RegistryResult::success();
}

// The store's own folder must be the user's, and written by no one else.
std::optional<RegistryResult> unsafeOwnFolder(const std::filesystem::path &folder,
                                              const struct stat &status)
{
    if (status.st_uid != ::geteuid()) {
        return RegistryResult::accessDenied(store_texts::folder(folder) +
                                            std::string(store_texts::kBelongsToAnotherUser));
    }
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return RegistryResult::accessDenied(store_texts::othersMayWrite(folder, true));
    }
    return std::nullopt;
}

} // namespace

// Over 60 lines: one walk from the root down, each step checked against the one before.
RegistryResult SqliteRegistryStore::openFolder(Access access, bool &exists)
{
    exists = false;
    const std::filesystem::path folder = absoluteFolder(m_file);
    if (m_file.native().size() >= PATH_MAX || folder.native().size() + 32 >= PATH_MAX) {
        return systemFailure(
            store_texts::store(m_file) + std::string(store_texts::kCouldNotBeOpened), ENAMETOOLONG);
    }
    // Every folder on the way is checked from the root down, each opened without
    // following links from the one checked before it.
    std::vector<std::string> steps;
    std::size_t existingSteps = 0;
    bool found = false;
    if (RegistryResult planned =
            planWay(folder, access == Access::Write, steps, existingSteps, found);
        !planned.ok() || !found) {
        return planned;
    }

    std::filesystem::path path = "/";
    struct stat currentStatus
    {
    };
    Descriptor current(::open("/", kFolderFlags));
    if (current.get() < 0 || ::fstat(current.get(), &currentStatus) != 0) {
        const int error = errno;
        return systemFailure(
            store_texts::folder(path) + std::string(store_texts::kCouldNotBeExamined), error);
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::string &name = steps[i];
        const std::filesystem::path next = path / name;
        int opened = -1;
        const bool mayCreate = i >= existingSteps && access == Access::Write;
        if (RegistryResult stepped =
                openStep(current.get(), name, next, i + 1 == steps.size() ? folder : next,
                         mayCreate, m_madeFolders, opened);
            !stepped.ok()) {
            return stepped;
        }
        if (opened < 0) {
            // Missing: nothing to look at, or gone between two steps of a save.
            return access == Access::Look
                       ? RegistryResult::success()
                       : systemFailure(store_texts::folder(next) +
                                           std::string(store_texts::kCouldNotBeExamined),
                                       ENOENT);
        }
        Descriptor child(opened);
        struct stat childStatus
        {
        };
        if (::fstat(child.get(), &childStatus) != 0) {
            const int error = errno;
            return systemFailure(
                store_texts::folder(next) + std::string(store_texts::kCouldNotBeExamined), error);
        }
        if (auto refused = unsafeFolderAbove(path, currentStatus, childStatus)) {
            return *refused;
        }
        current.reset(child.release());
        currentStatus = childStatus;
        path = next;
    }

    if (auto refused = unsafeOwnFolder(folder, currentStatus)) {
        return *refused;
    }
    m_folder = current.release();
    exists = true;
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::examineFile(bool &exists)
{
    exists = false;
    const std::string name = m_file.filename().string();
    struct stat status
    {
    };
    if (::fstatat(m_folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        if (error == ENOENT) {
            return RegistryResult::success();
        }
        return systemFailure(
            store_texts::store(m_file) + std::string(store_texts::kCouldNotBeExamined), error);
    }
    if (S_ISLNK(status.st_mode)) {
        return RegistryResult::accessDenied(store_texts::store(m_file) +
                                            std::string(store_texts::kIsSymbolicLink));
    }
    if (!S_ISREG(status.st_mode)) {
        return RegistryResult::failure(store_texts::store(m_file) +
                                       std::string(store_texts::kIsNotAFile));
    }
    if (status.st_uid != ::geteuid()) {
        return RegistryResult::accessDenied(store_texts::store(m_file) +
                                            std::string(store_texts::kBelongsToAnotherUser));
    }
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return RegistryResult::accessDenied(store_texts::othersMayWrite(m_file, false));
    }
    m_checked =
        FileIdentity{status.st_dev, status.st_ino, status.st_mode, status.st_size, status.st_mtim};
    exists = true;
    return RegistryResult::success();
}

void SqliteRegistryStore::removeUnfinished()
{
    for (auto made = m_madeFolders.rbegin(); made != m_madeFolders.rend(); ++made) {
        if (::rmdir(made->c_str()) != 0) {
            break;
        }
    }
    m_madeFolders.clear();
}

} // namespace lumox
