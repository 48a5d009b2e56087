// The rollback journal and the write-ahead log that SQLite keeps beside the store. A
// journal left by a crash is played back on the next open, and a log is read as part
// of the file, whichever file is there by then. Either is let through only when
// applying it cannot change the file, or when it is the store's own.
#include "sqlite_registry_store.h"
#include "store_file.h"
#include "store_texts.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace lumox {

using detail::folderOf;

namespace {

using Bytes = std::vector<unsigned char>;

// SQLite's own layouts (its file format documentation): the database header, the
// rollback journal's header and records, the write-ahead log's header.
constexpr std::size_t kDatabaseHeader = 100;
constexpr std::array<unsigned char, 8> kJournalMark = {0xd9, 0xd5, 0x05, 0xf9,
                                                       0x20, 0xa1, 0x63, 0xd7};
constexpr std::size_t kJournalHeader = 28;
constexpr std::size_t kLogHeader = 32;
constexpr std::uint32_t kLogMarks[] = {0x377f0682, 0x377f0683};
// No journal or log of the store comes near this; a larger one is not its own.
constexpr off_t kLargestCompanion = 64L * 1024 * 1024;

std::uint32_t bigEndian(const unsigned char *bytes)
{
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

bool isPowerOfTwoIn(std::uint32_t value, std::uint32_t lowest, std::uint32_t highest)
{
    return value >= lowest && value <= highest && (value & (value - 1)) == 0;
}

std::uint32_t pageSizeOf(const Bytes &header)
{
    const std::uint32_t size = (std::uint32_t{header[16]} << 8) | header[17];
    return size == 1 ? 65536 : size;
}

bool sameBytes(const unsigned char *a, const unsigned char *b, std::size_t from, std::size_t to)
{
    return std::memcmp(a + from, b + from, to - from) == 0;
}

// The whole of a companion file, read without following a link; nothing when it is
// not a regular file of a plausible size or cannot be read.
std::optional<Bytes> readCompanion(int folder, const std::string &name)
{
    const int descriptor = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        return errno == ENOENT ? std::optional<Bytes>(Bytes{}) : std::nullopt;
    }
    std::optional<Bytes> content;
    struct stat status
    {
    };
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size <= kLargestCompanion) {
        Bytes bytes(static_cast<std::size_t>(status.st_size));
        std::size_t done = 0;
        ssize_t got = 0;
        while (done < bytes.size() &&
               (got = ::pread(descriptor, bytes.data() + done, bytes.size() - done,
                              static_cast<off_t>(done))) > 0) {
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
        content = std::move(bytes);
    }
    ::close(descriptor);
    return content;
}

// The store file as SQLite has it open, read past SQLite's cache.
struct OpenedDatabase
{
    sqlite3_file *file;
    sqlite3_int64 size;
    Bytes header;

