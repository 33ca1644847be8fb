// rv7342-cli download: the window's Start from the command line, by the same transfer session.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "app/cli.h"
#include "app/cli_signals.h"
#include "datafiles/files.h"
#include "datafiles/output_file.h"
#include "desktop/local_text.h"
#include "ports/port_choice.h"
#include "ports/port_messages.h"
#include "transfer/transfer_messages.h"
#include "transfer/transfer_session.h"

namespace rv7342::cli {

namespace {

// On a terminal the line is rewritten in place a few times a second; into a pipe or a file a
// line is written every few seconds, so that a log shows the transfer as it goes.
class ProgressLine {
  public:
    ProgressLine() : terminal_(::isatty(STDERR_FILENO) == 1) {}

    void Show(const TransferSession& session) {
        if (!session.MeterHasSent() || (shown_.isValid() && shown_.elapsed() < IntervalMs())) {
            return;
        }
        shown_.start();
        const std::string text = ReceivingMessage(session.Records(), session.MsSinceFirstByte());
        std::fprintf(stderr, terminal_ ? "\rrv7342-cli: %s\033[K" : "rv7342-cli: %s\n",
                     text.c_str());
        std::fflush(stderr);
        open_ = terminal_;
    }

    // Ends a line left open on a terminal, before other messages follow.
    void Close() {
        if (open_) {
            std::fputc('\n', stderr);
            open_ = false;
        }
    }

  private:
    qint64 IntervalMs() const { return terminal_ ? 250 : 5000; }

    bool terminal_;
    bool open_ = false;
    QElapsedTimer shown_;
};

struct DownloadRequest {
    int port = 2;
    std::string path;
    TransferLimits limits;
};

// The --port argument, its device named in `link`.
std::optional<PortArgument> PortOption(const QString& value, SerialLink& link) {
    const std::optional<PortArgument> argument = ParsePortArgument(ToLocalText(value));
    if (argument && !argument->device.empty()) {
        link.NameDevice(argument->port, argument->device);
    }
    return argument;
}

// The window's texts as a command-line user needs them: a device given with --port is named
// as itself rather than as the COM it stands for, and the command is run again where the
// window's user presses Start.
std::string ForCommandLine(std::string text, const std::string& device) {
    const auto replace = [&text](const std::string& from, const std::string& to) {
        for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
            text.replace(at, from.size(), to);
        }
    };
    if (!device.empty()) {
        replace(ComName(2) + " (" + device + ")", device);
    }
    replace("press Start again", "run the command again");
    return text;
}

// download --raw: every byte read from the port, as read, into a file of its own, made as the
// data file is: a new file grows in place; one that replaces an existing file (--force) grows
// beside it and takes its place at the end; a device or a pipe is written as it stands. When
// no byte arrived, no file is left and an old one stays as it was. A failure to write it does
// not end the download; it is told at the end.
class RawCapture {
  public:
    [[nodiscard]] Failure Open(const std::string& path, bool replacing) {
        const Failure failure =
            file_.OpenForReadings(path, replacing ? FileCreation::Replace : FileCreation::New);
        open_ = !failure;
        return failure;
    }
    bool IsOpen() const { return open_; }
    void Write(std::uint8_t byte) {
        waiting_.push_back(static_cast<char>(byte));
        ++bytes_;
    }
    // Hands the bytes received to the system, so that the capture grows as they arrive.
    void Flush() {
        if (!failure_) {
            failure_ = file_.Write(waiting_);
        }
        waiting_.clear();
    }
    // Removes what was written; an old file stays as it was.
    void Discard() {
        file_.Abandon();
        open_ = false;
    }
    [[nodiscard]] Failure Close() {
        if (bytes_ == 0) {
            Discard();
            return std::nullopt;
        }
        Flush();
        open_ = false;
        const Failure committed = file_.Commit();
        return failure_ ? failure_ : committed;
    }

  private:
    OutputFile file_;
    std::string waiting_;  // received since the last Flush
    long long bytes_ = 0;
    bool open_ = false;
    Failure failure_;
};

// An existing file is overwritten only with --force; refused, the reason is told.
bool MayWrite(const std::string& path, bool force) {
    if (!force && ReplacesAFile(path)) {
        Say(path + " exists; it is left as it is. Give --force to overwrite it.");
        return false;
    }
    return true;
}

}  // namespace

bool ReplacesAFile(const std::string& path) {
    const FileKind kind = KindOf(path);
    return FileExists(path) && kind != FileKind::Stream && kind != FileKind::Folder;
}

int ReportTransfer(const TransferOutcome& outcome, const std::string& path, bool replacing,
                   const std::string& device) {
    const auto Say = [&device](const std::string& text) { cli::Say(ForCommandLine(text, device)); };
    if (outcome.records > 0) {
        Say(TransferStatus(outcome.complete) + ": " + std::to_string(outcome.records) +
            " readings in " + path);
        const std::string report = EndOfTransferReport(outcome.incompleteReason, outcome.records,
                                                       path, outcome.malformedRecords);
        if (!report.empty()) {
            Say(report);
        }
    } else {
        // Nothing to keep: no file is left behind, an existing one stays as it was.
        Say(TransferStatus(false) + ": no reading was received, " +
            (replacing ? path + " is left as it was" : "no file was written") +
            (outcome.incompleteReason.empty() ? "" : ": " + outcome.incompleteReason) + ".");
    }
    return outcome.complete ? kDone : kDoneInPart;
}

