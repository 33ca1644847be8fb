#include "transfer/transfer_procedure.h"

#include <utility>

#include "transfer/frame_decoder.h"

namespace rv7342 {

namespace {
constexpr std::uint8_t kCarriageReturn = 13;
constexpr std::uint8_t kEscape = 27;
constexpr std::uint8_t kAbandon = 0;
constexpr long long kLastRecordEscapes = 14;
constexpr long long kEndEscapes = 28;
constexpr int kFirstPosition = 15;
}  // namespace

TransferMachine::TransferMachine(FormState& state, AppendRecord append)
    : state_(state), append_(std::move(append)) {
    state_.datano = 0;
}

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
    }
    if (byte == kAbandon) {
        synchronizing_ = true;
        return Step::Going;
    }
    StoreFrameDigit(state_, position_, byte);
    if (position_ > 0) {
        --position_;
        return Step::Going;
    }
    position_ = kFirstPosition;
    if (!EndFrame(&DecodeReading)) {
        return Step::WriteFailed;
    }
    return EscCount == kEndEscapes ? Step::Finished : Step::Going;
}

bool TransferMachine::EndFrame(void (*decode)(FormState&)) {
    ++FrameCount;
    DecodeUnitIndex(state_);
    if (FrameCount <= 1 || EscCount >= kLastRecordEscapes) {
        return true;
    }
    decode(state_);
    const Record record{FrameCount - 1, state_.Value1, state_.UnitIndex, state_.Value2,
                        state_.Unit2Index};
    writeError_ = append_(record);
    if (!writeError_.empty()) {
        return false;
    }
    ++state_.datano;
    return true;
}

TransferEnd RunTransfer(TransferMachine& machine,
                        const std::function<std::optional<std::uint8_t>()>& readByte) {
    for (;;) {
        const std::optional<std::uint8_t> byte = readByte();
        if (!byte) {
            return TransferEnd::LinkLost;
        }
        switch (machine.Feed(*byte)) {
            case TransferMachine::Step::Going:
                break;
            case TransferMachine::Step::Finished:
                return TransferEnd::Complete;
            case TransferMachine::Step::WriteFailed:
                return TransferEnd::WriteFailed;
        }
    }
}

}  // namespace rv7342
