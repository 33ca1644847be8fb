#pragma once

#include <string>

namespace rv7342 {

// False only when the system reports the file as not found (ENOENT, or ENOTDIR for a path
// through something that is not a directory). Every other outcome, success or another error,
// counts as existing, so Start asks before a transfer that might overwrite something.
bool FileExists(const std::string& path);

}  // namespace rv7342
