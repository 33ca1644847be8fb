#include "datafiles/output_file.h"

#include <fcntl.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

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
// Windows has no stop signals to hold back: its console events stop the command itself.
class StopSignalsHeld {
  public:
    StopSignalsHeld() {}
};
void ForgetSlot(int) {}
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

// Installed for each signal that would end the program at once: one the program ignores
// (SIGHUP under nohup) stays ignored, and one it catches itself it handles itself.
void WatchForStopSignals() {
    static bool installed[std::size(kStopSignals)] = {};
    struct sigaction action {};
    action.sa_handler = RemoveTemporaries;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        struct sigaction current {};
        ::sigaction(kStopSignals[i], nullptr, &current);
        if (!installed[i] && current.sa_handler == SIG_DFL) {
            previousActions[i] = current;
            ::sigaction(kStopSignals[i], &action, nullptr);
            installed[i] = true;
        }
    }
}

// Holds the stop signals back for as long as it lives: a temporary file is created and
// remembered for the handler that removes it with no signal in between, which would leave it.
class StopSignalsHeld {
  public:
    StopSignalsHeld() {
        sigset_t stop;
        sigemptyset(&stop);
        for (const int signal : kStopSignals) {
            sigaddset(&stop, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &stop, &previous_);
    }
    ~StopSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

  private:
    sigset_t previous_{};
};

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

void ForgetSlot(int slot) {
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

// The folder a path lies in, without a separator at its end (which Windows's stat refuses).
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

OutputFile::~OutputFile() {
    Abandon();
}

Failure OutputFile::Open(const std::string& path) {
    Abandon();
    readings_ = false;
    if (path == kStandardOutput) {
        standardOutput_ = true;
        stream_ = false;
        name_ = "the standard output";
        return std::nullopt;
    }
    return OpenNamed(path, FileCreation::Replace);
}

Failure OutputFile::OpenForReadings(const std::string& path, FileCreation creation) {
    Abandon();
    readings_ = true;
    return OpenNamed(path, creation);
}

Failure OutputFile::OpenNamed(const std::string& path, FileCreation creation) {
    standardOutput_ = stream_ = false;
    name_ = path;
    target_ = FollowLink(path);
    switch (KindOf(target_)) {
        case FileKind::Folder:
            return "Cannot write " + path + ": it is a folder";
        case FileKind::Stream:
            return OpenStream();
        case FileKind::Other:
            return "Cannot write " + path + ": it is neither a file nor a device to write to";
        case FileKind::Missing:
        case FileKind::Regular:
            break;
    }
    return OpenRegular(creation);
}

// A device or a pipe is written as it stands, like the standard output: there is nothing to
// replace, and it is never removed.
Failure OutputFile::OpenStream() {
    errno = 0;
    fd_ = OpenDescriptor(target_, kStreamFlags);  // a pipe no program reads fails at once
    if (fd_ < 0) {
        return WriteFailure(errno);
    }
#ifndef _WIN32
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
#endif
    stream_ = true;
    return std::nullopt;
}

Failure OutputFile::OpenRegular(FileCreation creation) {
    const StopSignalsHeld held;
    errno = 0;
    switch (creation) {
        case FileCreation::Truncate:
            fd_ = OpenDescriptor(target_, O_WRONLY | O_CREAT | O_TRUNC, 0666);
            break;
        case FileCreation::New:
            fd_ = CreateNewFile(target_);
            created_ = fd_ >= 0 ? target_ : std::string();
            break;
        case FileCreation::Replace:
            fd_ = CreateFileBeside(target_, temporary_);
            break;
    }
    if (fd_ < 0) {
        return CreateFailure(errno);
    }
    if (!temporary_.empty() && !readings_) {
        slot_ = RememberTemporary(temporary_);
        WatchForStopSignals();
    }
    return std::nullopt;
}

// The system's reason, except that a folder that is missing, or is no folder, is named.
Failure OutputFile::CreateFailure(int errorNumber) const {
    const std::string folder = FolderOf(target_);
    std::string reason = SystemReason(errorNumber);
    if (errorNumber == ENOENT || errorNumber == ENOTDIR) {
        const FileKind kind = KindOf(folder);
        reason = kind == FileKind::Missing  ? "the folder " + folder + " does not exist"
                 : kind != FileKind::Folder ? folder + " is not a folder"
                                            : reason;
    }
    return "Cannot create " + name_ + ": " + reason;
}

Failure OutputFile::NeedFilePath() {
    if (!stream_ || streamFd_ >= 0) {
        return std::nullopt;
    }
    std::error_code error;
#ifdef _WIN32
    const std::string folder = std::filesystem::temp_directory_path(error).u8string();
#else
    const std::string folder = std::filesystem::temp_directory_path(error).string();
#endif
    const StopSignalsHeld held;
    errno = 0;
    const int scratch = CreateFileBeside(folder + "/rv7342-output", temporary_);
    if (scratch < 0) {
        return "Cannot write " + name_ + ": no temporary file can be made in " + folder + ": " +
               SystemReason(errno);
    }
    streamFd_ = fd_;
    fd_ = scratch;
    slot_ = RememberTemporary(temporary_);
    WatchForStopSignals();
    return std::nullopt;
}

Failure OutputFile::CopyIntoStream() {
    const bool closed = CloseFile(fd_) == 0;
    fd_ = streamFd_;
    streamFd_ = -1;
    if (!closed) {
        return WriteFailure(errno);
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFile(temporary_, "rb"), &std::fclose);
    if (!file) {
        return WriteFailure(errno);
    }
    char piece[65536];
    std::size_t got = 0;
    while ((got = std::fread(piece, 1, sizeof piece, file.get())) > 0) {
        if (Failure failure = Write(std::string_view(piece, got))) {
            return failure;
        }
    }
    return std::ferror(file.get()) ? WriteFailure(errno) : std::nullopt;
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

void OutputFile::CutTo(long long size) {
    if (fd_ >= 0 && !stream_) {
        CutFile(fd_, size);
    }
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
        const Failure copied = streamFd_ >= 0 ? CopyIntoStream() : std::nullopt;
        const bool closed = CloseFile(fd_) == 0;
        fd_ = -1;
        Abandon();  // the temporary file copied, if any
        return copied ? copied : closed ? std::nullopt : WriteFailure(errno);
    }
    errno = 0;
    const bool synced = SyncFile(fd_) == 0;
    const int syncError = errno;
    const bool closed = CloseFile(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed) {
        return CommitFailure("Cannot write " + name_, synced ? errno : syncError);
    }
    created_.clear();
    if (temporary_.empty()) {
        return std::nullopt;
    }
    if (!RenameOver(temporary_, target_)) {
        return CommitFailure("Cannot replace " + name_, errno);
    }
    ForgetTemporary();
#ifndef _WIN32
    // The rename itself reaches the disk with its folder.
    const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
#endif
    return std::nullopt;
}

Failure OutputFile::CommitFailure(const std::string& what, int errorNumber) {
    std::string failure = what + ": " + SystemReason(errorNumber);
    if (readings_ && !temporary_.empty()) {
        failure += "; the readings are in " + temporary_;
        ForgetTemporary();
    }
    created_.clear();  // a file in place keeps what was written into it
    Abandon();
    return failure;
}

void OutputFile::ForgetTemporary() {
    ForgetSlot(slot_);
    slot_ = -1;
    temporary_.clear();
}

void OutputFile::Abandon() {
    for (int* fd : {&fd_, &streamFd_}) {
        if (*fd >= 0) {
            CloseFile(*fd);
            *fd = -1;
        }
    }
    // Removed once closed: Windows removes no file that is open.
    if (!temporary_.empty()) {
        RemoveFile(temporary_);
        ForgetTemporary();
    }
    if (!created_.empty()) {
        RemoveFile(created_);
        created_.clear();
    }
}

}  // namespace rv7342
