#pragma once

#include "registry_access.h"

#include <filesystem>
#include <string>

namespace lumox::detail {

// The system's text for error in parentheses after a space, or nothing when error is 0.
std::string errnoText(int error);

// A refusal for a failed system call, sorted by the error it gave: AccessDenied for a
// lack of permission or a read-only file system, otherwise Failure. The message is what
// followed by the system's text for error.
RegistryResult systemFailure(const std::string &what, int error);

// The folder that holds file, "." for a bare file name.
std::filesystem::path folderOf(const std::filesystem::path &file);

// Creates folder and its missing parents, each new one readable by the user only.
// Folders that exist already are left as they are.
RegistryResult createFolders(const std::filesystem::path &folder);

// Makes a file created or renamed in folder durable, as far as the system allows;
// a folder that cannot be opened is passed over.
void syncFolder(const std::filesystem::path &folder);

// Makes the process ignore SIGXFSZ unless someone else has installed a handler for
// it, so that a write past the file size limit fails with EFBIG instead of ending the
// program.
void ignoreFileSizeSignal();

} // namespace lumox::detail
