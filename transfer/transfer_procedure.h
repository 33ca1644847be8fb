#pragma once
// The byte-by-byte logic of a download. The first byte 13 synchronises on the frame
// boundaries; from there the stream is cut into 16-byte frames, each decoded into one record.
// Escape bytes (27) inside frames mark the end of the memory: from the 14th on no record is
// written, and the transfer ends after the frame at which exactly 28 have been counted.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "datafiles/data_file.h"
#include "ui/form_state.h"

namespace rv7342 {

class TransferMachine {
  public:
    enum class Step { Going, Finished, WriteFailed };
    // Appends a record to the data file; returns an empty text or the reason it failed.
    using AppendRecord = std::function<std::string(const Record&)>;

    // Starts a transfer: counters and `datano` at 0, waiting for the first byte 13.
    TransferMachine(FormState& state, AppendRecord append);

    Step Feed(std::uint8_t byte);
    const std::string& WriteError() const { return writeError_; }

  private:
    Step Synchronize(std::uint8_t byte);
    Step Receive(std::uint8_t byte);
    // Counts a frame end and writes its record unless the end marker has begun.
    bool EndFrame(void (*decode)(FormState&));

    FormState& state_;
    AppendRecord append_;
    std::string writeError_;
    bool synchronizing_ = true;
    int position_ = 15;
    long long FrameCount = 0;
    long long EscCount = 0;
};

enum class TransferEnd { Complete, LinkLost, WriteFailed };

// Feeds the machine from `readByte` until the end of the memory, a write failure, or until
// `readByte` gives no byte because the link was lost or closed.
TransferEnd RunTransfer(TransferMachine& machine,
                        const std::function<std::optional<std::uint8_t>()>& readByte);

}  // namespace rv7342
