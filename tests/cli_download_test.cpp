// rv7342-cli download run as a user runs it, the meter played by a pseudo-terminal or the
// simulator: the same file as the window's, the ends of a transfer and their exit statuses.

#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>

#include "tests/child_process.h"
#include "tests/cli_support.h"
#include "tests/download_fixture.h"
#include "tests/test_conditions.h"

namespace rv7342 {
namespace {

using namespace std::chrono_literals;

class CliDownload : public Download {
  protected:
    // rv7342-cli run in the test's folder with `args`.
    std::unique_ptr<ChildProcess> Cli(const std::vector<std::string>& args,
                                      const std::vector<std::string>& environment = {}) const {
        return std::make_unique<ChildProcess>(RV7342_CLI_PATH, args, environment, dir.Path());
    }
    // A download from `meter` into `name`, once the command waits for RESET.
    std::unique_ptr<ChildProcess> WaitingDownload(const PseudoTerminal& meter,
                                                  std::vector<std::string> options = {},
                                                  const std::string& name = "cli.dat") const {
        std::vector<std::string> args{"download", "--port", meter.SlavePath()};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(name);
        std::unique_ptr<ChildProcess> cli = Cli(args);
        EXPECT_TRUE(cli->WaitForError(
            "Waiting for the meter on " + meter.SlavePath() + ": press RESET on the meter.",
            kEventDeadline))
            << cli->Errors();
        return cli;
    }

