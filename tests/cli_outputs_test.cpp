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
#include <thread>

#include "tests/child_process.h"
#include "tests/meter_stream.h"
#include "tests/pseudo_terminal.h"

namespace rv7342 {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

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

class CliOutputs : public testing::Test {
  protected:
    // `args` run in the test's folder; for a download, the meter sends its memory once the
    // command waits for it.
    std::unique_ptr<ChildProcess> Run(const std::vector<std::string>& args) {
        auto cli = std::make_unique<ChildProcess>(RV7342_CLI_PATH, args, std::vector<std::string>{},
                                                  dir.Path());
        if (args[0] == "download") {
            while (!cli->Wait(5ms) && !Has(cli->Errors(), "press RESET")) {
            }
            if (!cli->Wait(0ms)) {
                meter.Write(MemoryImage({kReading, kReading, kReading}));
            }
        }
        status = cli->Wait(60s);
        return cli;
    }

    TempDir dir;
    PseudoTerminal meter;
    std::optional<int> status;
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
    return written.rfind("No.,", 0) == 0 && Has(written, "\r\n3,");
}
bool IsXlsx(const std::string& written) {
    return written.rfind("PK\x03\x04", 0) == 0;
}
bool IsSvg(const std::string& written) {
    return Has(written, "<svg") && Has(written, "</svg>");
}

TEST_F(CliOutputs, EveryWriterOntoEveryKindOfTarget) {
    if (geteuid() != 0) {
        if (std::getenv("CI")) {
            FAIL() << "CI runs the tests as root; this one makes device nodes";
        }
        GTEST_SKIP() << "making device nodes needs root";
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
        {Kind::Old, "an existing file", 2, "exists; it is left as it is"},
        {Kind::OldForced, "an existing file with --force", 0, ""},
        {Kind::Link, "a symbolic link", 0, ""},
        {Kind::Null, "a null device", 0, ""},
        {Kind::Full, "a full device", 2, "No space left on device"},
        {Kind::Pipe, "a pipe with a reader", 0, ""},
        {Kind::DeafPipe, "a pipe without a reader", 2, "No such device or address"},
        {Kind::Folder, "a folder", 2, "it is a folder"},
        {Kind::NoFolder, "a missing folder", 2,
         "the folder " + fs::path(dir.Path("none")).string() + " does not exist"},
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
                EXPECT_TRUE(Has(cli->Errors(), "rv7342-cli: ")) << cli->Errors();
                EXPECT_TRUE(Has(cli->Errors(), target.told)) << cli->Errors();
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
            for (const auto& entry : fs::directory_iterator(dir.Path())) {
                EXPECT_NE(entry.path().filename().string().front(), '.')
                    << "a temporary file is left: " << entry.path();
            }
        }
    }
}

}  // namespace
}  // namespace rv7342
