// Where the registry store lives, the system's texts for failures, the folder's
// synchronisation, and the signals a store must not be ended by.
#include "store_file.h"
#include "sqlite_registry_store.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace lumox {

namespace detail {

std::string errnoText(int error)
{
    return error == 0 ? std::string() : std::string(" (") + std::strerror(error) + ")";
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

int syncFolder(int folder)
{
    const int descriptor = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return errno;
    }
    const int error = ::fsync(descriptor) == 0 ? 0 : errno;
    ::close(descriptor);
    return error;
}

std::function<void()> &beforeOpeningStoreFile()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace detail

// A write past the file size limit raises SIGXFSZ, and a write to a pipe nobody reads
// raises SIGPIPE; either would end the program. Ignored, the write fails with EFBIG or
// EPIPE instead, and the caller reports that. A handler that someone else installed is
// left alone.
void ignoreStoreSignals()
{
    for (const int signal : {SIGXFSZ, SIGPIPE}) {
        struct sigaction current
        {
        };
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            std::signal(signal, SIG_IGN);
        }
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
