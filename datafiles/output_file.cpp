#include "datafiles/output_file.h"

#include <fcntl.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "datafiles/files.h"

namespace rv7342 {

namespace {

#ifdef _WIN32
int WriteSome(int fd, const char* bytes, std::size_t size) {
    return ::_write(fd, bytes, static_cast<unsigned>(size));
}
int SyncFile(int fd) {
    return ::_commit(fd);
}
int CloseFile(int fd) {
    return ::_close(fd);
}
void WatchForStopSignals() {}
void ForgetTemporary(int) {}
int RememberTemporary(const std::string&) {
    return -1;
}
#else
ssize_t WriteSome(int fd, const char* bytes, std::size_t size) {
    return ::write(fd, bytes, size);
}
int SyncFile(int fd) {
    return ::fsync(fd);
}
int CloseFile(int fd) {
    return ::close(fd);
}

// The temporary files open now, for the signal handler to remove: fixed slots, so that the
// handler reads them without taking a lock or allocating.
constexpr int kSlots = 16;
struct Slot {
    volatile std::sig_atomic_t used = 0;
    char path[4096] = {};
};
Slot slots[kSlots];
const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[std::size(kStopSignals)];

// Removes every temporary file, then lets the signal do what it did before.
void RemoveTemporaries(int signal) {
    for (Slot& slot : slots) {
        if (slot.used) {
            ::unlink(slot.path);
        }
    }
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        if (kStopSignals[i] == signal) {
            ::sigaction(signal, &previousActions[i], nullptr);
        }
    }
    ::raise(signal);
}

// Installed once: a signal that the program ignores (SIGHUP under nohup) stays ignored.
void WatchForStopSignals() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    struct sigaction action {};
    action.sa_handler = RemoveTemporaries;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        ::sigaction(kStopSignals[i], nullptr, &previousActions[i]);
        if (previousActions[i].sa_handler != SIG_IGN) {
            ::sigaction(kStopSignals[i], &action, nullptr);
        }
    }
}

// The slot that now holds `path`; -1 when the slots are all taken (the file is then still
// removed on a failure, only not on a signal).
int RememberTemporary(const std::string& path) {
    for (int i = 0; i < kSlots; ++i) {
        if (!slots[i].used && path.size() < sizeof slots[i].path) {
            std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
            slots[i].used = 1;
            return i;
        }
    }
    return -1;
}

void ForgetTemporary(int slot) {
    if (slot >= 0) {
        slots[slot].used = 0;
    }
}
#endif

#ifdef _WIN32
constexpr int kStreamFlags = _O_WRONLY;
#else
constexpr int kStreamFlags = O_WRONLY | O_NONBLOCK;
#endif

}  // namespace

OutputFile::~OutputFile() {
    Abandon();
}

Failure OutputFile::Open(const std::string& path) {
    Abandon();
    standardOutput_ = stream_ = false;
    if (path == kStandardOutput) {
        standardOutput_ = true;
        name_ = "the standard output";
        return std::nullopt;
    }
    name_ = path;
    target_ = FollowLink(path);
    const FileKind kind = KindOf(target_);
    if (kind == FileKind::Folder) {
        return "Cannot write " + path + ": it is a folder";
    }
    if (kind == FileKind::Stream) {
        return OpenStream();
    }
    if (kind == FileKind::Other) {
        return "Cannot write " + path + ": it is neither a file nor a device to write to";
    }
    errno = 0;
    fd_ = CreateFileBeside(target_, temporary_);
    if (fd_ < 0) {
        return "Cannot create " + path + ": " + SystemReason(errno);
    }
    slot_ = RememberTemporary(temporary_);
    WatchForStopSignals();
    return std::nullopt;
}

// A device or a pipe is written as it stands, like the standard output: there is nothing to
// replace, and it is never removed.
Failure OutputFile::OpenStream() {
    errno = 0;
    fd_ = OpenDescriptor(target_, kStreamFlags);  // a pipe no program reads fails at once
    if (fd_ < 0) {
        return "Cannot write " + name_ + ": " + SystemReason(errno);
    }
#ifndef _WIN32
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
#endif
    stream_ = true;
    return std::nullopt;
}

Failure OutputFile::WriteFailure(int errorNumber) const {
    return "Cannot write " + name_ + ": " + SystemReason(errorNumber);
}

Failure OutputFile::Write(std::string_view bytes) {
    if (standardOutput_) {
        errno = 0;
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
            return WriteFailure(errno);
        }
        return std::nullopt;
    }
    while (!bytes.empty()) {
        const auto written = WriteSome(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return WriteFailure(written < 0 ? errno : ENOSPC);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

Failure OutputFile::Commit() {
    if (standardOutput_) {
        errno = 0;
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            return WriteFailure(errno);
        }
        return std::nullopt;
    }
    if (fd_ < 0) {
        return "Cannot write " + name_ + ": it was not opened";
    }
    if (stream_) {
        const bool closed = CloseFile(fd_) == 0;
        fd_ = -1;
        return closed ? std::nullopt : WriteFailure(errno);
    }
    errno = 0;
    const bool synced = SyncFile(fd_) == 0;
    const int syncError = errno;
    const bool closed = CloseFile(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed) {
        const Failure failure = WriteFailure(synced ? errno : syncError);
        Abandon();
        return failure;
    }
    if (!RenameOver(temporary_, target_)) {
        const Failure failure = "Cannot replace " + name_ + ": " + SystemReason(errno);
        Abandon();
        return failure;
    }
    ForgetTemporary(slot_);
    slot_ = -1;
    temporary_.clear();
#ifndef _WIN32
    // The rename itself reaches the disk with its folder.
    const std::size_t slash = target_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : target_.substr(0, slash + 1);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
#endif
    return std::nullopt;
}

void OutputFile::Abandon() {
    if (fd_ >= 0) {
        CloseFile(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        RemoveFile(temporary_);
        ForgetTemporary(slot_);
        slot_ = -1;
        temporary_.clear();
    }
}

}  // namespace rv7342
