#include "datafiles/files.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

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

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The permissions a new file gets, or those of the file it replaces.
int ModeFor(const std::string& target) {
#ifdef _WIN32
    (void)target;
    return _S_IREAD | _S_IWRITE;
#else
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        return info.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
#endif
}

}  // namespace

int CreateFileBeside(const std::string& target, std::string& path) {
#ifdef _WIN32
    constexpr int kFlags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
#else
    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
#endif
    const std::size_t slash = target.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    const int mode = ModeFor(target);
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08llx.tmp",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFu));
        path = FolderOf(target) + "." + name + suffix;
        errno = 0;
        const int fd = ::open(path.c_str(), kFlags, mode);
        if (fd >= 0) {
#ifndef _WIN32
            ::fchmod(fd, static_cast<mode_t>(mode));  // past the umask, as the target has it
#endif
            return fd;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    const int error = errno;
    path.clear();
    errno = error;
    return -1;
}

std::string FollowLink(const std::string& path) {
#ifndef _WIN32
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string resolved = real;
            std::free(real);
            return resolved;
        }
    }
#endif
    return path;
}

bool RenameOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return true;
    }
    errno = EACCES;
    return false;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

bool CutFile(int fd, long long size) {
#ifdef _WIN32
    return ::_chsize_s(fd, size) == 0;
#else
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
#endif
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
