// Runs the built simulator as a child process and reads its port the way the program does.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/temp_dir.h"
#include "tools/meter_image.h"
#include "tools/unique_fd.h"

extern char** environ;

namespace rv7342 {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Long enough for any working simulator; a broken one fails the test instead of hanging it.
constexpr auto kTimeout = 10s;

bool Readable(int fd, Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd wait{fd, POLLIN, 0};
    return ::poll(&wait, 1, static_cast<int>(std::max<long long>(left.count(), 0))) > 0;
}

// The simulator as a child process, its stdin, stdout and stderr on pipes. It is killed and
// reaped when it goes, so a failing test leaves no process behind.
class SimulatorProcess {
  public:
    explicit SimulatorProcess(const std::vector<std::string>& args);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The next line of its stdout; nothing when it ends or the timeout passes.
    std::optional<std::string> ReadLine();
    // Reads lines up to one that begins with `start`.
    bool ReadUntil(const std::string& start);
    void Type(const std::string& text) const {
        EXPECT_EQ(::write(in_.Get(), text.data(), text.size()), ssize_t(text.size()));
    }
    void CloseInput() { in_.Reset(); }
    // Its exit status; nothing when it does not end in time.
    std::optional<int> Wait();
    // What it wrote to stderr up to its end.
    std::string Errors() const;

  private:
    pid_t pid_ = -1;
    UniqueFd in_;
    UniqueFd out_;
    UniqueFd err_;
    std::string pending_;
};

// A pipe whose ends are not inherited, except where dup2 makes them the child's stdio.
std::pair<UniqueFd, UniqueFd> Pipe() {
    int ends[2] = {-1, -1};
    EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0) << std::strerror(errno);
    return {UniqueFd(ends[0]), UniqueFd(ends[1])};
}

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& args) {
    auto [inRead, inWrite] = Pipe();
    auto [outRead, outWrite] = Pipe();
    auto [errRead, errWrite] = Pipe();
    std::vector<char*> argv{const_cast<char*>(RV7342_SIM_PATH)};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inRead.Get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errWrite.Get(), STDERR_FILENO);
    const int failure =
        ::posix_spawn(&pid_, RV7342_SIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        pid_ = -1;
        ADD_FAILURE() << "cannot start " << RV7342_SIM_PATH << ": " << std::strerror(failure);
    }
    in_ = std::move(inWrite);
    out_ = std::move(outRead);
    err_ = std::move(errRead);
}

SimulatorProcess::~SimulatorProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::optional<std::string> SimulatorProcess::ReadLine() {
    const auto deadline = Clock::now() + kTimeout;
    for (;;) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        char buffer[256];
        const ssize_t got =
            Readable(out_.Get(), deadline) ? ::read(out_.Get(), buffer, sizeof buffer) : 0;
        if (got <= 0) {
            return std::nullopt;
        }
        pending_.append(buffer, got);
    }
}

bool SimulatorProcess::ReadUntil(const std::string& start) {
    for (std::optional<std::string> line = ReadLine(); line; line = ReadLine()) {
        if (line->rfind(start, 0) == 0) {
            return true;
        }
    }
    return false;
}

