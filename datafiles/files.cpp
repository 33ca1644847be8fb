#include "datafiles/files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace rv7342 {

bool FileExists(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        return true;
    }
    return errno != ENOENT && errno != ENOTDIR;
}

bool SameFile(const std::string& first, const std::string& second) {
    struct stat a {
    }, b{};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

namespace {

// The size of a regular file as it is now, so that its text takes one allocation of that
// size; 0 for anything else (a pipe, a device), which is read as it comes.
std::size_t SizeNow(std::FILE* file) {
    struct stat info {};
    if (::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        return 0;
    }
    return static_cast<std::size_t>(info.st_size);
}

}  // namespace

Failure ReadWholeFile(const std::string& path, std::string& contents) {
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        return "Cannot open " + path + ": " + OpenFailureReason(path, errno);
    }
    contents.clear();
    contents.reserve(SizeNow(file.get()));
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        contents.append(chunk, got);
    }
    if (std::ferror(file.get())) {
        return "Cannot read " + path + ": " + SystemReason(errno);
    }
    return std::nullopt;
}

std::string SystemReason(int errorNumber) {
    return std::strerror(errorNumber);
}

std::string OpenFailureReason(const std::string& path, int errorNumber) {
    struct stat info {};
    const bool folder = ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    return SystemReason(errorNumber == EACCES && folder ? EISDIR : errorNumber);
}

}  // namespace rv7342
