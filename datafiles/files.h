#pragma once
// File services shared by the data file, the unit-name table and the commands.

#include <string>

#include "datafiles/failure.h"

namespace rv7342 {

// False only when the system reports the file as not found (ENOENT, or ENOTDIR for a path
// through something that is not a directory). Every other outcome, success or another error,
// counts as existing, so Start asks before a transfer that might overwrite something.
bool FileExists(const std::string& path);

// True when both paths name one existing file, by its device and inode: through a symbolic
// or a hard link too. False when either does not exist.
bool SameFile(const std::string& first, const std::string& second);

// Where a path leads: the file a symbolic link points to, so that writing there keeps the
// link; the path itself otherwise.
std::string FollowLink(const std::string& path);
// Creates a new file beside `target`, in its folder, under a fresh hidden name that is put in
// `path`, with the permissions of the file at `target` (or those a new file gets), open for
// writing. Its descriptor, or -1 with errno set.
int CreateFileBeside(const std::string& target, std::string& path);
// Renames `from` over `to` in one step; false with errno set.
bool RenameOver(const std::string& from, const std::string& to);
// Cuts the open file to its first `size` bytes; false with errno set.
bool CutFile(int fd, long long size);

// Reads a whole file into `contents`; the reason for a failure names the path.
[[nodiscard]] Failure ReadWholeFile(const std::string& path, std::string& contents);

// The C library's text for an errno value.
std::string SystemReason(int errorNumber);
// Why `path` could not be opened, `errorNumber` being the error: the system's reason, except
// that a folder is called one (Windows reports it as access denied).
std::string OpenFailureReason(const std::string& path, int errorNumber);

}  // namespace rv7342
