// The store's file as a whole: the lock that makes operations take turns, the
// leftovers of interrupted writers beside it, reading it, and replacing it with a
// complete new file.
#include "sqlite_registry_store.h"
#include "store_file.h"
#include "store_texts.h"

#include <sqlite3.h>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace lumox {

using detail::folderOf;
using detail::syncFolder;
using detail::systemFailure;

namespace {

// No store comes near this; a larger file is not one.
constexpr off_t kLargestStore = 64L * 1024 * 1024;

// What an interrupted save leaves beside the file, to be removed by the next one.
constexpr std::string_view kSavingSuffix = ".saving";

// A descriptor closed when it goes out of scope.
class OwnedDescriptor
{
public:
    explicit OwnedDescriptor(int descriptor) : m_descriptor(descriptor) {}
    ~OwnedDescriptor()
    {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
    }
    OwnedDescriptor(const OwnedDescriptor &) = delete;
    OwnedDescriptor &operator=(const OwnedDescriptor &) = delete;

    int get() const { return m_descriptor; }
    // Closes the descriptor now; the error closing gave, or 0.
    int close()
    {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        return descriptor >= 0 && ::close(descriptor) != 0 ? errno : 0;
    }

private:
    int m_descriptor;
};

// Whether name is what SQLite calls a rollback journal, write-ahead log or
// super-journal of the file named base.
bool isLeftoverOf(std::string_view name, std::string_view base)
{
    if (!name.starts_with(base) || name.size() == base.size()) {
        return false;
    }
    const std::string_view rest = name.substr(base.size());
    return rest == "-journal" || rest == "-wal" || rest.starts_with("-mj");
}

// Reads all of descriptor into content, trying again when a read is interrupted; the
// error of a read that failed, or 0.
int readAll(int descriptor, std::string &content)
{
    content.clear();
    std::size_t done = 0;
    for (;;) {
        if (content.size() - done < 16384) {
            content.resize(done + 65536);
        }
        const ssize_t got = ::pread(descriptor, content.data() + done, content.size() - done,
                                    static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            content.clear();
            return error;
        }
        if (got == 0) {
            content.resize(done);
            return 0;
        }
        done += static_cast<std::size_t>(got);
    }
}

// Writes all of bytes to descriptor, trying again when a write is interrupted; the
// error of a write that failed, or 0.
int writeAll(int descriptor, const unsigned char *bytes, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(descriptor, bytes + done, size - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return written < 0 ? errno : EIO;
        }
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

bool sameFile(const struct stat &status, dev_t device, ino_t inode)
{
    return S_ISREG(status.st_mode) && status.st_dev == device && status.st_ino == inode;
}

} // namespace

RegistryResult SqliteRegistryStore::lockFolder()
{
    m_lock = ::openat(m_folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_lock < 0) {
        const int error = errno;
        return systemFailure(store_texts::folder(folderOf(m_file)) +
                                 std::string(store_texts::kCouldNotBeOpened),
                             error);
    }
    // Polled rather than waited for: flock cannot time out. A short pause catches the
    // moment between two saves of another program that saves again and again.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(m_busyTimeoutMs);
    while (::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR) {
            continue;
        }
        if (error != EWOULDBLOCK) {
            return systemFailure(
                store_texts::store(m_file) + std::string(store_texts::kCouldNotBeOpened), error);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return RegistryResult::failure(store_texts::store(m_file) +
                                           std::string(store_texts::kKeptBusy));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::checkLeftovers()
{
    const std::string base = m_file.filename().string();
    const std::string saving = base + std::string(kSavingSuffix);
    const int descriptor = ::openat(m_folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *folder = descriptor < 0 ? nullptr : ::fdopendir(descriptor);
    if (folder == nullptr) {
        const int error = errno;
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        return systemFailure(store_texts::folder(folderOf(m_file)) +
                                 std::string(store_texts::kCouldNotBeExamined),
                             error);
    }
    const auto closeFolder = [](DIR *opened) { ::closedir(opened); };
    const std::unique_ptr<DIR, decltype(closeFolder)> closing(folder, closeFolder);
    std::optional<std::string> leftover;
    bool savingFound = false;
    errno = 0;
    while (const dirent *entry = ::readdir(folder)) {
        const std::string_view name(entry->d_name);
        if (!leftover && isLeftoverOf(name, base)) {
            leftover = std::string(name);
        }
        savingFound = savingFound || name == saving;
        errno = 0;
    }
    if (errno != 0) {
        const int error = errno;
        return systemFailure(store_texts::folder(folderOf(m_file)) +
                                 std::string(store_texts::kCouldNotBeExamined),
                             error);
    }
    if (leftover) {
        return RegistryResult::failure(store_texts::leftover(m_file, folderOf(m_file) / *leftover));
    }
    // No other save can be writing it: each holds the lock while its file exists.
    struct stat status
    {
    };
    if (savingFound && ::fstatat(m_folder, saving.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode) && status.st_uid == ::geteuid()) {
        ::unlinkat(m_folder, saving.c_str(), 0);
    }
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::readFile(std::string &content)
{
    if (const auto &hook = detail::beforeOpeningStoreFile()) {
        hook();
    }
    const std::string name = m_file.filename().string();
    const std::string store = store_texts::store(m_file);
    OwnedDescriptor opened(
        ::openat(m_folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat before
    {
    };
    if (opened.get() < 0 && errno != ENOENT && errno != ELOOP) {
        const int error = errno;
        return systemFailure(store + std::string(store_texts::kCouldNotBeOpened), error);
    }
    // Only the file examined is read: anything that took its place since is left alone.
    if (opened.get() < 0 || ::fstat(opened.get(), &before) != 0 ||
        !sameFile(before, m_checked.device, m_checked.inode)) {
        return RegistryResult::failure(store + std::string(store_texts::kWasReplacedWhileOpened));
    }
    if (before.st_size > kLargestStore) {
        return RegistryResult::failure(store + std::string(store_texts::kTooLarge));
    }
    if (const int error = readAll(opened.get(), content); error != 0) {
        return systemFailure(store + std::string(store_texts::kCouldNotBeRead), error);
    }
    struct stat after
    {
    };
    if (::fstat(opened.get(), &after) != 0 || after.st_size != before.st_size ||
        static_cast<off_t>(content.size()) != after.st_size ||
        after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
        after.st_mtim.tv_nsec != before.st_mtim.tv_nsec) {
        return RegistryResult::failure(store + std::string(store_texts::kChangedWhileRead));
    }
    m_checked.size = after.st_size;
    m_checked.modified = after.st_mtim;
    return RegistryResult::success();
}

// Over 60 lines: one sequence of steps, each of which undoes the ones before it when
// it fails.
RegistryResult SqliteRegistryStore::replaceFile()
{
    const std::string name = m_file.filename().string();
    const std::string saving = name + std::string(kSavingSuffix);
    const std::string store = store_texts::store(m_file);
    if (m_fileExists && (m_checked.mode & S_IWUSR) == 0) {
        return RegistryResult::accessDenied(store + std::string(store_texts::kIsReadOnly));
    }
    sqlite3_int64 size = 0;
    const std::unique_ptr<unsigned char, decltype(&sqlite3_free)> bytes(
        sqlite3_serialize(m_db, "main", &size, 0), &sqlite3_free);
    if (bytes == nullptr) {
        return sqliteError(SQLITE_NOMEM, store_texts::kWritingTo);
    }

    // The new file keeps the old one's permissions, which were checked.
    const mode_t mode = m_fileExists ? (m_checked.mode & 0755) : 0600;
    OwnedDescriptor opened(::openat(m_folder, saving.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (opened.get() < 0) {
        return writeFailure(errno);
    }
    struct stat written
    {
    };
    int error = writeAll(opened.get(), bytes.get(), static_cast<std::size_t>(size));
    if (error == 0 && ::fchmod(opened.get(), mode) != 0) {
        error = errno;
    }
    if (error == 0 && ::fsync(opened.get()) != 0) {
        error = errno;
    }
    if (error == 0 && ::fstat(opened.get(), &written) != 0) {
        error = errno;
    }
    if (error == 0) {
        error = opened.close();
    }
    if (error != 0) {
        ::unlinkat(m_folder, saving.c_str(), 0);
        return writeFailure(error);
    }

    // Every program of ours waits for the lock; anything else that changed the file
    // meanwhile keeps its change.
    struct stat current
    {
    };
    const bool present = ::fstatat(m_folder, name.c_str(), &current, AT_SYMLINK_NOFOLLOW) == 0;
    const bool unchanged = m_fileExists
                               ? present && sameFile(current, m_checked.device, m_checked.inode) &&
                                     current.st_size == m_checked.size &&
                                     current.st_mtim.tv_sec == m_checked.modified.tv_sec &&
                                     current.st_mtim.tv_nsec == m_checked.modified.tv_nsec
                               : !present && errno == ENOENT;
    if (!unchanged) {
        ::unlinkat(m_folder, saving.c_str(), 0);
        return RegistryResult::failure(store + std::string(store_texts::kChangedWhileSaving));
    }
    if (::renameat(m_folder, saving.c_str(), m_folder, name.c_str()) != 0) {
        error = errno;
        ::unlinkat(m_folder, saving.c_str(), 0);
        return writeFailure(error);
    }
    m_fileExists = true;
    m_checked = FileIdentity{written.st_dev, written.st_ino, written.st_mode, written.st_size,
                             written.st_mtim};
    m_madeFolders.clear();
    // From here on the file holds the change: a failure can no longer mean that nothing
    // was saved.
    RegistryResult confirmed =
        (error = syncFolder(m_folder)) != 0
            ? systemFailure(store_texts::folder(folderOf(m_file)) +
                                std::string(store_texts::kNotSynchronised),
                            error)
            : readBack(std::string_view(reinterpret_cast<const char *>(bytes.get()),
                                        static_cast<std::size_t>(size)));
    confirmed.changedAnyway = !confirmed.ok();
    return confirmed;
}

RegistryResult SqliteRegistryStore::readBack(std::string_view expected)
{
    const std::string store = store_texts::store(m_file);
    OwnedDescriptor opened(::openat(m_folder, m_file.filename().c_str(),
                                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status
    {
    };
    if (opened.get() < 0 || ::fstat(opened.get(), &status) != 0 ||
        !sameFile(status, m_checked.device, m_checked.inode)) {
        return RegistryResult::failure(store + std::string(store_texts::kChangedWhileSaving));
    }
    std::string content;
    if (const int error = readAll(opened.get(), content); error != 0) {
        return systemFailure(store + std::string(store_texts::kCouldNotBeRead), error);
    }
    if (content != expected) {
        return RegistryResult::failure(store + std::string(store_texts::kReadsBackDifferently));
    }
    return RegistryResult::success();
}

RegistryResult SqliteRegistryStore::writeFailure(int error) const
{
    const std::string store = store_texts::store(m_file);
    const auto said = [](std::string_view text) { return std::string(text); };
    switch (error) {
    case ENOSPC:
        return RegistryResult::failure(said(store_texts::kTheDiskHolding) + store +
                                       said(store_texts::kIsFull) + detail::errnoText(error));
    case EDQUOT:
        return RegistryResult::failure(said(store_texts::kQuotaLeavesNoRoomFor) + store +
                                       detail::errnoText(error));
    case EFBIG:
        return RegistryResult::failure(store + said(store_texts::kWouldGrowTooLarge) +
                                       detail::errnoText(error));
    case EROFS:
    case EACCES:
    case EPERM:
        return RegistryResult::accessDenied(store + said(store_texts::kIsReadOnly) +
                                            detail::errnoText(error));
    default:
        return RegistryResult::failure(said(store_texts::kADiskErrorIn) + store +
                                       detail::errnoText(error));
    }
}

} // namespace lumox