int Download(const QStringList& arguments) {
    const QString command = QStringLiteral("download");
    QCommandLineParser parser;
    Describe(parser,
             QStringLiteral("Downloads the meter's memory into FILE, as the window's Start does: "
                            "press RESET on the meter once the command waits for it."),
             QStringLiteral("The data file to write, relative to the working folder."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("%1. COM1 and COM2 are chosen as the window chooses them (on Linux "
                       "RV7342_COM1 and RV7342_COM2 name devices for them). Default: COM2.")
            .arg(QLatin1String(kPortArgumentForms)),
        QStringLiteral("PORT"), QStringLiteral("COM2"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Overwrite FILE if it exists."));
    const QCommandLineOption silence(
        QStringLiteral("silence"),
        QStringLiteral("Once the meter has begun to send, this long a silence ends an "
                       "incomplete transfer. Default: 3."),
        QStringLiteral("SECONDS"), QStringLiteral("3"));
    const QCommandLineOption wait(
        QStringLiteral("wait"),
        QStringLiteral("How long to wait for the first byte. Default: as long as it takes."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption raw(
        QStringLiteral("raw"),
        QStringLiteral("Also write every byte received, as received, to CAPTURE: what the meter "
                       "really sent, to keep or to decode again."),
        QStringLiteral("CAPTURE"));
    parser.addOptions({port, force, silence, wait, raw});
    if (const std::optional<int> status = Parse(parser, arguments, 1)) {
        return *status;
    }

    SerialLink link;
    DecoderState decoder;
    TransferSession session(link, decoder);
    DownloadRequest request;
    const std::optional<PortArgument> portArgument = PortOption(parser.value(port), link);
    if (!portArgument) {
        return UsageError(command, QStringLiteral("--port: '%1' is none of %2")
                                       .arg(parser.value(port), QLatin1String(kPortArgumentForms)));
    }
    request.port = portArgument->port;
    const std::string& device = portArgument->device;
    const std::optional<double> silenceSeconds = Seconds(parser, command, silence.names()[0]);
    if (!silenceSeconds) {
        return kUsage;
    }
    request.limits.silenceMs = static_cast<int>(*silenceSeconds * 1000);
    if (parser.isSet(wait)) {
        const std::optional<double> waitSeconds = Seconds(parser, command, wait.names()[0]);
        if (!waitSeconds) {
            return kUsage;
        }
        request.limits.firstByteMs = static_cast<int>(*waitSeconds * 1000);
    }
    request.path = ArgumentPath(parser.positionalArguments().at(0));
    if (!MayWrite(request.path, parser.isSet(force))) {
        return kNothingDone;
    }
    StopSignals stopSignals;
    RawCapture capture;
    if (parser.isSet(raw)) {
        const std::string capturePath = ArgumentPath(parser.value(raw));
        if (capturePath == request.path || SameFile(capturePath, request.path)) {
            return UsageError(command, QStringLiteral("--raw: CAPTURE and FILE are one file"));
        }
        if (!MayWrite(capturePath, parser.isSet(force))) {
            return kNothingDone;
        }
        if (const Failure failure = capture.Open(capturePath, ReplacesAFile(capturePath))) {
            Say(*failure);
            return kNothingDone;
        }
        session.TapBytes([&capture](std::uint8_t byte) { capture.Write(byte); });
    }

    const bool replacing = ReplacesAFile(request.path);
    if (const std::optional<QString> failure =
            session.Start(request.port, request.path, request.limits,
                          replacing ? FileCreation::Replace : FileCreation::New)) {
        if (capture.IsOpen()) {
            capture.Discard();
        }
        Say(ForCommandLine(ToLocalText(*failure), device));
        return kNothingDone;
    }
    Say(ForCommandLine(WaitingMessage(request.port, ToLocalText(link.Device())), device));
    ProgressLine progress;
    QObject::connect(&session, &TransferSession::progressed, [&] {
        if (capture.IsOpen()) {
            capture.Flush();
        }
        progress.Show(session);
    });
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &session, &TransferSession::Stop);
    QObject::connect(&session, &TransferSession::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    QCoreApplication::exec();
    progress.Close();
    int status = ReportTransfer({session.End() == TransferEnd::Complete, session.Records(),
                                 session.IncompleteReason(), session.MalformedRecords()},
                                request.path, replacing, device);
    if (session.End() == TransferEnd::WriteFailed && session.Records() == 0) {
        status = kNothingDone;
    }
    if (stopSignals.Received() != 0) {
        status = StatusForSignal(stopSignals.Received());
    }
    if (const Failure failure = capture.IsOpen() ? capture.Close() : std::nullopt) {
        Say(*failure);
        return status == kDone ? kDoneInPart : status;
    }
    return status;
}

}  // namespace rv7342::cli
