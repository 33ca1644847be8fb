// Runs the built simulator as a child process and reads its port the way the program does.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/child_process.h"
#include "tests/deadline.h"
#include "tests/temp_dir.h"
#include "tools/meter_image.h"
#include "tools/unique_fd.h"

namespace rv7342 {
namespace {

using namespace std::chrono_literals;

// Up to `count` bytes from `fd`; fewer when it ends or nothing comes for `wait`, so that a
// broken simulator fails the test instead of hanging it.
std::string Read(int fd, std::size_t count, std::chrono::milliseconds wait = kEventDeadline) {
    std::string bytes;
    char buffer[4096];
    pollfd ready{fd, POLLIN, 0};
    ssize_t got = 0;
    while (bytes.size() < count && ::poll(&ready, 1, static_cast<int>(wait.count())) > 0 &&
           (got = ::read(fd, buffer, std::min(sizeof buffer, count - bytes.size()))) > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

std::string Text(const Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

// The simulator as a child process: its stdin and stdout on pipes, its stderr in a file.
class Simulator {
  public:
    explicit Simulator(const std::vector<std::string>& args)
        : pipes_(Pipes()),
          process_(RV7342_SIM_PATH, args, {}, {}, {pipes_[0].Get(), pipes_[3].Get()}) {
        pipes_[0].Reset();
        pipes_[3].Reset();
    }

    // The next line of its stdout that begins with `start`; nothing when it ends or falls silent.
    std::optional<std::string> ReadLine(const std::string& start = "") const {
        std::string line;
        for (std::string c = Read(Output(), 1); !c.empty(); c = Read(Output(), 1)) {
            if (c != "\n") {
                line += c;
            } else if (line.rfind(start, 0) == 0) {
                return line;
            } else {
                line.clear();
            }
        }
        return std::nullopt;
    }
    void PressEnter() const { EXPECT_EQ(::write(pipes_[1].Get(), "\n", 1), 1); }
    void CloseInput() { pipes_[1].Reset(); }
    // Its exit status; nothing when it does not end in time.
    std::optional<int> Wait() { return process_.Wait(); }
    // What it wrote to stderr so far.
    std::string Errors() const { return process_.Errors(); }

  private:
    // Its input's read and write ends, then its output's.
    static std::array<UniqueFd, 4> Pipes() {
        int in[2] = {-1, -1}, out[2] = {-1, -1};
        EXPECT_EQ(::pipe2(in, O_CLOEXEC) | ::pipe2(out, O_CLOEXEC), 0);
        return {UniqueFd(in[0]), UniqueFd(in[1]), UniqueFd(out[0]), UniqueFd(out[1])};
    }
    int Output() const { return pipes_[2].Get(); }

    std::array<UniqueFd, 4> pipes_;
    ChildProcess process_;
};

// True once bytes are waiting to be read from `fd`; false when none come within kEventDeadline.
bool WaitForUnreadBytes(int fd) {
    int waiting = 0;
    return WaitUntil([&] { return ::ioctl(fd, FIONREAD, &waiting) != 0 || waiting > 0; }) &&
           waiting > 0;
}

// Opens the simulator's port as the program does, not as a controlling terminal. The simulator
// has made the line raw: no byte of the memory may be changed on its way.
UniqueFd OpenPort(const std::string& path) {
    UniqueFd port(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    EXPECT_TRUE(port.Valid()) << path;
    return port;
}

// Exactly the memory arrives, paced or fast, made up from the seed or replayed byte for byte,
// and the simulator ends once the port closes.
TEST(Simulator, SendsOneMemoryAndEndsWhenThePortCloses) {
    const TempDir dir;
    std::string file = Text(GenerateMeterImage(5000, 9).bytes);
    for (int byte = 0; byte < 256; ++byte) {
        file += static_cast<char>(byte);  // every byte value, after more than one read's worth
    }
    dir.Write("memory.bin", file);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--fast", "--frames", "50", "--seed", "3"}, Text(GenerateMeterImage(50, 3).bytes)},
        {{"--frames", "5", "--seed", "3"}, Text(GenerateMeterImage(5, 3).bytes)},
        {{"--fast", "--replay", dir.Path("memory.bin")}, file},
    };
    for (const auto& [options, memory] : cases) {
        SCOPED_TRACE(testing::PrintToString(options));
        std::vector<std::string> args{"--once", "--delay", "0"};
        args.insert(args.end(), options.begin(), options.end());
        Simulator simulator(args);
        const std::optional<std::string> device = simulator.ReadLine();
        ASSERT_TRUE(device) << simulator.Errors();
        {
            const UniqueFd port = OpenPort(*device);
            EXPECT_EQ(Read(port.Get(), memory.size()), memory);
            const std::optional<std::string> sent = simulator.ReadLine("Sent ");
            ASSERT_TRUE(sent) << simulator.Errors();
            EXPECT_EQ(sent->rfind("Sent " + std::to_string(memory.size()) + " bytes in ", 0), 0u)
                << *sent;
            ASSERT_TRUE(simulator.ReadLine("Waiting for the program to close the port"));
            EXPECT_EQ(Read(port.Get(), 1, 100ms), "") << "bytes after the memory";
        }
        EXPECT_EQ(simulator.Wait(), 0) << simulator.Errors();
    }
}

// A failure before serving ends the simulator with a message that names what failed, and
// without a port.
TEST(Simulator, FailsWithTheReasonBeforeServing) {
    const TempDir dir;
    const std::string noFolder = dir.Path("none") + "/expected.dat";
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"--frames", "1000001"}, 2, "invalid --frames '1000001'"},
        {{"--delay=-1"}, 2, "invalid --delay '-1'"},
        {{"--seed"}, 2, "option --seed needs a value"},
        {{"--replay", dir.Path("none.bin"), "--seed", "2"}, 2, "--replay sends a file"},
        {{"--replay", dir.Path("none.bin")}, 1, dir.Path("none.bin") + ": "},
        {{"--expect", noFolder}, 1, noFolder + ": "},
    };
    for (const auto& [args, status, reason] : cases) {
        SCOPED_TRACE(reason);
        Simulator simulator(args);
        EXPECT_EQ(simulator.Wait(), status);
        EXPECT_NE(simulator.Errors().find(reason), std::string::npos) << simulator.Errors();
        EXPECT_EQ(simulator.ReadLine(), std::nullopt) << "no device offered";
    }
}

// Enter is RESET. The program may close the port while the link is full; the bytes it left
// unread must not reach its next open.
TEST(Simulator, ServesAFreshMemoryAtEveryOpen) {
    const std::string memory = Text(GenerateMeterImage(20000, 3).bytes);
    Simulator simulator({"--fast", "--frames", "20000", "--seed", "3"});
    const std::optional<std::string> device = simulator.ReadLine();
    ASSERT_TRUE(device) << simulator.Errors();
    for (std::size_t wanted : {std::size_t{100}, memory.size()}) {
        ASSERT_TRUE(simulator.ReadLine("Waiting for the program to open"));
        const UniqueFd port = OpenPort(*device);
        ASSERT_TRUE(simulator.ReadLine("Press Enter"));
        simulator.PressEnter();
        EXPECT_EQ(Read(port.Get(), wanted), memory.substr(0, wanted));
        if (wanted < memory.size()) {
            EXPECT_TRUE(WaitForUnreadBytes(port.Get())) << "the port closes on bytes unread";
        }
    }
    ASSERT_TRUE(simulator.ReadLine("Waiting for the program to open"));
    simulator.CloseInput();
    EXPECT_EQ(simulator.Wait(), 0) << "ends cleanly at the end of its input";
}

}  // namespace
}  // namespace rv7342
