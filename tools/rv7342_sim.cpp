// rv7342-sim: a simulated RV7342 meter for development and demos. It offers a pseudo-terminal
// (or writes to a given device), waits for the program to open the port and for RESET, sends
// a memory image at the meter's line rate, and serves again once the program has closed the
// port.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "datafiles/data_file.h"
#include "datafiles/failure.h"
#include "datafiles/files.h"
#include "tools/meter_image.h"
#include "tools/unique_fd.h"
#include "transfer/meter_protocol.h"

namespace rv7342 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kPacedChunk = 8;  // about 8 ms of the line
constexpr std::size_t kFastChunk = 4096;
constexpr auto kOpenPollInterval = std::chrono::milliseconds(20);
constexpr unsigned long long kMaxFrames = 1000000;
constexpr double kMaxDelay = 86400;

constexpr char kUsage[] = R"(Usage: rv7342-sim [OPTION]...
A simulated RV7342 meter. Opens a pseudo-terminal and prints the device for the program to use
as the first line of output. Once the program has opened it, RESET (Enter, or --delay) makes
the meter send its memory; after the program has closed the port, it is served again.

  --device PATH    write to an existing device (a serial adapter, a null-modem) instead; the
                   simulator cannot see the program open it, so RESET counts from the start
                   and from the end of the previous memory
  --frames N       readings in the memory, 0 to 1000000 (default 500)
  --seed S         seed of the made-up readings (default 1)
  --replay FILE    send the raw bytes of FILE instead of a made-up memory
  --expect FILE    write the data file a download of the made-up memory should give
  --delay SECONDS  RESET that long after the port was opened, instead of on Enter
  --fast           send as fast as the link takes, not at 960 bytes per second
  --once           exit after one memory
  --help           show this help
)";

void Status(const std::string& text) {
    std::printf("%s\n", text.c_str());
}
void Error(const std::string& text) {
    std::fprintf(stderr, "rv7342-sim: %s\n", text.c_str());
}
std::string Reason() {
    return SystemReason(errno);
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

struct Options {
    std::string device;  // empty: a new pseudo-terminal
    int frames = 500;
    std::uint32_t seed = 1;
    std::string replay;
    std::string expect;
    std::optional<double> delay;  // none: Enter is RESET
    bool fast = false;
    bool once = false;
    bool help = false;
};

std::optional<unsigned long long> ParseWhole(const std::string& text, unsigned long long max) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0 && value <= max ? std::optional(value) : std::nullopt;
}

std::optional<double> ParseSeconds(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && value >= 0 && value <= kMaxDelay ? std::optional(value)
                                                                             : std::nullopt;
}

bool IsValueOption(const std::string& name) {
    return name == "--device" || name == "--frames" || name == "--seed" || name == "--replay" ||
           name == "--expect" || name == "--delay";
}

bool SetFlag(const std::string& name, Options& options) {
    bool* flag = name == "--fast"                   ? &options.fast
                 : name == "--once"                 ? &options.once
                 : name == "--help" || name == "-h" ? &options.help
                                                    : nullptr;
    if (flag != nullptr) {
        *flag = true;
    }
    return flag != nullptr;
}

[[nodiscard]] Failure SetValue(const std::string& name, const std::string& value,
                               Options& options) {
    if (value.empty()) {
        return "option " + name + " needs a value";
    }
    if (name == "--device") {
        options.device = value;
    } else if (name == "--replay") {
        options.replay = value;
    } else if (name == "--expect") {
        options.expect = value;
    } else if (name == "--frames") {
        const std::optional<unsigned long long> frames = ParseWhole(value, kMaxFrames);
        if (!frames) {
            return "invalid --frames '" + value + "': expected a whole number from 0 to 1000000";
        }
        options.frames = static_cast<int>(*frames);
    } else if (name == "--seed") {
        const std::optional<unsigned long long> seed = ParseWhole(value, UINT32_MAX);
        if (!seed) {
            return "invalid --seed '" + value + "': expected a whole number from 0 to 4294967295";
        }
        options.seed = static_cast<std::uint32_t>(*seed);
    } else {
        options.delay = ParseSeconds(value);
        if (!options.delay) {
            return "invalid --delay '" + value + "': expected seconds from 0 to 86400";
        }
    }
    return std::nullopt;
}

