// rv7342-cli download: the window's Start from the command line, by the same transfer session.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <unistd.h>

#include <cstdio>

#include "app/cli.h"
#include "app/cli_signals.h"
#include "datafiles/files.h"
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

// COM1, COM2 or a device path: the COM it stands for, named in `link` for a device.
std::optional<int> PortArgument(const QString& value, SerialLink& link) {
    if (value.compare(QStringLiteral("COM1"), Qt::CaseInsensitive) == 0) {
        return 1;
    }
    if (value.compare(QStringLiteral("COM2"), Qt::CaseInsensitive) == 0) {
        return 2;
    }
    if (value.startsWith(QLatin1Char('/'))) {
        link.NameDevice(2, value.toLocal8Bit().toStdString());
        return 2;
    }
    return std::nullopt;
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

int Report(const TransferSession& session, const std::string& path, bool replacing,
           const std::string& device, int signal) {
    const auto Say = [&device](const std::string& text) { cli::Say(ForCommandLine(text, device)); };
    const bool complete = session.End() == TransferEnd::Complete;
    if (session.Records() > 0) {
        Say(TransferStatus(complete) + ": " + std::to_string(session.Records()) + " readings in " +
            path);
        const std::string report = EndOfTransferReport(
            session.IncompleteReason(), session.Records(), path, session.MalformedRecords());
        if (!report.empty()) {
            Say(report);
        }
    } else {
        // Nothing to keep: no file is left behind, an existing one stays as it was.
        Say(TransferStatus(false) + ": no reading was received, " +
            (replacing ? path + " is left as it was" : "no file was written") +
            (session.IncompleteReason().empty() ? "" : ": " + session.IncompleteReason()) + ".");
    }
    if (signal != 0) {
        return StatusForSignal(signal);
    }
    return complete ? kDone : kDoneInPart;
}

}  // namespace

int Download(const QStringList& arguments) {
    const QString command = QStringLiteral("download");
    QCommandLineParser parser;
    Describe(parser,
             QStringLiteral("Downloads the meter's memory into FILE, as the window's Start does: "
                            "press RESET on the meter once the command waits for it."),
             QStringLiteral("The data file to write, relative to the working folder."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("COM1 or COM2, chosen as the window chooses them (RV7342_COM1 and "
                       "RV7342_COM2 name devices for them), or a device such as /dev/ttyUSB0. "
                       "Default: COM2."),
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
    parser.addOptions({port, force, silence, wait});
    if (const std::optional<int> status = Parse(parser, arguments, 1)) {
        return *status;
    }

    SerialLink link;
    DownloadRequest request;
    const std::optional<int> com = PortArgument(parser.value(port), link);
    if (!com) {
        return UsageError(command, QStringLiteral("--port: '%1' is neither COM1, COM2 nor a "
                                                  "device path such as /dev/ttyUSB0")
                                       .arg(parser.value(port)));
    }
    request.port = *com;
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
    if (!parser.isSet(force) && FileExists(request.path)) {
        Say(request.path + " exists; it is left as it is. Give --force to overwrite it.");
        return kNothingDone;
    }

    DecoderState decoder;
    TransferSession session(link, decoder);
    StopSignals stopSignals;
    const bool replacing = parser.isSet(force) && FileExists(request.path);
    const std::string device = parser.value(port).startsWith(QLatin1Char('/'))
                                   ? parser.value(port).toLocal8Bit().toStdString()
                                   : std::string();
    if (const std::optional<QString> failure =
            session.Start(request.port, request.path, request.limits,
                          replacing ? FileCreation::Replace : FileCreation::New)) {
        Say(ForCommandLine(failure->toLocal8Bit().toStdString(), device));
        return kNothingDone;
    }
    Say(ForCommandLine(WaitingMessage(request.port, link.Device().toLocal8Bit().toStdString()),
                       device));
    ProgressLine progress;
    QObject::connect(&session, &TransferSession::progressed, [&] { progress.Show(session); });
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &session, &TransferSession::Stop);
    QObject::connect(&session, &TransferSession::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    QCoreApplication::exec();
    progress.Close();
    return Report(session, request.path, replacing, device, stopSignals.Received());
}

}  // namespace rv7342::cli
