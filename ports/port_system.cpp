#include "ports/port_system.h"

#include "datafiles/files.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace rv7342 {

namespace {

namespace fs = std::filesystem;

// Where serial programs keep their lock files, in the order QSerialPort looks.
const char* const kLockDirectories[] = {"/var/lock",         "/etc/locks", "/var/spool/locks",
                                        "/var/spool/uucp",   "/tmp",       "/var/tmp",
                                        "/var/lock/lockdev", "/run/lock"};

// The text of a small system file; empty when it cannot be read.
std::string ReadText(const fs::path& path) {
    std::string text;
    if (ReadWholeFile(path.string(), text)) {
        text.clear();
    }
    return text;
}

bool ProcessHasGroup(gid_t gid) {
    if (::getegid() == gid) {
        return true;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    return std::find(groups.begin(), groups.begin() + std::max(count, 0), gid) !=
           groups.begin() + std::max(count, 0);
}

// Whether the group database makes the user a member, as the next login will.
bool UserListedInGroup(gid_t gid) {
    const passwd* user = ::getpwuid(::getuid());
    if (!user) {
        return false;
    }
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0) {
            return false;
        }
    }
    groups.resize(static_cast<std::size_t>(count));
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

std::optional<PortHolder> HolderFromLockFiles(const std::string& device) {
    const std::string name = LockFileName(device);
    for (const char* directory : kLockDirectories) {
        const std::optional<long> pid = LockFilePid(ReadText(fs::path(directory) / name));
        if (!pid) {
            continue;
        }
        std::string program = ProcessName(*pid);
        if (!program.empty()) {
            return PortHolder{*pid, std::move(program)};
        }
    }
    return std::nullopt;
}

bool HasOpen(const fs::path& process, const fs::path& target) {
    std::error_code error;
    for (fs::directory_iterator fd(process / "fd", error), end; !error && fd != end;
         fd.increment(error)) {
        std::error_code linkError;
        if (fs::read_symlink(fd->path(), linkError) == target) {
            return true;
        }
    }
    return false;
}

std::optional<PortHolder> HolderFromProcessList(const std::string& device) {
    std::error_code error;
    const fs::path target = fs::canonical(device, error);
    if (error) {
        return std::nullopt;
    }
    for (fs::directory_iterator process("/proc", error), end; !error && process != end;
         process.increment(error)) {
        const std::string pid = process->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos ||
            !HasOpen(process->path(), target)) {
            continue;
        }
        const long number = std::stol(pid);
        return PortHolder{number, ProcessName(number)};
    }
    return std::nullopt;
}

}  // namespace

DeviceAccess ReadDeviceAccess(const std::string& device) {
    DeviceAccess access;
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0) {
        return access;
    }
    if (const passwd* owner = ::getpwuid(info.st_uid)) {
        access.owner = owner->pw_name;
    }
    if (const group* owning = ::getgrgid(info.st_gid)) {
        access.group = owning->gr_name;
    }
    access.groupMayReadWrite = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    access.inGroup = ProcessHasGroup(info.st_gid);
    access.listedInGroup = UserListedInGroup(info.st_gid);
    return access;
}

std::optional<PortHolder> FindPortHolder(const std::string& device) {
    if (std::optional<PortHolder> holder = HolderFromLockFiles(device)) {
        return holder;
    }
    return HolderFromProcessList(device);
}

std::string LockFileName(const std::string& device) {
    const std::string prefix = "/dev/";
    std::string name =
        device.compare(0, prefix.size(), prefix) == 0 ? device.substr(prefix.size()) : device;
    std::replace(name.begin(), name.end(), '/', '_');
    return "LCK.." + name;
}

std::optional<long> LockFilePid(const std::string& contents) {
    const std::string line = contents.substr(0, contents.find('\n'));
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos || line.size() - start > 10 ||
        line.find_first_not_of("0123456789", start) != std::string::npos) {
        return std::nullopt;
    }
    const long pid = std::stol(line.substr(start));
    return pid > 0 ? std::optional<long>(pid) : std::nullopt;
}

std::string ProcessName(long pid) {
    const fs::path process = fs::path("/proc") / std::to_string(pid);
    const std::string commandLine = ReadText(process / "cmdline");
    const std::string program = commandLine.substr(0, commandLine.find('\0'));
    if (!program.empty()) {
        return fs::path(program).filename().string();
    }
    std::string name = ReadText(process / "comm");
    name.erase(std::remove(name.begin(), name.end(), '\n'), name.end());
    return name;
}

bool LineEnded(int fd) {
    pollfd watch{fd, POLLIN, 0};
    return ::poll(&watch, 1, 0) == 1 && (watch.revents & (POLLHUP | POLLERR)) != 0;
}

std::string ReadFailureReason(int fd, const std::string& device) {
    std::string reason;
    if (LineEnded(fd)) {
        // The line has ended: a byte still read here would come too late for the transfer.
        char byte = 0;
        const ssize_t got = ::read(fd, &byte, 1);
        const int readError = errno;
        if (got < 0) {
            reason = SystemReason(readError);
        } else if (got == 0) {
            reason = "the device hung up";
        }
    }
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0) {
        const int statError = errno;
        const std::string gone = device + " is gone (" + SystemReason(statError) + ")";
        reason = reason.empty() ? gone : reason + "; " + gone;
    }
    return reason;
}

}  // namespace rv7342