// Options come as "--name value" or "--name=value".
[[nodiscard]] Failure ParseOptions(int argc, char** argv, Options& options) {
    bool generated = false;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> value;
        const std::size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (SetFlag(name, options)) {
            if (value) {
                return "option " + name + " takes no value";
            }
            continue;
        }
        if (!IsValueOption(name)) {
            return (name[0] == '-' ? "unknown option '" : "unexpected argument '") +
                   std::string(argv[i]) + "'";
        }
        if (!value && i + 1 < argc) {
            value = argv[++i];
        }
        if (Failure failure = SetValue(name, value.value_or(""), options)) {
            return failure;
        }
        generated = generated || name == "--frames" || name == "--seed" || name == "--expect";
    }
    if (generated && !options.replay.empty()) {
        return "--replay sends a file; --frames, --seed and --expect do not go with it";
    }
    return std::nullopt;
}

// SIGINT, SIGTERM and SIGHUP stop the simulator. The handler makes a pipe readable, so every
// wait sees them, and as it is installed without SA_RESTART it interrupts a blocked write.
volatile std::sig_atomic_t gStopSignal = 0;
volatile int gStopPipe = -1;

void OnStopSignal(int signal) {
    const int savedErrno = errno;
    gStopSignal = signal;
    const char byte = 0;
    [[maybe_unused]] const ssize_t ignored = ::write(gStopPipe, &byte, 1);
    errno = savedErrno;
}

class StopSignals {
  public:
    ~StopSignals() { gStopPipe = -1; }
    [[nodiscard]] Failure Install();
    int Fd() const { return read_.Get(); }
    bool Raised() const { return gStopSignal != 0; }

  private:
    UniqueFd read_;
    UniqueFd write_;
};

Failure StopSignals::Install() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return "cannot create a pipe: " + Reason();
    }
    read_.Reset(ends[0]);
    write_.Reset(ends[1]);
    gStopPipe = ends[1];
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    // A reader that went away shows as a write error instead of ending the process.
    std::signal(SIGPIPE, SIG_IGN);
    return std::nullopt;
}

// Raw bytes at 9600 baud, no modem control. The reason for a failure is the system's alone;
// the caller names the device.
[[nodiscard]] Failure MakeRaw(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return Reason();
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&settings, B9600);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0 ? Failure() : Reason();
}

// Where the memory goes: the master side of a pseudo-terminal whose other side the program
// opens, or a device named by the user.
class Port {
  public:
    [[nodiscard]] Failure OpenPseudoTerminal();
    [[nodiscard]] Failure OpenDevice(const std::string& path);
    const std::string& Path() const { return path_; }
    int Fd() const { return fd_.Get(); }
    // Only on a pseudo-terminal does the simulator see the program open and close the port.
    bool SeesProgram() const { return pseudoTerminal_; }
    // While no process holds the other side open, its master reports POLLHUP.
    bool ProgramHasOpen() const;
    [[nodiscard]] Failure DiscardUnread() const;

  private:
    UniqueFd fd_;
    std::string path_;
    bool pseudoTerminal_ = false;
};

Failure Port::OpenPseudoTerminal() {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        return "cannot open a pseudo-terminal: " + Reason();
    }
    fd_.Reset(master);
    // Closed on return: from then on only the program holds this side.
    const UniqueFd other(slave);
    if (::fcntl(master, F_SETFL, O_NONBLOCK) != 0) {
        return "cannot set up a pseudo-terminal: " + Reason();
    }
    char name[PATH_MAX];
    const int failure = ::ttyname_r(slave, name, sizeof name);
    if (failure != 0) {
        return "cannot name the pseudo-terminal: " + SystemReason(failure);
    }
    path_ = name;
    pseudoTerminal_ = true;
    if (Failure reason = MakeRaw(slave)) {
        return "cannot set up " + path_ + ": " + *reason;
    }
    return std::nullopt;
}