    Bytes read(std::size_t amount, sqlite3_int64 offset) const
    {
        Bytes bytes(amount, 0);
        // A short read leaves zeros, as the file would read past its end.
        file->pMethods->xRead(file, bytes.data(), static_cast<int>(amount), offset);
        return bytes;
    }
};

// A log beside a file: SQLite takes nothing from a log without frames or without its
// mark, nor into an empty file. Otherwise the log is the store's own only if the file
// is a store in write-ahead-log mode with the log's page size.
bool logBelongs(const Bytes &log, const OpenedDatabase &database)
{
    if (log.size() <= kLogHeader ||
        std::find(std::begin(kLogMarks), std::end(kLogMarks), bigEndian(log.data())) ==
            std::end(kLogMarks) ||
        database.size == 0) {
        return true;
    }
    const Bytes &header = database.header;
    return database.size >= static_cast<sqlite3_int64>(kDatabaseHeader) && header[18] == 2 &&
           header[19] == 2 &&
           bigEndian(&header[60]) ==
               static_cast<std::uint32_t>(SqliteRegistryStore::kSchemaVersion) &&
           bigEndian(&log[8]) == pageSizeOf(header);
}

// The offsets of the page images that SQLite would play back from the first part of a
// journal: records in a row whose checksums hold, up to the count the header gives.
// Nothing when a second part follows, which the store's transactions never write.
std::optional<std::vector<std::size_t>> journalPages(const Bytes &journal, std::uint32_t records,
                                                     std::uint32_t checksumStart,
                                                     std::uint32_t sector, std::uint32_t pageSize)
{
    std::vector<std::size_t> pages;
    std::size_t offset = sector;
    while ((records == 0xffffffff || pages.size() < records) &&
           offset + 8 + pageSize <= journal.size()) {
        const std::uint32_t page = bigEndian(&journal[offset]);
        const unsigned char *image = &journal[offset + 4];
        std::uint32_t checksum = checksumStart;
        for (std::size_t i = pageSize - 200; i > 0 && i < pageSize; i -= 200) {
            checksum += image[i];
        }
        if (page == 0 || checksum != bigEndian(image + pageSize)) {
            break;
        }
        pages.push_back(offset);
        offset += 8 + pageSize;
    }
    const std::size_t next = (offset + sector - 1) / sector * sector;
    if (next + kJournalMark.size() <= journal.size() &&
        std::memcmp(&journal[next], kJournalMark.data(), kJournalMark.size()) == 0) {
        return std::nullopt;
    }
    return pages;
}

// A journal that SQLite would play back into the file. Playing it back writes the page
// images it holds and cuts the file to the size it had; where that changes nothing,
// the journal is harmless. Otherwise it must hold the file's first page as it was when
// the interrupted transaction began, with the same layout and mark and a change
// counter one short of the file's, or equal when that page was not written yet. A
// journal without a first page may only be that of a new store's set-up.
bool journalBelongs(const Bytes &journal, const OpenedDatabase &database)
{
    if (journal.size() < kJournalHeader ||
        !std::equal(kJournalMark.begin(), kJournalMark.end(), journal.begin())) {
        return true;
    }
    const std::uint32_t records = bigEndian(&journal[8]);
    const std::uint32_t checksumStart = bigEndian(&journal[12]);
    const std::uint32_t originalPages = bigEndian(&journal[16]);
    const std::uint32_t sector = bigEndian(&journal[20]);
    const std::uint32_t pageSize = bigEndian(&journal[24]);
    if (!isPowerOfTwoIn(sector, 32, 65536) || !isPowerOfTwoIn(pageSize, 512, 65536)) {
        return true; // SQLite stops at such a header
    }
    const std::optional<std::vector<std::size_t>> pages =
        journalPages(journal, records, checksumStart, sector, pageSize);
    if (!pages) {
        return false; // a second part, which the store's transactions never write
    }

    const unsigned char *firstPage = nullptr;
    bool imagesAsInFile = true;
    for (const std::size_t at : *pages) {
        const std::uint32_t page = bigEndian(&journal[at]);
        const unsigned char *image = &journal[at + 4];
        if (page == 1) {
            firstPage = image;
        }
        if (imagesAsInFile && database.read(pageSize, sqlite3_int64{page - 1} * pageSize) !=
                                  Bytes(image, image + pageSize)) {
            imagesAsInFile = false;
        }
    }
    if (imagesAsInFile && database.size == sqlite3_int64{originalPages} * pageSize) {
        return true;
    }
    const Bytes &header = database.header;
    const auto marked = [](const unsigned char *bytes) {
        return bigEndian(bytes + 60) ==
               static_cast<std::uint32_t>(SqliteRegistryStore::kSchemaVersion);
    };
    if (database.size < static_cast<sqlite3_int64>(kDatabaseHeader)) {
        return false;
    }
    if (firstPage == nullptr) {
        return originalPages == 0 && std::memcmp(header.data(), "SQLite format 3", 16) == 0 &&
               marked(header.data());
    }
    const std::uint32_t before = bigEndian(firstPage + 24);
    const std::uint32_t now = bigEndian(&header[24]);
    return sameBytes(firstPage, header.data(), 0, 24) &&
           sameBytes(firstPage, header.data(), 60, 64) &&
           sameBytes(firstPage, header.data(), 68, 72) && (now == before || now == before + 1);
}

// Takes a shared lock on the opened file, waiting up to timeoutMs while a writer holds
// it; the SQLite result code.
int lockShared(sqlite3_file *opened, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int code = SQLITE_OK;
    while ((code = opened->pMethods->xLock(opened, SQLITE_LOCK_SHARED)) == SQLITE_BUSY &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return code;
}

} // namespace

// Over 60 lines: both companions are judged under the one shared lock taken here.
RegistryResult SqliteRegistryStore::checkCompanions()
{
    const std::string name = m_file.filename().string();
    const std::string journalName = name + "-journal";
    const std::string logName = name + "-wal";
    const auto refuse = [this](const std::string &companion) {
        return RegistryResult::failure(
            store_texts::foreignCompanion(m_file, folderOf(m_file) / companion));
    };
    // Whether a companion is there; a link in its place is never the store's own.
    std::string linked;
    const auto present = [this, &linked](const std::string &companion) {
        struct stat status
        {
        };
        const bool found =
            ::fstatat(m_folder, companion.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
        if (found && S_ISLNK(status.st_mode)) {
            linked = companion;
        }
        return found;
    };
    const bool journal = present(journalName);
    const bool log = present(logName);
    if (!linked.empty()) {
        return refuse(linked);
    }
    if (!journal && !log) {
        return RegistryResult::success();
    }
    sqlite3_file *opened = nullptr;
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &opened) != SQLITE_OK ||
        opened == nullptr || opened->pMethods == nullptr) {
        return refuse(journal ? journalName : logName);
    }

    // A shared lock keeps every writer out while the companions are read: none can
    // start (a writer that finds a journal left by a crash waits to play it back) and
    // none can finish.
    if (const int code = lockShared(opened, m_busyTimeoutMs); code != SQLITE_OK) {
        return sqliteError(code, store_texts::kOpening);
    }
    OpenedDatabase database{opened, 0, Bytes(kDatabaseHeader, 0)};
    opened->pMethods->xFileSize(opened, &database.size);
    database.header = database.read(kDatabaseHeader, 0);

    RegistryResult result = RegistryResult::success();
    if (log) {
        const std::optional<Bytes> content = readCompanion(m_folder, logName);
        if (!content || !logBelongs(*content, database)) {
            result = refuse(logName);
        }
    }
    // A journal is only played back when no writer holds the reserved lock: a
    // writer's journal in the making is its own business.
    int reserved = 0;
    if (result.ok() && journal && database.size > 0 &&
        opened->pMethods->xCheckReservedLock(opened, &reserved) == SQLITE_OK && reserved == 0) {
        const std::optional<Bytes> content = readCompanion(m_folder, journalName);
        if (!content || !journalBelongs(*content, database)) {
            result = refuse(journalName);
        }
    }
    opened->pMethods->xUnlock(opened, SQLITE_LOCK_NONE);
    return result;
}

} // namespace lumox
