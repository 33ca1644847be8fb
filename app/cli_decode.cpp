// rv7342-cli decode: a capture of the meter's bytes into the data file a download of them
// writes, by the same transfer machine. The capture is read piece by piece as it comes, so
// that a file of any size, a pipe or a device that never ends takes no more memory than one
// piece; Ctrl+C, SIGTERM or SIGHUP ends it as it ends a download, keeping every reading.

#include <QCoreApplication>

#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

#include <cerrno>

#include "app/cli.h"
#include "app/cli_signals.h"
#include "datafiles/files.h"
#include "transfer/capture_decoding.h"
#include "transfer/transfer_messages.h"

namespace rv7342::cli {

namespace {

// The capture, open for reading; closed with it.
class CaptureInput {
  public:
    explicit CaptureInput(const std::string& path) : path_(path) {
        errno = 0;
        fd_ = OpenDescriptor(path, O_RDONLY);
        openError_ = errno;
    }
    ~CaptureInput() {
        if (fd_ >= 0) {
#ifdef _WIN32
            ::_close(fd_);
#else
            ::close(fd_);
#endif
        }
    }
    CaptureInput(const CaptureInput&) = delete;
    CaptureInput& operator=(const CaptureInput&) = delete;

    Failure OpenFailure() const {
        if (fd_ >= 0) {
            return std::nullopt;
        }
        return "Cannot open " + path_ + ": " + OpenFailureReason(path_, openError_);
    }

    // Feeds the capture to `decoder` until it ends, its transfer ends or `stop` has received a
    // signal. The reason when it could not be read.
    Failure ReadInto(CaptureDecoder& decoder, const StopSignals& stop) {
        while (stop.Received() == 0) {
            if (!BytesWaiting()) {
                QCoreApplication::processEvents();  // a signal arrives through the event loop
                continue;
            }
#ifdef _WIN32
            const int got = ::_read(fd_, piece_, sizeof piece_);
#else
            const ssize_t got = ::read(fd_, piece_, sizeof piece_);
#endif
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return "Cannot read " + path_ + ": " + OpenFailureReason(path_, errno);
            }
            if (got == 0 || !decoder.Feed({piece_, static_cast<std::size_t>(got)})) {
                return std::nullopt;
            }
            QCoreApplication::processEvents();
        }
        return std::nullopt;
    }

  private:
    // True when a read would not wait, or after a moment of waiting for bytes (a pipe, a
    // serial line) so that a stop signal is seen while none come.
    bool BytesWaiting() const {
#ifdef _WIN32
        return true;
#else
        pollfd input{fd_, POLLIN, 0};
        const int ready = ::poll(&input, 1, 200);
        return ready > 0 || (ready < 0 && errno != EINTR);
#endif
    }

    std::string path_;
    int fd_ = -1;
    int openError_ = 0;
    char piece_[64 * 1024];
};

// How the decoding ended, for ReportTransfer.
TransferOutcome OutcomeOf(const CaptureDecoding& decoded, const Failure& readFailure,
                          bool stopped) {
    const std::string reason = decoded.failure ? *decoded.failure
                               : readFailure   ? *readFailure
                               : stopped       ? StoppedReason()
                               : decoded.complete
                                   ? std::string()
                                   : CaptureEndReason(decoded.escapeCount, decoded.insideEndMarker);
    return {decoded.complete && !decoded.failure, decoded.records, reason,
            decoded.malformedRecords};
}

}  // namespace

int Decode(const QStringList& arguments) {
    const QString command = QStringLiteral("decode");
    QCommandLineParser parser;
    Describe(parser,
             QStringLiteral("Writes FILE from CAPTURE, the bytes the meter sent (as download "
                            "--raw or another program saved them), exactly as a download of "
                            "those bytes writes it."),
             {});
    parser.addPositionalArgument(QStringLiteral("CAPTURE"),
                                 QStringLiteral("The bytes received from the meter."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The data file to write, relative to the "
                                                "working folder."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Overwrite FILE if it exists."));
    parser.addOption(force);
    if (const std::optional<int> status = Parse(parser, arguments, 2)) {
        return *status;
    }
    const std::string capturePath = ArgumentPath(parser.positionalArguments().at(0));
    const std::string path = ArgumentPath(parser.positionalArguments().at(1));
    CaptureInput capture(capturePath);
    if (const Failure failure = capture.OpenFailure()) {
        Say(*failure);
        return kNothingDone;
    }
    if (SameFile(path, capturePath)) {
        Say("Cannot write " + path + ": it is the capture " + capturePath +
            ", which is left as it is.");
        return kNothingDone;
    }
    const bool replacing = ReplacesAFile(path);
    if (replacing && !parser.isSet(force)) {
        Say(path + " exists; it is left as it is. Give --force to overwrite it.");
        return kNothingDone;
    }
    StopSignals stopSignals;
    CaptureDecoder decoder;
    if (const Failure failure =
            decoder.Open(path, replacing ? FileCreation::Replace : FileCreation::New)) {
        Say(*failure);
        return kNothingDone;
    }
    const Failure readFailure = capture.ReadInto(decoder, stopSignals);
    const CaptureDecoding decoded = decoder.Finish();
    if ((decoded.failure || readFailure) && decoded.records == 0) {
        Say(decoded.failure ? *decoded.failure : *readFailure);
        return kNothingDone;
    }
    const int status = ReportTransfer(OutcomeOf(decoded, readFailure, stopSignals.Received() != 0),
                                      path, replacing);
    return stopSignals.Received() != 0 ? StatusForSignal(stopSignals.Received()) : status;
}

}  // namespace rv7342::cli