Failure Port::OpenDevice(const std::string& path) {
    path_ = path;
    // Without O_NONBLOCK a serial port would wait for a carrier here. Writes wait in poll.
    fd_.Reset(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd_.Valid()) {
        return "cannot open device " + path + ": " + Reason();
    }
    if (Failure reason = ::isatty(fd_.Get()) ? MakeRaw(fd_.Get()) : std::nullopt) {
        return "cannot set up device " + path + ": " + *reason;
    }
    return std::nullopt;
}

bool Port::ProgramHasOpen() const {
    pollfd port{fd_.Get(), 0, 0};
    return ::poll(&port, 1, 0) >= 0 && (port.revents & POLLHUP) == 0;
}

// Bytes the program left unread stay queued on a pseudo-terminal, across its close, for the
// next program that opens it. Only a flush through that side clears them.
Failure Port::DiscardUnread() const {
    const UniqueFd other(::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!other.Valid() || ::tcflush(other.Get(), TCIFLUSH) != 0) {
        return "cannot clear the bytes left unread on " + path_ + ": " + Reason();
    }
    return std::nullopt;
}

enum class Event { Timeout, Stop, Hangup, Enter, InputEnded, Writable };

struct Watch {
    bool hangup = false;    // the program closing the port
    bool enter = false;     // a line typed on stdin
    bool writable = false;  // room on the link
};

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
}

// Reads what was typed; a line ended by Enter counts as a key press.
std::optional<Event> ReadKeys(short events) {
    if ((events & POLLNVAL) != 0) {
        return Event::InputEnded;
    }
    char typed[256];
    const ssize_t got = ::read(STDIN_FILENO, typed, sizeof typed);
    if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
        return Event::InputEnded;
    }
    if (got > 0 && std::memchr(typed, '\n', got) != nullptr) {
        return Event::Enter;
    }
    return std::nullopt;
}

class Meter {
  public:
    Meter(const Options& options, const Port& port, const StopSignals& stop, const Bytes& memory)
        : options_(options), port_(port), stop_(stop), memory_(memory) {}
    int Run();

  private:
    enum class Step { Done, Closed, Quit, Failed };

    Step Serve();
    Step WaitForOpen();
    Step WaitForReset();
    Step Send();
    Step Pause(Clock::time_point start, std::size_t sent) const;
    Step Write(std::size_t& sent, std::size_t to) const;
    Step WaitForClose();
    Event Wait(Watch watch, std::optional<Clock::time_point> deadline) const;
    Step Quit(Event event) const;
    std::size_t DueBytes(Clock::time_point start) const;

    const Options& options_;
    const Port& port_;
    const StopSignals& stop_;
    const Bytes& memory_;
};

int Meter::Run() {
    for (;;) {
        const Step step = Serve();
        if (step == Step::Failed) {
            return EXIT_FAILURE;
        }
        if (step == Step::Quit || (step == Step::Done && options_.once)) {
            return EXIT_SUCCESS;
        }
    }
}

// One round: the program opens the port, RESET, the memory, the program closes the port.
// Done once a memory has gone out, in full or until the program closed the port.
Meter::Step Meter::Serve() {
    Step step = WaitForOpen();
    if (step == Step::Done) {
        step = WaitForReset();
    }
    if (step != Step::Done) {
        return step;
    }
    step = Send();
    if (step == Step::Done) {
        step = WaitForClose();
    }
    if (step == Step::Closed) {
        step = Step::Done;
    }
    if (step == Step::Done && port_.SeesProgram()) {
        if (const Failure failure = port_.DiscardUnread()) {
            Error(*failure);
        }
    }
    return step;
}