    PseudoTerminal meter;
};

TEST_F(CliDownload, WritesTheWindowsFileByteForByteAndTellsTheSameEnd) {
    Bytes noisy = kTwoValue;
    noisy[12] = 'A';
    const Bytes stream = MemoryImage({kTwoValue, noisy, kSingleValue, kTwoValue});
    SendWhenOpen(stream);
    ClickStart();
    ASSERT_EQ(boxes.seen.size(), 1u);
    const std::string windowReport = boxes.seen[0].text.toStdString();

    std::unique_ptr<ChildProcess> cli = WaitingDownload(meter);
    meter.Write(stream);
    EXPECT_EQ(cli->Wait(kEventDeadline), 0) << cli->Errors();
    const std::string file = dir.Read("cli.dat");
    EXPECT_EQ(file, dir.Read("run.dat"));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 4) << file;
    const std::string errors = cli->Errors();
    EXPECT_TRUE(
        Contains(errors, "rv7342-cli: Data Transfer OK: 4 readings in " + dir.Path("cli.dat")))
        << errors;
    EXPECT_TRUE(Contains(errors, "rv7342-cli: " + windowReport))
        << "the window's noisy-frame message";
    EXPECT_TRUE(Contains(errors, "Receiving: ")) << errors;
    EXPECT_EQ(cli->Output(), "");
}

// The simulated meter's whole memory, with no display anywhere.
TEST_F(CliDownload, DownloadsTheSimulatorsMemoryWithoutADisplay) {
    ChildProcess simulator(RV7342_SIM_PATH, {"--frames", "300", "--fast", "--once", "--delay",
                                             "0.3", "--expect", dir.Path("expected.dat")});
    ASSERT_TRUE(WaitUntil([&] { return Contains(simulator.Output(), "\n"); }))
        << simulator.Errors();
    const std::string device = simulator.Output().substr(0, simulator.Output().find('\n'));
    ASSERT_FALSE(device.empty()) << simulator.Errors();
    std::unique_ptr<ChildProcess> cli = Cli({"download", "--port", device, "sim.dat"},
                                            {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    EXPECT_EQ(cli->Wait(kEventDeadline), 0) << cli->Errors();
    EXPECT_EQ(dir.Read("sim.dat"), dir.Read("expected.dat"));
    EXPECT_TRUE(Contains(cli->Errors(), "Data Transfer OK: 300 readings")) << cli->Errors();
    EXPECT_EQ(simulator.Wait(kEventDeadline), 0);
}

// A meter that falls silent after its first byte: exit 1, with every reading that arrived
// whole.
TEST_F(CliDownload, AnIncompleteTransferExitsOneKeepingEveryReading) {
    std::unique_ptr<ChildProcess> cli = WaitingDownload(meter, {"--silence", "0.5"});
    meter.Write(Concat({{13}, kTwoValue, kTwoValue, kTwoValue, {'0', '0', '3'}}));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(cli->Wait(kEventDeadline), 1) << cli->Errors();
    EXPECT_GE(std::chrono::steady_clock::now() - started, 400ms) << "ends after the silence";
    EXPECT_EQ(dir.Read("cli.dat"), "1,12.34,5,12.3,3\r\n2,12.34,5,12.3,3\r\n3,12.34,5,12.3,3\r\n");
    EXPECT_TRUE(Contains(cli->Errors(), "Transfer incomplete: 3 readings in")) << cli->Errors();
    EXPECT_TRUE(
        Contains(cli->Errors(), "stopped sending before the end of its memory was recognised"));
}

// A transfer that ends before its first reading leaves no file and no old file emptied; one
// that wrote readings with --force replaces the old file only at its end.
TEST_F(CliDownload, NothingReceivedLeavesNoFileAndForceReplacesOnlyWithReadings) {
    const std::string waited = "nothing arrived from the meter within 0.3 seconds";
    const struct {
        std::vector<std::string> options;
        std::string before;  // the file before; empty for none
        int signal;          // 0: --wait runs out
        int status;
        std::string told;
    } cases[] = {
        {{"--wait", "0.3"}, "", 0, 1, waited},
        {{}, "", SIGINT, 130, "no file was written"},
        {{}, "", SIGHUP, 129, "no file was written"},
        {{"--force"}, "precious\r\n", SIGTERM, 143, dir.Path("cli.dat") + " is left as it was"},
        {{"--force", "--wait", "0.3"}, "precious\r\n", 0, 1, waited},
    };
    for (const auto& [options, before, signal, status, told] : cases) {
        SCOPED_TRACE(before + std::to_string(signal));
        // The capture of the bytes received is made, kept and replaced as the data file is.
        for (const char* file : {"cli.dat", "capture.bin"}) {
            std::filesystem::remove(dir.Path(file));
            if (!before.empty()) {
                dir.Write(file, before);
            }
        }
        std::vector<std::string> withCapture = options;
        withCapture.insert(withCapture.end(), {"--raw", "capture.bin"});
        std::unique_ptr<ChildProcess> cli = WaitingDownload(meter, withCapture);
        if (signal != 0) {
            cli->Signal(signal);
        }
        EXPECT_EQ(cli->Wait(kEventDeadline), status) << cli->Errors();
        for (const char* file : {"cli.dat", "capture.bin"}) {
            EXPECT_EQ(std::filesystem::exists(dir.Path(file)), !before.empty()) << file;
            EXPECT_EQ(dir.Read(file), before) << file;
        }
        EXPECT_TRUE(Contains(cli->Errors(), "no reading was received")) << cli->Errors();
        EXPECT_TRUE(Contains(cli->Errors(), told)) << cli->Errors();
        EXPECT_EQ(Hidden(dir.Path()), std::vector<std::string>{}) << "no temporary file left";
    }

    // Readings replace the old file, once the transfer has ended.
    dir.Write("cli.dat", "precious\r\n");
    std::unique_ptr<ChildProcess> cli = WaitingDownload(meter, {"--force"});
    meter.Write(Concat({{13}, kTwoValue, kTwoValue, {'0', '0', '3'}}));
    // The readings grow in a temporary file beside it.
    const auto temporaryHoldsBoth = [&] {
        const std::vector<std::string> hidden = Hidden(dir.Path());
        return hidden.size() == 1 &&
               dir.Read(hidden[0]) == "1,12.34,5,12.3,3\r\n2,12.34,5,12.3,3\r\n";
    };
    ASSERT_TRUE(WaitUntil(temporaryHoldsBoth)) << cli->Errors();
    EXPECT_EQ(dir.Read("cli.dat"), "precious\r\n") << "untouched while the transfer runs";
    cli->Signal(SIGHUP);
    EXPECT_EQ(cli->Wait(kEventDeadline), 129) << cli->Errors();
    EXPECT_EQ(dir.Read("cli.dat"), "1,12.34,5,12.3,3\r\n2,12.34,5,12.3,3\r\n");

    // Through a symbolic link: the file it points to is replaced, and the link stays.
    std::filesystem::create_symlink(dir.Path("cli.dat"), dir.Path("link.dat"));
    cli = WaitingDownload(meter, {"--force"}, "link.dat");
    meter.Write(MemoryImage({kTwoValue}));
    EXPECT_EQ(cli->Wait(kEventDeadline), 0) << cli->Errors();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.dat")));
    EXPECT_EQ(dir.Read("cli.dat"), "1,12.34,5,12.3,3\r\n");
}

// SIGINT stops the transfer: the file holds every whole reading, nothing of the frame cut
// short.
TEST_F(CliDownload, ASignalStopsTheTransferKeepingEveryWholeReading) {
    std::unique_ptr<ChildProcess> cli = WaitingDownload(meter);
    meter.Write(Concat({{13}, kTwoValue, kTwoValue, {'0', '0', '3'}}));
    const std::string two = "1,12.34,5,12.3,3\r\n2,12.34,5,12.3,3\r\n";
    ASSERT_TRUE(WaitUntil([&] { return dir.Read("cli.dat") == two; })) << "written as they come";
    cli->Signal(SIGINT);
    EXPECT_EQ(cli->Wait(kEventDeadline), 130) << cli->Errors();
    EXPECT_EQ(dir.Read("cli.dat"), two);
    EXPECT_TRUE(Contains(cli->Errors(), "2 readings were saved in " + dir.Path("cli.dat")))
        << cli->Errors();
}

// A port that cannot be opened: exit 2, the message naming the port and why, no file written.
// (A file that cannot be written is tried for every command in cli_outputs_test.)
TEST_F(CliDownload, APortOrFileFailureExitsTwoTouchingNothing) {
    std::unique_ptr<ChildProcess> cli =
        Cli({"download", "--port", "COM1", "cli.dat"}, {"RV7342_COM1=/dev/rv7342-absent"});
    EXPECT_EQ(cli->Wait(kEventDeadline), 2);
    EXPECT_TRUE(Contains(cli->Errors(), "rv7342-cli: Cannot open COM1 (/dev/rv7342-absent): "))
        << cli->Errors();
    EXPECT_TRUE(Contains(cli->Errors(), "There is no such serial device."));
    EXPECT_FALSE(Contains(cli->Errors(), "press Start")) << cli->Errors();
    EXPECT_TRUE(Contains(cli->Errors(), "serial port")) << "the machine's ports are listed";
    EXPECT_FALSE(std::filesystem::exists(dir.Path("cli.dat")));
}

// A port another download holds is busy, a new file another download writes is refused, one
// the user may not open is refused: exit 2, the message naming the device or file and why, no
// file written; the first download writes its file alone.
TEST_F(CliDownload, ABusyOrRefusedPortOrFileExitsTwo) {
    std::unique_ptr<ChildProcess> holder = WaitingDownload(meter);
    std::unique_ptr<ChildProcess> cli = Cli({"download", "--port", meter.SlavePath(), "other.dat"});
    EXPECT_EQ(cli->Wait(kEventDeadline), 2) << cli->Errors();
    EXPECT_TRUE(Contains(cli->Errors(), "rv7342-cli: Cannot open " + meter.SlavePath() + ": "));
    EXPECT_TRUE(Contains(cli->Errors(), "The port is in use by rv7342-cli (process "));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("other.dat")));
    PseudoTerminal second;
    cli = Cli({"download", "--port", second.SlavePath(), "cli.dat"});
    EXPECT_EQ(cli->Wait(kEventDeadline), 2) << cli->Errors();
    EXPECT_TRUE(Contains(cli->Errors(), dir.Path("cli.dat"))) << cli->Errors();
    meter.Write(MemoryImage({kTwoValue, kTwoValue}));
    EXPECT_EQ(holder->Wait(kEventDeadline), 0) << holder->Errors();
    EXPECT_EQ(dir.Read("cli.dat"), "1,12.34,5,12.3,3\r\n2,12.34,5,12.3,3\r\n");
    std::filesystem::remove(dir.Path("cli.dat"));

    if (!RunningAsRoot()) {
        RV7342_SKIP_OUTSIDE_CI("running the program as another user needs root");
    }
    // The device closed to everyone, the program run as "nobody" in a folder it may write.
    ASSERT_EQ(::chmod(meter.SlavePath().c_str(), 0), 0) << std::strerror(errno);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    cli = std::make_unique<ChildProcess>(
        "/usr/bin/setpriv",
        std::vector<std::string>{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--",
                                 RV7342_CLI_PATH, "download", "--port", meter.SlavePath(),
                                 "cli.dat"},
        std::vector<std::string>{}, dir.Path());
    EXPECT_EQ(cli->Wait(kEventDeadline), 2) << cli->Errors();
    EXPECT_TRUE(Contains(cli->Errors(), "rv7342-cli: Cannot open " + meter.SlavePath() + ": "));
    EXPECT_TRUE(Contains(cli->Errors(), "You have no permission to use this serial device"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("cli.dat")));
}

// The meter's memory of `frames` readings sent one frame every `pause`, as a slow meter does.
void SendSlowly(const PseudoTerminal& meter, int frames, std::chrono::milliseconds pause) {
    meter.Write({13});
    for (int i = 0; i < frames; ++i) {
        std::this_thread::sleep_for(pause);
        meter.Write(kTwoValue);
    }
    meter.Write(Concat({EscapeFrame(), EscapeFrame()}));
}

// On a terminal the progress is one line rewritten in place, ended before the closing
// messages.
TEST_F(CliDownload, TheProgressLineIsRewrittenInPlaceOnATerminal) {
    PseudoTerminal terminal(true);  // the program's standard error, as a user's
    ChildProcess cli("/bin/sh",
                     {"-c", "exec \"$0\" download --port \"$1\" cli.dat 2>\"$2\"", RV7342_CLI_PATH,
                      meter.SlavePath(), terminal.SlavePath()},
                     {}, dir.Path());
    ASSERT_TRUE(WaitUntil([&] {
        return Contains(terminal.Shown(), "press RESET on the meter.\n");
    })) << terminal.Shown()
        << cli.Errors();
    SendSlowly(meter, 12, 100ms);
    EXPECT_EQ(cli.Wait(kEventDeadline), 0) << terminal.Shown();
    const std::string shown = terminal.Shown();
    const std::size_t from = shown.find("meter.\n") + 7;
    const std::size_t end = shown.find("rv7342-cli: Data Transfer OK: 12 readings in ");
    ASSERT_NE(end, std::string::npos) << shown;
    const std::string progress = shown.substr(from, end - from);
    EXPECT_EQ(progress.rfind("\rrv7342-cli: Receiving: ", 0), 0u) << progress;
    EXPECT_EQ(progress.find('\n'), progress.size() - 1) << "one line: " << progress;
    EXPECT_GE(std::count(progress.begin(), progress.end(), '\r'), 2) << progress;
    EXPECT_TRUE(Contains(progress, "\033[K\rrv7342-cli: Receiving: "))
        << "each rewrite clears the rest";
}

// Into a file or a pipe the progress is a line of its own, at most one every five seconds: a
// transfer of more than five seconds writes two or more, never more often.
TEST_F(CliDownload, TheProgressIsALineEveryFiveSecondsIntoAFile) {
    std::unique_ptr<ChildProcess> cli = WaitingDownload(meter);
    const auto started = std::chrono::steady_clock::now();
    SendSlowly(meter, 12, 500ms);
    EXPECT_EQ(cli->Wait(kEventDeadline), 0) << cli->Errors();
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
    const std::string errors = cli->Errors();
    EXPECT_EQ(errors.find('\r'), std::string::npos) << errors;
    long lines = 0;
    std::istringstream told(errors);
    for (std::string line; std::getline(told, line);) {
        lines += line.rfind("rv7342-cli: Receiving: ", 0) == 0 ? 1 : 0;
    }
    EXPECT_GE(lines, 2) << errors;
    EXPECT_LE(lines, 1 + seconds.count() / 5) << errors;
}

// --raw keeps every byte as it arrived, and decode makes of that capture the download's own
// file with the download's exit status: complete, cut short by silence, a garbled end.
TEST_F(CliDownload, DecodingTheRawCaptureGivesTheDownloadsFile) {
    Bytes noisy = kTwoValue;
    noisy[12] = 'A';
    const Bytes memory = MemoryImage({kTwoValue, noisy, kSingleValue, kTwoValue});
    Bytes garbled = Concat({{13}, kTwoValue, kTwoValue, EscapeFrame(9), kTwoValue});
    const struct {
        Bytes stream;
        int status;
        std::string downloadTold, decodeTold;
    } cases[] = {
        {memory, 0, "Data Transfer OK", "rv7342-cli: Data Transfer OK"},
        {Bytes(memory.begin(), memory.end() - 1), 1,
         "the meter stopped sending before the end of its memory was recognised; it ended inside "
         "the end-of-memory marker, after 28 of its 28 escape bytes.",
         "the capture ends before the end of the meter's memory; it ended inside the "
         "end-of-memory marker, after 28 of its 28 escape bytes."},
        {Bytes(memory.begin(), memory.end() - 20), 1,
         "it ended inside the end-of-memory marker, after 11 of its 28 escape bytes",
         "it ended inside the end-of-memory marker, after 11 of its 28 escape bytes"},
        {garbled, 1,
         "its end-of-memory marker was garbled: 9 escape bytes arrived, but their count never "
         "stood at exactly 28 after a frame",
         "the capture ends before the end of the meter's memory; its end-of-memory marker was "
         "garbled: 9 escape bytes arrived"},
    };
    for (const auto& [stream, status, downloadTold, decodeTold] : cases) {
        SCOPED_TRACE(status);
        std::unique_ptr<ChildProcess> cli = WaitingDownload(
            meter, {"--silence", "0.3", "--force", "--raw", "capture.bin"}, "cli.dat");
        meter.Write(stream);
        EXPECT_EQ(cli->Wait(kEventDeadline), status) << cli->Errors();
        EXPECT_TRUE(Contains(cli->Errors(), downloadTold)) << cli->Errors();
        EXPECT_EQ(dir.Read("capture.bin"), std::string(stream.begin(), stream.end()));

        std::unique_ptr<ChildProcess> decode =
            Cli({"decode", "--force", "capture.bin", "decoded.dat"});
        EXPECT_EQ(decode->Wait(kEventDeadline), status) << decode->Errors();
        EXPECT_EQ(dir.Read("decoded.dat"), dir.Read("cli.dat"));
        EXPECT_TRUE(Contains(decode->Errors(), decodeTold)) << decode->Errors();
    }
}

// decode's failures: exit 2 naming the file, nothing written; FILE is never the capture itself,
// and is replaced only by a file holding readings.
TEST_F(CliDownload, DecodeNamesTheFileItCannotReadOrWrite) {
    const Bytes memory = MemoryImage({kTwoValue});
    const std::string capture(memory.begin(), memory.end());
    dir.Write("capture.bin", capture);
    dir.Write("empty.bin", "");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string told;
    };
    dir.Write("kept.dat", "precious\r\n");
    const Case cases[] = {
        {{"decode", "none.bin", "out.dat"}, 2, dir.Path("none.bin") + ": No such file"},
        {{"decode", "--force", "capture.bin", "./capture.bin"},
         2,
         "it is the capture " + dir.Path("capture.bin") + ", which is left as it is"},
        {{"decode", "--force", "empty.bin", "kept.dat"},
         1,
         "no reading was received, " + dir.Path("kept.dat") + " is left as it was"},
        {{"decode", "empty.bin", "out.dat"}, 1, "no reading was received, no file was written"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<ChildProcess> cli = Cli(c.args);
        EXPECT_EQ(cli->Wait(kEventDeadline), c.status) << cli->Errors();
        EXPECT_TRUE(Contains(cli->Errors(), c.told)) << cli->Errors();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.dat")));
    EXPECT_EQ(dir.Read("kept.dat"), "precious\r\n");
    EXPECT_EQ(dir.Read("capture.bin"), capture);
}

// What the window's tooltips tell of COM1 and COM2, then the ports that stand for neither.
TEST_F(CliDownload, PortsTellsWhatEachComStandsFor) {
    std::unique_ptr<ChildProcess> cli =
        Cli({"ports"}, {"RV7342_COM1=" + meter.SlavePath(), "DISPLAY", "WAYLAND_DISPLAY"});
    EXPECT_EQ(cli->Wait(kEventDeadline), 0) << cli->Errors();
    const std::string output = cli->Output();
    EXPECT_EQ(output.rfind("COM1: " + meter.SlavePath() + " (set by RV7342_COM1)\n", 0), 0u)
        << output;
    EXPECT_TRUE(Contains(output, "\nCOM2: " + line.SlavePath() + " (set by RV7342_COM2)\n"))
        << output;
}

}  // namespace
}  // namespace rv7342