std::optional<int> SimulatorProcess::Wait() {
    const auto deadline = Clock::now() + kTimeout;
    int status = 0;
    while (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(10ms);
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string SimulatorProcess::Errors() const {
    const auto deadline = Clock::now() + kTimeout;
    std::string errors;
    char buffer[256];
    ssize_t got = 0;
    while (Readable(err_.Get(), deadline) &&
           (got = ::read(err_.Get(), buffer, sizeof buffer)) > 0) {
        errors.append(buffer, got);
    }
    return errors;
}

// Opens the simulator's port as the program does: raw, and not as a controlling terminal.
UniqueFd OpenPort(const std::string& path) {
    UniqueFd port(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios settings{};
    EXPECT_TRUE(port.Valid()) << path << ": " << std::strerror(errno);
    if (port.Valid() && ::tcgetattr(port.Get(), &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(port.Get(), TCSANOW, &settings);
    }
    return port;
}

// Reads `count` bytes; fewer when the timeout passes first.
Bytes ReadBytes(const UniqueFd& port, std::size_t count) {
    const auto deadline = Clock::now() + kTimeout;
    Bytes bytes;
    std::uint8_t buffer[4096];
    while (bytes.size() < count && Readable(port.Get(), deadline)) {
        const ssize_t got =
            ::read(port.Get(), buffer, std::min(sizeof buffer, count - bytes.size()));
        if (got <= 0) {
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

// Runs the simulator for one memory and checks that exactly `memory` arrives and that it ends
// once the port is closed.
void ExpectServedOnce(std::vector<std::string> args, const Bytes& memory) {
    args.insert(args.begin(), {"--once", "--delay", "0"});
    SimulatorProcess simulator(args);
    const std::optional<std::string> device = simulator.ReadLine();
    ASSERT_TRUE(device) << simulator.Errors();
    {
        const UniqueFd port = OpenPort(*device);
        EXPECT_EQ(ReadBytes(port, memory.size()), memory);
        EXPECT_FALSE(Readable(port.Get(), Clock::now() + 100ms)) << "bytes after the memory";
    }
    EXPECT_EQ(simulator.Wait(), 0) << simulator.Errors();
}

TEST(Simulator, SendsTheMemoryOfItsSeedAndEndsWhenThePortCloses) {
    ExpectServedOnce({"--fast", "--frames", "50", "--seed", "3"}, GenerateMeterImage(50, 3).bytes);
    ExpectServedOnce({"--frames", "5", "--seed", "3"}, GenerateMeterImage(5, 3).bytes);
}

// Every byte value, and more than one read's worth of them.
TEST(Simulator, ReplaysAFileByteForByte) {
    const TempDir dir;
    Bytes memory = GenerateMeterImage(5000, 9).bytes;
    for (int byte = 0; byte < 256; ++byte) {
        memory.push_back(static_cast<std::uint8_t>(byte));
    }
    dir.Write("memory.bin", std::string(memory.begin(), memory.end()));
    ExpectServedOnce({"--fast", "--replay", dir.Path("memory.bin")}, memory);
}

// A failure before serving ends the simulator with a message that names what failed, and
// without a port.
TEST(Simulator, FailsWithTheReasonBeforeServing) {
    const TempDir dir;
    const std::string noFolder = dir.Path("none") + "/expected.dat";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string reason;
    };
    const Case cases[] = {
        {{"--frames", "1000001"}, 2, "invalid --frames '1000001'"},
        {{"--delay=-1"}, 2, "invalid --delay '-1'"},
        {{"--seed"}, 2, "option --seed needs a value"},
        {{"--replay", dir.Path("none.bin"), "--seed", "2"}, 2, "--replay sends a file"},
        {{"--replay", dir.Path("none.bin")}, 1, dir.Path("none.bin") + ": "},
        {{"--expect", noFolder}, 1, noFolder + ": "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        SimulatorProcess simulator(c.args);
        EXPECT_EQ(simulator.Wait(), c.status);
        EXPECT_NE(simulator.Errors().find(c.reason), std::string::npos) << simulator.Errors();
        EXPECT_EQ(simulator.ReadLine(), std::nullopt) << "no device offered";
    }
}

// Enter is RESET; bytes the program left unread must not reach its next open.
TEST(Simulator, ServesAFreshMemoryAtEveryOpen) {
    const Bytes memory = GenerateMeterImage(50, 3).bytes;
    SimulatorProcess simulator({"--fast", "--frames", "50", "--seed", "3"});
    const std::optional<std::string> device = simulator.ReadLine();
    ASSERT_TRUE(device) << simulator.Errors();
    for (std::size_t wanted : {std::size_t{100}, memory.size()}) {
        ASSERT_TRUE(simulator.ReadUntil("Waiting for the program to open"));
        const UniqueFd port = OpenPort(*device);
        ASSERT_TRUE(simulator.ReadUntil("Press Enter"));
        simulator.Type("\n");
        EXPECT_EQ(ReadBytes(port, wanted), Bytes(memory.begin(), memory.begin() + wanted));
    }
    ASSERT_TRUE(simulator.ReadUntil("Waiting for the program to open"));
    simulator.CloseInput();
    EXPECT_EQ(simulator.Wait(), 0) << "ends cleanly at the end of its input";
}

TEST(Simulator, NoticesThePortClosingWhileTheLinkIsFull) {
    SimulatorProcess simulator({"--once", "--fast", "--delay", "0", "--frames", "20000"});
    const std::optional<std::string> device = simulator.ReadLine();
    ASSERT_TRUE(device) << simulator.Errors();
    {
        const UniqueFd port = OpenPort(*device);
        EXPECT_EQ(ReadBytes(port, 100).size(), 100u);
        std::this_thread::sleep_for(200ms);  // lets the simulator fill the link
    }
    EXPECT_EQ(simulator.Wait(), 0) << simulator.Errors();
}

}  // namespace
}  // namespace rv7342
