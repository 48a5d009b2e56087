#pragma once

#include "registry_access.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace lumox::detail {

// The system's text for error in parentheses after a space, or nothing when error is 0.
std::string errnoText(int error);

// A refusal for a failed system call, sorted by the error it gave: AccessDenied for a
// lack of permission or a read-only file system, otherwise Failure. The message is what
// followed by the system's text for error.
RegistryResult systemFailure(const std::string &what, int error);

// The folder that holds file, "." for a bare file name.
std::filesystem::path folderOf(const std::filesystem::path &file);

// Makes a file created or renamed in the folder open on folder (a descriptor, which
// may be opened with O_PATH) durable, as far as the system allows.
void syncFolder(int folder);

// How the store names a file through the descriptor of its folder: this prefix, the
// descriptor's number, a slash and the file's name.
inline constexpr std::string_view kDescriptorFolderPrefix = "/proc/self/fd/";

// The name of an SQLite VFS that is the default one, except that it takes a path that
// begins with kDescriptorFolderPrefix as it is, instead of resolving the links in it
// (which would lead back to the folder's name, and to whatever has that name by then).
// Null when it could not be registered.
const char *descriptorFolderVfs();

} // namespace lumox::detail
