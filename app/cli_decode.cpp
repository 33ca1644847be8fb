// rv7342-cli decode: a capture of the meter's bytes into the data file a download of them
// writes, by the same transfer machine.

#include "app/cli.h"
#include "datafiles/files.h"
#include "transfer/capture_decoding.h"
#include "transfer/transfer_messages.h"

namespace rv7342::cli {

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
    std::string capture;
    if (const Failure failure = ReadWholeFile(capturePath, capture)) {
        Say(*failure);
        return kNothingDone;
    }
    if (SameFile(path, capturePath)) {
        Say("Cannot write " + path + ": it is the capture " + capturePath +
            ", which is left as it is.");
        return kNothingDone;
    }
    const bool replacing = FileExists(path);
    if (replacing && !parser.isSet(force)) {
        Say(path + " exists; it is left as it is. Give --force to overwrite it.");
        return kNothingDone;
    }
    const CaptureDecoding decoded =
        DecodeCapture(capture, path, replacing ? FileCreation::Replace : FileCreation::New);
    if (decoded.failure && decoded.records == 0) {
        Say(*decoded.failure);
        return kNothingDone;
    }
    TransferOutcome outcome{decoded.complete && !decoded.failure, decoded.records,
                            decoded.failure    ? *decoded.failure
                            : decoded.complete ? std::string()
                                               : CaptureEndReason(decoded.escapeCount),
                            decoded.malformedRecords};
    const int status = ReportTransfer(outcome, path, replacing);
    return decoded.failure ? kNothingDone : status;
}

}  // namespace rv7342::cli
