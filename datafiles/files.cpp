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
#include <system_error>

namespace rv7342 {

namespace fs = std::filesystem;

fs::path FilePath(const std::string& path) {
#ifdef _WIN32
    return fs::u8path(path);
#else
    return fs::path(path);
#endif
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return ::_wfopen(FilePath(path).c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

int OpenDescriptor(const std::string& path, int flags, int mode) {
#ifdef _WIN32
    return ::_wopen(FilePath(path).c_str(), flags | _O_BINARY, mode);
#else
    return ::open(path.c_str(), flags | O_CLOEXEC, mode);
#endif
}

int CreateNewFile(const std::string& path, int mode) {
    return OpenDescriptor(path, O_WRONLY | O_CREAT | O_EXCL, mode);
}

#ifdef _WIN32
namespace {

std::optional<std::string> InAnsiCodePage(const std::wstring& wide) {
    // With UTF-8 as the ANSI code page every name fits, and the call takes no checks.
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, flags, wide.c_str(), -1, nullptr, 0, nullptr,
                                           utf8 ? nullptr : &lossy);
    if (size <= 0 || lossy) {
        return std::nullopt;
    }
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, flags, wide.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

}  // namespace
#endif

std::optional<std::string> AnsiPath(const std::string& path) {
#ifdef _WIN32
    const std::wstring wide = FilePath(path).wstring();
    if (std::optional<std::string> narrow = InAnsiCodePage(wide)) {
        return narrow;
    }
    std::wstring shortPath(MAX_PATH, L'\0');
    DWORD size = ::GetShortPathNameW(wide.c_str(), shortPath.data(), MAX_PATH);
    if (size >= MAX_PATH) {
        shortPath.resize(size);
        size = ::GetShortPathNameW(wide.c_str(), shortPath.data(), size);
    }
    if (size == 0 || size >= shortPath.size()) {
        return std::nullopt;
    }
    shortPath.resize(size);
    return InAnsiCodePage(shortPath);
#else
    return path;
#endif
}

bool RemoveFile(const std::string& path) {
#ifdef _WIN32
    return ::_wremove(FilePath(path).c_str()) == 0;
#else
    return std::remove(path.c_str()) == 0;
#endif
}

FileKind KindOf(const std::string& path) {
#ifdef _WIN32
    struct _stat64 info {};
    if (::_wstat64(FilePath(path).c_str(), &info) != 0) {
        return FileKind::Missing;
    }
    const auto type = info.st_mode & _S_IFMT;
    const bool stream = type == _S_IFCHR || type == _S_IFIFO;
    const bool folder = type == _S_IFDIR, regular = type == _S_IFREG;
#else
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return FileKind::Missing;
    }
    const auto type = info.st_mode & S_IFMT;
    const bool stream = type == S_IFCHR || type == S_IFIFO;
    const bool folder = S_ISDIR(info.st_mode), regular = S_ISREG(info.st_mode);
#endif
    return folder    ? FileKind::Folder
           : regular ? FileKind::Regular
           : stream  ? FileKind::Stream
                     : FileKind::Other;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    (void)fs::status(FilePath(path), error);
    return !error ||
           (error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory);
}

bool SameFile(const std::string& first, const std::string& second) {
#ifdef _WIN32
    std::error_code error;
    return fs::equivalent(FilePath(first), FilePath(second), error) && !error;
#else
    struct stat a {
    }, b{};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
#endif
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
        const int fd = CreateNewFile(path, mode);
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
    if (::MoveFileExW(FilePath(from).c_str(), FilePath(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
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
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFile(path, "rb"), &std::fclose);
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
    std::error_code ignored;
    const bool folder = fs::is_directory(FilePath(path), ignored);
    return SystemReason(errorNumber == EACCES && folder ? EISDIR : errorNumber);
}

}  // namespace rv7342
