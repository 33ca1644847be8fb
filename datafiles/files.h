#pragma once
// File services shared by the data file, the unit-name table and the commands.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "datafiles/failure.h"

namespace rv7342 {

// Paths are std::string throughout: the system's own bytes on POSIX, UTF-8 on Windows, where
// they are opened through the system's UTF-16 names and never the ANSI code page. These two
// are the only way from such a path to the system.
std::filesystem::path FilePath(const std::string& path);
// std::fopen for such a path; errno tells why it failed.
std::FILE* OpenFile(const std::string& path, const char* mode);
// open() for such a path, binary on Windows and not inherited on POSIX; -1 with errno set.
int OpenDescriptor(const std::string& path, int flags, int mode = 0);
// Creates a file only where none exists yet, open for writing; -1 with errno set (EEXIST when
// something is there).
int CreateNewFile(const std::string& path, int mode = 0666);
// Removes a file; false with errno set.
bool RemoveFile(const std::string& path);

// The path as C library functions taking narrow names in the system's ANSI code page (as
// libraries built for Windows do) open it: on POSIX itself; on Windows in the ANSI code page,
// or in its short form where a name lies outside that page. No value when neither holds it.
std::optional<std::string> AnsiPath(const std::string& path);

enum class FileKind { Missing, Regular, Folder, Stream, Other };
// What stands at a path, a symbolic link followed: a character device or a pipe is a stream,
// written as it stands.
FileKind KindOf(const std::string& path);

// False only when the system reports the file as not found (ENOENT, or ENOTDIR for a path
// through something that is not a directory). Every other outcome, success or another error,
// counts as existing, so Start asks before a transfer that might overwrite something.
bool FileExists(const std::string& path);

// True when both paths name one existing file, by its device and inode (on Windows, its
// volume and file index): through a symbolic or a hard link too. False when either does not
// exist.
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
