#include "transfer/port_system.h"

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

#include "tests/pseudo_terminal.h"
#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

// A child process running `sleep`, optionally with `device` open; ended with the test.
class Sleeper {
  public:
    explicit Sleeper(const std::string& device = {}) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!device.empty()) {
            posix_spawn_file_actions_addopen(&actions, 3, device.c_str(), O_RDONLY | O_NOCTTY, 0);
        }
        char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("30"), nullptr};
        if (posix_spawnp(&pid_, "sleep", &actions, nullptr, argv, environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Sleeper() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
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

TEST(FindPortHolder, NamesAProcessThatHasTheDeviceOpen) {
    PseudoTerminal line;
    Sleeper holder(line.SlavePath());
    ASSERT_GT(holder.Pid(), 0);
    const std::optional<PortHolder> found = FindPortHolder(line.SlavePath());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->pid, holder.Pid());
    EXPECT_EQ(found->program, "sleep");
}

TEST(FindPortHolder, NamesTheLiveProcessOfALockFileAndSkipsAStaleOne) {
    PseudoTerminal line;
    const std::filesystem::path lock =
        std::filesystem::path("/tmp") / LockFileName(line.SlavePath());
    Sleeper holder;
    ASSERT_GT(holder.Pid(), 0);
    std::ofstream(lock) << "        " << holder.Pid() << "\n";
    const std::optional<PortHolder> found = FindPortHolder(line.SlavePath());
    EXPECT_TRUE(found && found->pid == holder.Pid() && found->program == "sleep");

    pid_t ended = 0;
    {
        Sleeper gone;
        ended = gone.Pid();
    }
    std::ofstream(lock) << ended << "\n";
    EXPECT_FALSE(FindPortHolder(line.SlavePath()));
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

// An open pseudo-terminal slave as the program holds its port.
class OpenLine : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(line.SlavePath().empty());
        std::filesystem::create_symlink(line.SlavePath(), link);
        fd = ::open(link.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
    }
    void TearDown() override { ::close(fd); }

    PseudoTerminal line;
    TempDir dir;
    const std::string link = dir.Path("ttyUSB0");
    int fd = -1;
};

TEST_F(OpenLine, AHealthyLineGivesNoReason) {
    EXPECT_EQ(ReadFailureReason(fd, link), "");
}

// As when a USB adapter is pulled out: reads see the end of the line, and the device file
// goes away (a pseudo-terminal's slave goes with its master).
TEST_F(OpenLine, ThePulledEndAndTheDeviceGoneAreBothTold) {
    line.CloseMaster();
    EXPECT_EQ(ReadFailureReason(fd, link),
              "the device hung up; " + link + " is gone (No such file or directory)");
}

TEST_F(OpenLine, AHangUpAloneIsToldAlone) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "hanging up a terminal needs root";
    }
    const int other = ::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(::ioctl(other, TIOCVHANGUP), 0);
    ::close(other);
    EXPECT_EQ(ReadFailureReason(fd, link), "the device hung up");
}

}  // namespace
}  // namespace rv7342
