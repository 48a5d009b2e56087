#pragma once

#include "registry_access.h"

#include <filesystem>
#include <functional>
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
// may be opened with O_PATH) durable. Returns 0, or the error that kept it from it.
int syncFolder(int folder);

// A test seam: when set, runs after the store's file has been examined and before it
// is opened to be read.
std::function<void()> &beforeOpeningStoreFile();

} // namespace lumox::detail
