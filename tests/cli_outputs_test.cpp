// Every command that writes, run as a user runs it against every kind of target: a new and an
// existing file, a symbolic link, a null and a full device, a pipe with and without a reader,
// a folder and a missing folder. The devices are nodes of the test's own, made with mknod in
// its folder; that needs root, and the test fails in CI when it cannot run there.

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/child_process.h"
#include "tests/cli_support.h"
#include "tests/meter_stream.h"
#include "tests/pseudo_terminal.h"
#include "tests/test_conditions.h"

namespace rv7342 {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const Bytes kReading = Frame("03051201231234");  // 12.34 unit 5, 12.3 unit 3
const char kLines[] = "1,12.34,5,12.3,3\r\n2,12.34,5,12.3,3\r\n3,12.34,5,12.3,3\r\n";

// Everything written into a pipe, read by a thread while the writer runs.
class PipeReader {
  public:
    explicit PipeReader(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK)), thread_([this] { Read(); }) {}
    ~PipeReader() { Finish(); }
    // All that arrived, once the writer has ended.
    const std::string& Finish() {
        done_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        return text_;
    }

  private:
    void Read() {
        char piece[4096];
        for (;;) {
            const bool last = done_;  // what the ended writer left is still read below
            pollfd input{fd_, POLLIN, 0};
            ::poll(&input, 1, 20);
            ssize_t got = 0;
            while ((got = ::read(fd_, piece, sizeof piece)) > 0) {
                text_.append(piece, static_cast<std::size_t>(got));
            }
            if (last) {
                break;
            }
        }
        ::close(fd_);
    }

    int fd_;
    std::atomic<bool> done_{false};
    std::string text_;
    std::thread thread_;
};

class CliOutputs : public CliTest {
  protected:
    // `args` run in the test's folder; for a download, the meter sends its memory once the
    // command waits for it (Wait(1ms) looks once whether it has ended).
    std::unique_ptr<ChildProcess> Run(const std::vector<std::string>& args) {
        auto cli = Start(args);
        if (args[0] == "download") {
            WaitUntil([&] { return cli->Wait(1ms) || Contains(cli->Errors(), "press RESET"); });
            if (!cli->Wait(1ms)) {
                meter.Write(MemoryImage({kReading, kReading, kReading}));
            }
        }
        status = cli->Wait(kEventDeadline);
        return cli;
    }

    PseudoTerminal meter;
};

// What each command writes, and how it is recognised in a target.
struct Writer {
    const char* name;
    std::vector<std::string> before;  // the arguments before the target
    std::vector<std::string> after;   // and after it
    bool force;                       // an existing file is replaced only with --force
    bool (*recognised)(const std::string& written);
};

bool IsDataFile(const std::string& written) {
    return written == kLines;
}
bool IsCapture(const std::string& written) {
    const Bytes memory = MemoryImage({kReading, kReading, kReading});
    return written == std::string(memory.begin(), memory.end());
}
bool IsCsv(const std::string& written) {
    return written.rfind("No.,", 0) == 0 && Contains(written, "\r\n3,");
}
bool IsXlsx(const std::string& written) {
    return written.rfind("PK\x03\x04", 0) == 0;
}
bool IsSvg(const std::string& written) {
    return Contains(written, "<svg") && Contains(written, "</svg>");
}

