#pragma once
// The transfer procedure: TransferMachine, the byte-by-byte logic of a download. The first byte 13
// synchronises on the frame boundaries; from there the stream is cut into 16-byte frames, each
// decoded into one record. Escape bytes (27) inside frames mark the end of the memory: from the
// 14th on no record is written, and the transfer ends after the frame at which exactly 28 have been
// counted.

#include <bitset>
#include <cstdint>
#include <functional>

#include "datafiles/data_file.h"
#include "datafiles/failure.h"
#include "transfer/frame_decoder.h"

namespace rv7342 {

class TransferMachine {
  public:
    enum class Step { Going, Finished, WriteFailed };
    // Appends a record to the data file.
    using AppendRecord = std::function<Failure(const Record&)>;

    // Starts a transfer: counters at 0, waiting for the first byte 13.
    TransferMachine(DecoderState& decoder, AppendRecord append);

    Step Feed(std::uint8_t byte);
    // Why the last record could not be written, after Step::WriteFailed.
    const Failure& WriteFailure() const { return writeFailure_; }
    // Records written so far: `datano`.
    int RecordsWritten() const { return datano_; }
    // Escape bytes counted inside frames: the end marker, or a part of one.
    long long EscapeCount() const { return EscCount; }
    // True when the bytes so far end inside the end marker: escape bytes have arrived, their
    // count has not passed 28 nor ended the memory, and every frame since the first of them
    // held one. A marker
    // whose count passed 28, or that a frame without an escape byte broke, was garbled.
    bool EndsInsideEndMarker() const;
    // Records written from digits of which some came from bytes other than '0' to '9' in the
    // positions the decoder reads (14 down to 1): line noise, or a wrong line speed.
    int MalformedRecords() const { return malformedRecords_; }

  private:
    Step Synchronize(std::uint8_t byte);
    Step Receive(std::uint8_t byte);
    // Counts a frame end and writes its record unless the end marker has begun.
    bool EndFrame(void (*decode)(DecoderState&));

    DecoderState& decoder_;
    int datano_ = 0;
    AppendRecord append_;
    Failure writeFailure_;
    std::bitset<16> nonDigit_;  // positions whose last stored byte was not a digit
    int malformedRecords_ = 0;
    bool synchronizing_ = true;
    bool escapeInFrame_ = false;
    bool markerBroken_ = false;
    bool finished_ = false;  // the end of the memory was recognised  // a whole frame without an
                             // escape byte after the first one
    int position_ = 15;
    long long FrameCount = 0;
    long long EscCount = 0;
};

}  // namespace rv7342
