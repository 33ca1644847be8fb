#include "transfer/capture_decoding.h"

#include <cstdint>

namespace rv7342 {

CaptureDecoder::CaptureDecoder()
    : machine_(decoder_, [this](const Record& record) { return file_.Append(record); }) {}

Failure CaptureDecoder::Open(const std::string& path, FileCreation creation) {
    return file_.Open(path, creation);
}

bool CaptureDecoder::Feed(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size() && !ended_; ++i) {
        switch (machine_.Feed(static_cast<std::uint8_t>(bytes[i]))) {
            case TransferMachine::Step::Going:
                break;
            case TransferMachine::Step::WriteFailed:
                result_.failure = machine_.WriteFailure();
                ended_ = true;
                break;
            case TransferMachine::Step::Finished:
                result_.complete = true;
                ended_ = true;
                break;
        }
    }
    return !ended_;
}

CaptureDecoding CaptureDecoder::Finish() {
    result_.records = machine_.RecordsWritten();
    result_.malformedRecords = machine_.MalformedRecords();
    result_.escapeCount = machine_.EscapeCount();
    result_.insideEndMarker = machine_.EndsInsideEndMarker();
    if (const Failure closed = file_.Close(); closed && !result_.failure) {
        result_.failure = closed;
    }
    return result_;
}

}  // namespace rv7342