TEST_F(CliOutputs, EveryWriterOntoEveryKindOfTarget) {
    if (!RunningAsRoot()) {
        RV7342_SKIP_OUTSIDE_CI("making device nodes needs root");
    }
    const Bytes memory = MemoryImage({kReading, kReading, kReading});
    dir.Write("capture.bin", std::string(memory.begin(), memory.end()));
    dir.Write("run.dat", kLines);
    const std::string port = meter.SlavePath();
    const Writer writers[] = {
        {"decode", {"decode", "capture.bin"}, {}, true, IsDataFile},
        {"download", {"download", "--port", port}, {}, true, IsDataFile},
        {"download --raw", {"download", "--port", port, "--raw"}, {"fresh.dat"}, true, IsCapture},
        {"export csv", {"export", "--format", "csv", "-o"}, {"run.dat"}, false, IsCsv},
        {"export xlsx", {"export", "--format", "xlsx", "-o"}, {"run.dat"}, false, IsXlsx},
        {"plot", {"plot", "-o"}, {"run.dat"}, false, IsSvg},
    };
    enum class Kind { New, Old, OldForced, Link, Null, Full, Pipe, DeafPipe, Folder, NoFolder };
    const struct {
        Kind kind;
        const char* what;
        int status;
        std::string told;  // in the messages when the status is 2
    } targets[] = {
        {Kind::New, "a new file", 0, ""},
        {Kind::Old, "an existing file", 2,
         dir.Path("t.svg") + " exists; it is left as it is. Give --force to overwrite it."},
        {Kind::OldForced, "an existing file with --force", 0, ""},
        {Kind::Link, "a symbolic link", 0, ""},
        {Kind::Null, "a null device", 0, ""},
        {Kind::Full, "a full device", 2, "No space left on device"},
        {Kind::Pipe, "a pipe with a reader", 0, ""},
        {Kind::DeafPipe, "a pipe without a reader", 2, "No such device or address"},
        {Kind::Folder, "a folder", 2, "Cannot write " + dir.Path("t.svg") + ": it is a folder"},
        {Kind::NoFolder, "a missing folder", 2,
         "Cannot create " + dir.Path("none/t.svg") + ": the folder " + dir.Path("none") +
             " does not exist"},
    };
    for (const Writer& writer : writers) {
        for (const auto& target : targets) {
            SCOPED_TRACE(std::string(writer.name) + " onto " + target.what);
            for (const char* name : {"t.svg", "real.svg", "fresh.dat"}) {
                fs::remove_all(dir.Path(name));
            }
            const std::string path =
                target.kind == Kind::NoFolder ? dir.Path("none/t.svg") : dir.Path("t.svg");
            switch (target.kind) {
                case Kind::Old:
                case Kind::OldForced:
                    dir.Write("t.svg", "precious");
                    break;
                case Kind::Link:
                    dir.Write("real.svg", "precious");
                    fs::create_symlink(dir.Path("real.svg"), path);
                    break;
                case Kind::Null:
                case Kind::Full:
                    ASSERT_EQ(::mknod(path.c_str(), S_IFCHR | 0666,
                                      makedev(1, target.kind == Kind::Null ? 3 : 7)),
                              0);
                    break;
                case Kind::Pipe:
                case Kind::DeafPipe:
                    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
                    break;
                case Kind::Folder:
                    fs::create_directory(path);
                    break;
                default:
                    break;
            }
            std::vector<std::string> args = writer.before;
            if (writer.force && target.kind != Kind::Old) {
                args.insert(args.begin() + 1, "--force");
            }
            args.push_back(path);
            args.insert(args.end(), writer.after.begin(), writer.after.end());
            std::unique_ptr<PipeReader> reader;
            if (target.kind == Kind::Pipe) {
                reader = std::make_unique<PipeReader>(path);
            }
            // The readings of a download whose capture fails are still written: done in part.
            const bool capture = writer.recognised == IsCapture;
            const int expected = target.kind == Kind::Old && !writer.force ? 0
                                 : target.kind == Kind::Full && capture    ? 1
                                                                           : target.status;
            const auto cli = Run(args);
            EXPECT_EQ(status, expected) << cli->Errors();
            if (expected != 0) {
                EXPECT_TRUE(Contains(cli->Errors(), target.told)) << cli->Errors();
                std::istringstream lines(cli->Errors());
                for (std::string line; std::getline(lines, line);) {
                    EXPECT_EQ(line.rfind("rv7342-cli: ", 0), 0u) << "every line is the program's";
                }
            }
            switch (target.kind) {
                case Kind::New:
                case Kind::OldForced:
                    EXPECT_TRUE(writer.recognised(ReadFile(path))) << ReadFile(path);
                    break;
                case Kind::Old:
                    EXPECT_EQ(writer.recognised(ReadFile(path)), !writer.force);
                    EXPECT_EQ(ReadFile(path) == "precious", writer.force);
                    break;
                case Kind::Link:
                    EXPECT_TRUE(fs::is_symlink(path));
                    EXPECT_TRUE(writer.recognised(dir.Read("real.svg"))) << dir.Read("real.svg");
                    break;
                case Kind::Null:
                case Kind::Full:
                    EXPECT_TRUE(fs::is_character_file(path)) << "the device stands";
                    break;
                case Kind::Pipe:
                    EXPECT_TRUE(writer.recognised(reader->Finish())) << reader->Finish();
                    EXPECT_TRUE(fs::is_fifo(path));
                    break;
                case Kind::DeafPipe:
                    EXPECT_TRUE(fs::is_fifo(path));
                    break;
                case Kind::Folder:
                    EXPECT_TRUE(fs::is_empty(path));
                    break;
                case Kind::NoFolder:
                    EXPECT_FALSE(fs::exists(dir.Path("none")));
                    break;
            }
            EXPECT_EQ(Hidden(dir.Path()), std::vector<std::string>{}) << "a temporary file is left";
        }
    }
}

