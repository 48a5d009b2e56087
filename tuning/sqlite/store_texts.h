#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// Every text the SQLite registry store shows the user, in one place. Each is a reason
// that follows "could not be saved: " or "could not be reset: " in a message box, so
// none starts with a capital or ends with a full stop.
namespace lumox::store_texts {

// Paths longer than this are shown shortened in the middle, so that a message box
// keeps the reason that follows the path.
inline constexpr std::size_t kLongestShownPath = 120;

// path as the messages show it: whole when short; otherwise its start and its end
// (where the folder and file names that matter are) with "..." between them.
inline std::string shownPath(const std::filesystem::path &path)
{
    const std::string text = path.string();
    if (text.size() <= kLongestShownPath) {
        return text;
    }
    constexpr std::size_t kHead = 45;
    constexpr std::size_t kTail = kLongestShownPath - kHead - 3;
    return text.substr(0, kHead) + "..." + text.substr(text.size() - kTail);
}

inline std::string store(const std::filesystem::path &file)
{
    return "the registry store " + shownPath(file);
}

inline std::string folder(const std::filesystem::path &folder)
{
    return "the folder " + shownPath(folder);
}

// What a refusal says after the store's name when the file is left as it was.
inline constexpr std::string_view kLeftUntouched = "; it was left untouched";

// The file and its folder.
inline constexpr std::string_view kIsSymbolicLink =
    " is a symbolic link; Lumox 2000 does not write through links";
inline constexpr std::string_view kReachedThroughLink =
    " is reached through a symbolic link, which Lumox 2000 does not follow";
inline constexpr std::string_view kIsNotAFolder = " is not a folder";
inline constexpr std::string_view kIsNotAFile = " is not a file";
inline constexpr std::string_view kBelongsToAnotherUser =
    " belongs to another user; Lumox 2000 keeps its registry store only in a folder and a "
    "file of your own";
inline constexpr std::string_view kCouldNotBeExamined = " could not be examined";
inline constexpr std::string_view kCouldNotBeCreated = " could not be created";
inline constexpr std::string_view kCouldNotBeOpened = " could not be opened";
inline constexpr std::string_view kDisappearedWhileCreated =
    " disappeared while it was being created";
inline constexpr std::string_view kWasReplacedWhileOpened =
    " was replaced by another file while it was being opened; nothing was written to either";

// Others who may change the store or a folder on its way could swap it for another file.
inline std::string othersMayWrite(const std::filesystem::path &path, bool isFolder)
{
    return (isFolder ? folder(path) : store(path)) +
           " may be changed by other users, who could swap the registry store for another "
           "file; to keep it yours, run: chmod go-w " +
           shownPath(path);
}

inline std::string folderOfAnotherUser(const std::filesystem::path &path)
{
    return folder(path) +
           " on the way to the registry store belongs to another user, who could swap the "
           "store for another file; Lumox 2000 keeps its registry store only below folders "
           "of your own or of the system";
}

// A journal, write-ahead log or super-journal of an interrupted writer beside the store.
inline std::string leftover(const std::filesystem::path &file,
                            const std::filesystem::path &leftover)
{
    return store(file) + " has " + shownPath(leftover) +
           " beside it, left by a program that was stopped while changing it; Lumox 2000 "
           "neither plays such a file back nor deletes it, and changed nothing. If an earlier "
           "version of Lumox 2000 left it, finish that save with: sqlite3 " +
           shownPath(file) + " \"PRAGMA journal_mode = DELETE\" and try again; otherwise move " +
           shownPath(leftover) + " out of the folder and try again";
}

// Reading the file and replacing it.
inline constexpr std::string_view kCouldNotBeRead = " could not be read";
inline constexpr std::string_view kChangedWhileRead =
    " was changed by another program while it was being read; please try again";
inline constexpr std::string_view kTooLarge =
    " is too large to be a Lumox 2000 registry store; it was left untouched";
inline constexpr std::string_view kChangedWhileSaving =
    " was replaced by another program while it was being saved; nothing was written to it";
inline constexpr std::string_view kReadsBackDifferently =
    " reads back differently right after it was saved; the disk or the file system may be "
    "failing";
inline constexpr std::string_view kNotSynchronised = " could not be forced to the disk";

// What SQLite reported.
inline constexpr std::string_view kDamagedOrNotAStore =
    " is damaged or is not a Lumox 2000 registry store; it was left untouched";
inline constexpr std::string_view kIsReadOnly = " is read-only";
inline constexpr std::string_view kTheDiskHolding = "the disk holding ";
inline constexpr std::string_view kIsFull = " is full";
inline constexpr std::string_view kQuotaLeavesNoRoomFor =
    "your disk quota does not leave room for ";
inline constexpr std::string_view kWouldGrowTooLarge =
    " would grow beyond the largest file size allowed";
inline constexpr std::string_view kKeptBusy =
    " was kept busy by another program for too long; please try again";
inline constexpr std::string_view kADiskErrorIn = "a disk error occurred in ";
inline constexpr std::string_view kFailed = " failed: ";

// What the file holds.
inline constexpr std::string_view kBelongsToAnotherProgram =
    " belongs to another program or another version of Lumox 2000";
inline constexpr std::string_view kLacksTheTables =
    " does not have the tables of a Lumox 2000 registry store";
inline constexpr std::string_view kHoldsForeignObjects =
    " holds triggers, views or links between tables that Lumox 2000 does not make, so it "
    "belongs to another program";
inline constexpr std::string_view kIsDamaged = " is damaged";
// found is the value read back in quotes, or kNothing.
inline constexpr std::string_view kNothing = "nothing";
inline std::string readsDifferently(const std::filesystem::path &file, const std::string &found,
                                    const std::string &data, const std::string &name,
                                    const std::string &key)
{
    return store(file) + " holds " + found + " instead of \"" + data + "\" as " + name + " under " +
           key +
           " right after writing it; something in the file changes what is "
           "written";
}

// What the store was doing when SQLite failed, ahead of the store's name.
inline constexpr std::string_view kOpening = "Opening";
inline constexpr std::string_view kReading = "Reading";
inline constexpr std::string_view kWritingTo = "Writing to";
inline constexpr std::string_view kCreating = "Creating";
inline constexpr std::string_view kChecking = "Checking";

// Keys, values and batches.
inline constexpr std::string_view kNotAValidKeyPath = "\" is not a valid key path";
inline constexpr std::string_view kKeyDoesNotExist = "the key does not exist";
inline constexpr std::string_view kKeyNoLongerExists = "the key no longer exists";
inline constexpr std::string_view kValueDoesNotExist = "the value does not exist";
inline constexpr std::string_view kForeignKey = "the key was not opened by this registry store";
inline constexpr std::string_view kNulCharacter =
    "a value name or string value cannot hold a NUL character";
inline constexpr std::string_view kAbandoned = "the changes were abandoned after an earlier error";
inline constexpr std::string_view kBatchAlreadyOpen = "a batch of changes is already open";
inline constexpr std::string_view kNoBatchOpen = "no batch of changes is open";

} // namespace lumox::store_texts