Meter::Step Meter::WaitForOpen() {
    if (!port_.SeesProgram()) {
        return Step::Done;
    }
    Status("Waiting for the program to open " + port_.Path() + ".");
    while (!port_.ProgramHasOpen()) {
        const Event event = Wait({false, !options_.delay, false}, Clock::now() + kOpenPollInterval);
        if (event == Event::Enter) {
            Status("RESET ignored: the program has not opened " + port_.Path() + " yet.");
        } else if (event != Event::Timeout) {
            return Quit(event);
        }
    }
    Status("The program opened the port.");
    return Step::Done;
}

Meter::Step Meter::WaitForReset() {
    std::optional<Clock::time_point> deadline;
    if (options_.delay) {
        Status("RESET in " + Seconds(*options_.delay) + ".");
        deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(*options_.delay));
    } else {
        Status("Press Enter for RESET.");
    }
    const Event event = Wait({port_.SeesProgram(), !options_.delay, false}, deadline);
    if (event == Event::Hangup) {
        Status("The program closed the port before RESET.");
        return Step::Closed;
    }
    return event == Event::Timeout || event == Event::Enter ? Step::Done : Quit(event);
}

Meter::Step Meter::Send() {
    Status("RESET: sending " + std::to_string(memory_.size()) + " bytes.");
    const Clock::time_point start = Clock::now();
    std::size_t sent = 0;
    Step step = Step::Done;
    while (sent < memory_.size() && step == Step::Done) {
        const std::size_t due =
            options_.fast ? std::min(memory_.size(), sent + kFastChunk) : DueBytes(start);
        if (port_.SeesProgram() && !port_.ProgramHasOpen()) {
            step = Step::Closed;
        } else {
            step = due == sent ? Pause(start, sent) : Write(sent, due);
        }
    }
    if (step == Step::Closed) {
        Status("The program closed the port after " + std::to_string(sent) + " of " +
               std::to_string(memory_.size()) + " bytes.");
    }
    if (step == Step::Done) {
        const std::chrono::duration<double> took = Clock::now() - start;
        Status("Sent " + std::to_string(sent) + " bytes in " + Seconds(took.count()) + ".");
    }
    return step;
}

// The bytes that the line rate has let out since `start`.
std::size_t Meter::DueBytes(Clock::time_point start) const {
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    const double due = elapsed.count() * kLineBytesPerSecond;
    return due >= memory_.size() ? memory_.size() : static_cast<std::size_t>(due);
}

// Waits until the line rate lets out the next chunk after `sent` bytes.
Meter::Step Meter::Pause(Clock::time_point start, std::size_t sent) const {
    const std::size_t next = std::min(memory_.size(), sent + kPacedChunk);
    const auto at = start + std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double>(next / kLineBytesPerSecond));
    const Event event = Wait({port_.SeesProgram(), false, false}, at);
    return event == Event::Hangup ? Step::Closed : event == Event::Stop ? Quit(event) : Step::Done;
}

// Writes the memory from `sent` up to `to`, counting `sent` on, and waits while the link is
// full. A blocking write would not wake up when the program closes the port.
Meter::Step Meter::Write(std::size_t& sent, std::size_t to) const {
    while (sent < to) {
        const ssize_t written = ::write(port_.Fd(), memory_.data() + sent, to - sent);
        if (written >= 0) {
            sent += static_cast<std::size_t>(written);
            continue;
        }
        if (errno != EAGAIN && errno != EINTR) {
            Error("cannot write to " + port_.Path() + ": " + Reason());
            return Step::Failed;
        }
        const Event event = Wait({port_.SeesProgram(), false, true}, std::nullopt);
        if (event == Event::Hangup) {
            return Step::Closed;
        }
        if (event == Event::Stop) {
            return Quit(event);
        }
    }
    return Step::Done;
}

Meter::Step Meter::WaitForClose() {
    if (!port_.SeesProgram()) {
        return Step::Done;
    }
    Status("Waiting for the program to close the port.");
    const Event event = Wait({true, false, false}, std::nullopt);
    if (event != Event::Hangup) {
        return Quit(event);
    }
    Status("The program closed the port.");
    return Step::Done;
}

