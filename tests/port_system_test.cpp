#include "ports/port_system.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <utility>

#include "tests/pseudo_terminal.h"
#include "tests/temp_dir.h"
#include "tests/test_conditions.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

// A child process that sleeps, optionally with `device` open, until the test ends it.
struct Sleeper {
    explicit Sleeper(const std::string& device = {}) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!device.empty()) {
            posix_spawn_file_actions_addopen(&actions, 3, device.c_str(), O_RDONLY | O_NOCTTY, 0);
        }
        char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("infinity"), nullptr};
        if (posix_spawnp(&pid, "sleep", &actions, nullptr, argv, environ) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Sleeper() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    pid_t pid = -1;
};

TEST(LockFiles, NameAndRecordedProcessAsSerialProgramsWriteThem) {
    EXPECT_EQ(LockFileName("/dev/ttyUSB0"), "LCK..ttyUSB0");
    EXPECT_EQ(LockFileName("/dev/pts/3"), "LCK..pts_3");
    EXPECT_EQ(LockFileName("/home/me/meter"), "LCK.._home_me_meter");

    const std::vector<std::pair<std::string, std::optional<long>>> contents = {
        {"4242\nrv7342\nhost\n", 4242},  // QLockFile: pid, program, host, ...
        {"      4242\n", 4242},          // the ten-column text of older serial programs
        {"4242", 4242},
        {"", std::nullopt},
        {"0\n", std::nullopt},
        {"-5\n", std::nullopt},
        {"12ab\n", std::nullopt},
        {"99999999999999999999\n", std::nullopt},
        {std::string("\x92\x10\0\0", 4), std::nullopt},  // a binary pid
    };
    for (const auto& [text, pid] : contents) {
        SCOPED_TRACE(text);
        EXPECT_EQ(LockFilePid(text), pid);
    }
}

TEST(FindPortHolder, NamesAProcessWithTheDeviceOpenOrTheLiveOneOfALockFile) {
    PseudoTerminal line;
    const auto namesSleeper = [&](pid_t pid) {
        const std::optional<PortHolder> found = FindPortHolder(line.SlavePath());
        return pid > 0 && found && found->pid == pid && found->program == "sleep";
    };
    EXPECT_TRUE(namesSleeper(Sleeper(line.SlavePath()).pid)) << "the device held open";

    const std::filesystem::path lock = "/tmp/" + LockFileName(line.SlavePath());
    Sleeper holder;
    std::ofstream(lock) << "        " << holder.pid << "\n";
    EXPECT_TRUE(namesSleeper(holder.pid)) << "a lock file of a live process";
    std::ofstream(lock) << Sleeper().pid << "\n";  // a process that has ended
    EXPECT_FALSE(FindPortHolder(line.SlavePath())) << "a stale lock file";
    std::filesystem::remove(lock);
}

TEST(ReadDeviceAccess, ReadsOwnerGroupAndMode) {
    PseudoTerminal line;
    struct stat info {};
    ASSERT_EQ(::stat(line.SlavePath().c_str(), &info), 0);
    for (mode_t mode : {0600, 0620, 0660}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(line.SlavePath().c_str(), mode), 0);
        const DeviceAccess access = ReadDeviceAccess(line.SlavePath());
        EXPECT_EQ(access.owner, ::getpwuid(info.st_uid)->pw_name);
        EXPECT_EQ(access.group, ::getgrgid(info.st_gid)->gr_name);
        EXPECT_EQ(access.groupMayReadWrite, mode == 0660);
    }
    EXPECT_EQ(ReadDeviceAccess("/dev/rv7342-absent").group, "");
}

// A hang-up while the device stays is told as such (a pulled adapter, whose device goes too, is
// tested through the window's lost-connection message).
TEST(ReadFailureReason, NoneOnAHealthyLineAndAHangUpAlone) {
    PseudoTerminal line;
    const int fd = ::open(line.SlavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ReadFailureReason(fd, line.SlavePath()), "");
    if (!RunningAsRoot()) {
        ::close(fd);
        RV7342_SKIP_OUTSIDE_CI("hanging up a terminal needs root");
    }
    const int other = ::open(line.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_EQ(::ioctl(other, TIOCVHANGUP), 0);
    ::close(other);
    EXPECT_EQ(ReadFailureReason(fd, line.SlavePath()), "the device hung up");
    ::close(fd);
}

}  // namespace
}  // namespace rv7342
