#include "datafiles/files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
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

bool FileExists(const std::string& path) {
    std::error_code error;
    (void)fs::status(FilePath(path), error);
    return !error ||
           (error != std::errc::no_such_file_or_directory && error != std::errc::not_a_directory);
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
