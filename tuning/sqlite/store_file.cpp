// Where the registry store lives, and the checks that keep its folder and file the
// user's own: no symbolic links, no other owner, private modes.
#include "store_file.h"
#include "sqlite_registry_store.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

namespace lumox {

namespace detail {

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

} // namespace detail

using detail::folderOf;
using detail::systemFailure;

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

} // namespace lumox
