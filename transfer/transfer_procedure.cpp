#include "transfer/transfer_procedure.h"

#include <utility>

#include "transfer/meter_protocol.h"

namespace rv7342 {

namespace {
constexpr int kFirstPosition = kFrameSize - 1;
// The positions the decoder reads: 14 down to 1.
const std::bitset<16> kDecodedPositions(0x7FFE);
}  // namespace

TransferMachine::TransferMachine(DecoderState& decoder, AppendRecord append)
    : decoder_(decoder), append_(std::move(append)) {}

TransferMachine::Step TransferMachine::Feed(std::uint8_t byte) {
    return synchronizing_ ? Synchronize(byte) : Receive(byte);
}

TransferMachine::Step TransferMachine::Synchronize(std::uint8_t byte) {
    if (byte != kCarriageReturn) {
        return Step::Going;
    }
    synchronizing_ = false;
    position_ = kFirstPosition;
    return EndFrame(&DecodeTwoValues) ? Step::Going : Step::WriteFailed;
}

TransferMachine::Step TransferMachine::Receive(std::uint8_t byte) {
    if (byte == kEscape) {
        ++EscCount;
        escapeInFrame_ = true;
    }
    if (byte == kAbandonFrame) {
        synchronizing_ = true;
        return Step::Going;
    }
    nonDigit_[position_] = byte < '0' || byte > '9';
    StoreFrameDigit(decoder_, position_, byte);
    if (position_ > 0) {
        --position_;
        return Step::Going;
    }
    position_ = kFirstPosition;
    markerBroken_ = markerBroken_ || (EscCount > 0 && !escapeInFrame_);
    escapeInFrame_ = false;
    if (!EndFrame(&DecodeReading)) {
        return Step::WriteFailed;
    }
    finished_ = EscCount == kEndEscapes;
    return finished_ ? Step::Finished : Step::Going;
}

bool TransferMachine::EndsInsideEndMarker() const {
    return EscCount > 0 && EscCount <= kEndEscapes && !markerBroken_ && !finished_;
}

bool TransferMachine::EndFrame(void (*decode)(DecoderState&)) {
    ++FrameCount;
    DecodeUnitIndex(decoder_);
    if (FrameCount <= 1 || EscCount >= kLastRecordEscapes) {
        return true;
    }
    decode(decoder_);
    const Record record{FrameCount - 1, decoder_.Value1, decoder_.UnitIndex, decoder_.Value2,
                        decoder_.Unit2Index};
    writeFailure_ = append_(record);
    if (writeFailure_) {
        return false;
    }
    ++datano_;
    if ((nonDigit_ & kDecodedPositions).any()) {
        ++malformedRecords_;
    }
    return true;
}

}  // namespace rv7342