// Waits for a stop signal or a watched event until `deadline`, or without limit.
Event Meter::Wait(Watch watch, std::optional<Clock::time_point> deadline) const {
    for (;;) {
        const bool onPort = watch.hangup || watch.writable;
        pollfd waits[] = {
            {stop_.Fd(), POLLIN, 0},
            {onPort ? port_.Fd() : -1, static_cast<short>(watch.writable ? POLLOUT : 0), 0},
            {watch.enter ? STDIN_FILENO : -1, POLLIN, 0}};
        const int ready = ::poll(waits, 3, deadline ? MillisecondsUntil(*deadline) : -1);
        if (stop_.Raised()) {
            return Event::Stop;
        }
        if (ready > 0 && watch.hangup && (waits[1].revents & POLLHUP) != 0) {
            return Event::Hangup;
        }
        // Any other state of the port is for the next write to report.
        if (ready > 0 && watch.writable && waits[1].revents != 0) {
            return Event::Writable;
        }
        const std::optional<Event> keys =
            ready > 0 && waits[2].revents != 0 ? ReadKeys(waits[2].revents) : std::nullopt;
        if (keys) {
            return *keys;
        }
        if (deadline && Clock::now() >= *deadline) {
            return Event::Timeout;
        }
    }
}

Meter::Step Meter::Quit(Event event) const {
    Status(event == Event::InputEnded ? "Input ended; stopping." : "Stopped.");
    return Step::Quit;
}

// The records a download of `image` writes, numbered from 1.
[[nodiscard]] Failure WriteExpectedDataFile(const std::string& path, const MeterImage& image) {
    DataFileWriter file;
    Failure failure = file.Open(path);
    long long number = 0;
    for (auto reading = image.readings.begin(); !failure && reading != image.readings.end();
         ++reading) {
        failure = file.Append(
            {++number, reading->value1, reading->unitIndex, reading->value2, reading->unit2Index});
    }
    return failure ? failure : file.Close();
}

// The memory to send: the bytes of the replay file, or a made-up memory, with the data file
// its download should give when one is asked for.
[[nodiscard]] Failure LoadMemory(const Options& options, Bytes& memory) {
    if (!options.replay.empty()) {
        std::string contents;
        const Failure failure = ReadWholeFile(options.replay, contents);
        memory.assign(contents.begin(), contents.end());
        return failure;
    }
    const MeterImage image = GenerateMeterImage(options.frames, options.seed);
    memory = image.bytes;
    return options.expect.empty() ? std::nullopt : WriteExpectedDataFile(options.expect, image);
}

std::string DescribeMemory(const Options& options, const Bytes& memory) {
    const std::string source = options.replay.empty()
                                   ? std::to_string(options.frames) + " readings (seed " +
                                         std::to_string(options.seed) + ")"
                                   : options.replay;
    const std::string pace = options.fast ? "as fast as the link takes" : "at 960 bytes per second";
    return "Memory: " + source + ", " + std::to_string(memory.size()) + " bytes, sent " + pace +
           ".";
}

// Everything the meter needs before it serves: its memory, the stop signals and the port.
[[nodiscard]] Failure SetUp(const Options& options, Bytes& memory, StopSignals& stop, Port& port) {
    if (Failure failure = LoadMemory(options, memory)) {
        return failure;
    }
    if (Failure failure = stop.Install()) {
        return failure;
    }
    return options.device.empty() ? port.OpenPseudoTerminal() : port.OpenDevice(options.device);
}

int Main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    if (const Failure failure = ParseOptions(argc, argv, options)) {
        Error(*failure);
        std::fprintf(stderr, "Try 'rv7342-sim --help'.\n");
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return EXIT_SUCCESS;
    }
    Bytes memory;
    StopSignals stop;
    Port port;
    if (const Failure failure = SetUp(options, memory, stop, port)) {
        Error(*failure);
        return EXIT_FAILURE;
    }
    Status(port.Path());
    Status(DescribeMemory(options, memory));
    return Meter(options, port, stop, memory).Run();
}

}  // namespace
}  // namespace rv7342

int main(int argc, char** argv) {
    return rv7342::Main(argc, argv);
}
