#include "ui/file_exists.h"

#include <sys/stat.h>
#include <cerrno>

namespace rv7342 {

bool FileExists(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return true;
    }
    return errno != ENOENT && errno != ENOTDIR;
}

}  // namespace rv7342
