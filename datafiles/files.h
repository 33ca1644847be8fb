#pragma once
// File services shared by the data file, the unit-name table and the commands.

#include <cstdio>
#include <filesystem>
#include <string>

#include "datafiles/failure.h"

namespace rv7342 {

// Paths are std::string throughout: the system's own bytes on POSIX, UTF-8 on Windows, where
// they are opened through the system's UTF-16 names and never the ANSI code page. These two
// are the only way from such a path to the system.
std::filesystem::path FilePath(const std::string& path);
// std::fopen for such a path; errno tells why it failed.
std::FILE* OpenFile(const std::string& path, const char* mode);

// False only when the system reports the file as not found (ENOENT, or ENOTDIR for a path
// through something that is not a directory). Every other outcome, success or another error,
// counts as existing, so Start asks before a transfer that might overwrite something.
bool FileExists(const std::string& path);

// Reads a whole file into `contents`; the reason for a failure names the path.
[[nodiscard]] Failure ReadWholeFile(const std::string& path, std::string& contents);

// The C library's text for an errno value.
std::string SystemReason(int errorNumber);
// Why `path` could not be opened, `errorNumber` being the error: the system's reason, except
// that a folder is called one (Windows reports it as access denied).
std::string OpenFailureReason(const std::string& path, int errorNumber);

}  // namespace rv7342
