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
    parser.setApplicationDescription(QStringLiteral(
        "Writes FILE from CAPTURE, the bytes the meter sent (as download --raw or another "
        "program saved them), exactly as a download of those bytes writes it."));
    parser.addPositionalArgument(command, QStringLiteral("The command."));
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
    const std::string capturePath = ArgumentPath(parser.positionalArguments().at(1));
    const std::string path = ArgumentPath(parser.positionalArguments().at(2));
    std::string capture;
    if (const Failure failure = ReadWholeFile(capturePath, capture)) {
        Say(*failure);
        return kNothingDone;
    }
    if (!parser.isSet(force) && FileExists(path)) {
        Say(path + " exists; it is left as it is. Give --force to overwrite it.");
        return kNothingDone;
    }
    const CaptureDecoding decoded = DecodeCapture(capture, path);
    if (decoded.failure && decoded.records == 0) {
        Say(*decoded.failure);
        return kNothingDone;
    }
    const std::string reason = decoded.failure    ? *decoded.failure
                               : decoded.complete ? std::string()
                                                  : CaptureEndReason(decoded.escapeCount);
    const int status = ReportTransfer(decoded.complete && !decoded.failure, decoded.records, path,
                                      reason, decoded.malformedRecords);
    return decoded.failure ? kNothingDone : status;
}

}  // namespace rv7342::cli
