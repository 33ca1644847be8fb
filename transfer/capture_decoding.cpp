#include "transfer/capture_decoding.h"

#include <cstdint>

#include "transfer/frame_decoder.h"
#include "transfer/transfer_procedure.h"

namespace rv7342 {

CaptureDecoding DecodeCapture(std::string_view capture, const std::string& path,
                              FileCreation creation) {
    CaptureDecoding result;
    DataFileWriter file;
    if ((result.failure = file.Open(path, creation))) {
        return result;
    }
    DecoderState decoder;
    TransferMachine machine(decoder, [&file](const Record& record) { return file.Append(record); });
    for (const char byte : capture) {
        const TransferMachine::Step step = machine.Feed(static_cast<std::uint8_t>(byte));
        if (step == TransferMachine::Step::WriteFailed) {
            result.failure = machine.WriteFailure();
            break;
        }
        if (step == TransferMachine::Step::Finished) {
            result.complete = true;
            break;
        }
    }
    result.records = machine.RecordsWritten();
    result.malformedRecords = machine.MalformedRecords();
    result.escapeCount = machine.EscapeCount();
    if (const Failure closed = file.Close(); closed && !result.failure) {
        result.failure = closed;
    }
    return result;
}

}  // namespace rv7342