// A capture of `frames` readings, the end of the memory not reached.
std::string LongCapture(int frames) {
    std::string capture = "\r";
    for (int i = 0; i < frames; ++i) {
        capture.append(kReading.begin(), kReading.end());
    }
    return capture;
}

// An input that never ends, or is large, is decoded in a fixed piece of memory: the peak stays
// within a few megabytes of a tiny capture's. A signal ends an endless one with its status and
// keeps every whole reading; an endless pipe ends where its transfer ends.
TEST_F(CliOutputs, DecodeReadsInBoundedMemory) {
    const Bytes memory = MemoryImage({kReading, kReading, kReading});
    dir.Write("tiny.bin", std::string(memory.begin(), memory.end()));
    {
        std::ofstream big(dir.Path("big.bin"), std::ios::binary);
        big << std::string(50 << 20, '\0') << std::string(memory.begin(), memory.end());
    }
    auto tiny = Run({"decode", "tiny.bin", "tiny.dat"});
    ASSERT_EQ(status, 0) << tiny->Errors();
    const double baseline = tiny->PeakMegabytes();
    const struct {
        const char* what;
        std::vector<std::string> args;
        int signal;  // 0: it ends by itself
        int status;
        std::string told;
    } cases[] = {
        {"/dev/zero",
         {"decode", "/dev/zero", "zero.dat"},
         SIGINT,
         130,
         "no reading was received, no file was written"},
        {"50 MB", {"decode", "big.bin", "big.dat"}, 0, 0, "Data Transfer OK: 3 readings"},
        {"an endless pipe",
         {"-c", "{ cat tiny.bin; cat /dev/zero; } | \"$0\" decode /dev/stdin pipe.dat",
          RV7342_CLI_PATH},
         0,
         0,
         "Data Transfer OK: 3 readings"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool shell = c.args[0] == "-c";
        ChildProcess cli(shell ? "/bin/sh" : RV7342_CLI_PATH, c.args, {}, dir.Path());
        if (c.signal != 0) {
            std::this_thread::sleep_for(1500ms);
            cli.Signal(c.signal);
        }
        EXPECT_EQ(cli.Wait(kEventDeadline), c.status) << cli.Errors();
        EXPECT_TRUE(Contains(cli.Errors(), c.told)) << cli.Errors();
        EXPECT_LT(cli.PeakMegabytes(), baseline + 8) << "MB at most, against " << baseline;
    }
    EXPECT_EQ(dir.Read("big.dat"), kLines);
    EXPECT_EQ(dir.Read("pipe.dat"), kLines);
}

// A signal during a long decode over an existing file ends it as it ends a download: every
// whole reading replaces the file, no temporary file is left, and the status is the signal's.
TEST_F(CliOutputs, ASignalEndsADecodeKeepingItsReadings) {
    dir.Write("long.bin", LongCapture(2000000));
    for (const auto& [signal, expected] : {std::pair{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}}) {
        SCOPED_TRACE(signal);
        dir.Write("out.dat", "precious\r\n");
        ChildProcess cli(RV7342_CLI_PATH, {"decode", "--force", "long.bin", "out.dat"}, {},
                         dir.Path());
        ASSERT_TRUE(WaitUntil([&] { return !Hidden(dir.Path()).empty(); }))
            << "the readings go into a temporary file beside the old one";
        std::this_thread::sleep_for(100ms);
        cli.Signal(signal);
        EXPECT_EQ(cli.Wait(kEventDeadline), expected) << cli.Errors();
        EXPECT_TRUE(Hidden(dir.Path()).empty());
        const std::string text = dir.Read("out.dat");
        EXPECT_EQ(text.rfind("1,12.34,5,12.3,3\r\n2,12.34,5,12.3,3\r\n", 0), 0u)
            << text.substr(0, 40);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "only whole lines";
        const auto lines = std::count(text.begin(), text.end(), '\n');
        EXPECT_TRUE(Contains(
            cli.Errors(), std::to_string(lines) + " readings were saved in " + dir.Path("out.dat")))
            << cli.Errors();
        EXPECT_TRUE(Contains(cli.Errors(), "it was stopped before the end")) << cli.Errors();
    }
}

// A write that fails after some readings were saved keeps them and exits 1, telling how many
// and why; one that fails before the first exits 2. Download and decode alike, onto a new file
// and over an existing one. The disk is made full by a file-size limit of 1 kB.
TEST_F(CliOutputs, AFailedWriteAfterSomeReadingsKeepsThemAndExitsOne) {
    dir.Write("long.bin", LongCapture(500));
    const Bytes memory = MemoryImage(std::vector<Bytes>(500, kReading));
    const std::string port = meter.SlavePath();
    const struct {
        const char* what;
        std::string line;
        bool before;  // an existing file is replaced
    } cases[] = {
        {"decode", "exec \"$0\" decode long.bin out.dat", false},
        {"decode --force", "exec \"$0\" decode --force long.bin out.dat", true},
        {"download", "exec \"$0\" download --port " + port + " out.dat", false},
        {"download --force", "exec \"$0\" download --force --port " + port + " out.dat", true},
    };
    // 1024 bytes hold 54 whole lines: 9 of 18 bytes (readings 1 to 9) and 45 of 19.
    const std::string saved = "54 readings were saved in " + dir.Path("out.dat");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(dir.Path("out.dat"));
        if (c.before) {
            dir.Write("out.dat", "precious\r\n");
        }
        ChildProcess cli("/bin/sh", {"-c", "ulimit -f 2; " + c.line, RV7342_CLI_PATH}, {},
                         dir.Path());
        if (Contains(c.what, "download")) {
            ASSERT_TRUE(cli.WaitForError("press RESET", kEventDeadline)) << cli.Errors();
            meter.Write(memory);
        }
        EXPECT_EQ(cli.Wait(kEventDeadline), 1) << cli.Errors();
        EXPECT_TRUE(Contains(cli.Errors(), "Transfer incomplete: 54 readings in ")) << cli.Errors();
        EXPECT_TRUE(Contains(cli.Errors(), "File too large")) << cli.Errors();
        EXPECT_TRUE(Contains(cli.Errors(), saved)) << cli.Errors();
        EXPECT_EQ(dir.Read("out.dat").size(), 9u * 18 + 45 * 19);
        EXPECT_TRUE(Hidden(dir.Path()).empty());
    }
}

}  // namespace
}  // namespace rv7342
