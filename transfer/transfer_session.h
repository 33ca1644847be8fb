#pragma once
// One download, driven by the event loop: the port is opened, then the data file; every byte
// that arrives goes through the transfer machine into the file; the end of the memory, a
// silence after the first byte, a lost link, a failed write or Stop end it. The window's Start
// and the command line's download both run it.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "datafiles/data_file.h"
#include "transfer/frame_decoder.h"
#include "transfer/serial_link.h"
#include "transfer/transfer_procedure.h"

namespace rv7342 {

// Once the meter has begun to send, a silence this long means it has stopped: it sends its
// whole memory without a pause, so a gap of three seconds (about 180 frames) is no
// transmission of it, while a USB adapter or a busy desktop delays bytes by milliseconds.
constexpr int kSilenceLimitMs = 3000;

struct TransferLimits {
    int silenceMs = kSilenceLimitMs;  // after the first byte
    std::optional<int> firstByteMs;   // no value: wait for RESET as long as it takes
};

enum class TransferEnd { Complete, Silent, NoFirstByte, LinkLost, WriteFailed, Stopped };

class TransferSession : public QObject {
    Q_OBJECT
  public:
    // `decoder` is the decoder state the frames are decoded into.
    TransferSession(SerialLink& link, DecoderState& decoder, QObject* parent = nullptr);

    // Opens COM `port`, then creates the data file at `path` as `creation` says. A failure is
    // the message for the user; the port is then closed again, and the file is left untouched
    // when the port failed.
    [[nodiscard]] std::optional<QString> Start(int port, const std::string& path,
                                               TransferLimits limits = {},
                                               FileCreation creation = FileCreation::Truncate);
    // From now on every byte read from the port goes to `tap` too, as read, before the
    // transfer machine sees it.
    void TapBytes(std::function<void(std::uint8_t)> tap) { tap_ = std::move(tap); }
    // Ends a running transfer at once, keeping every record written; finished() comes before
    // it returns.
    void Stop();

    bool Running() const { return running_; }
    int Port() const { return port_; }
    // Records written by this transfer: `datano`.
    int Records() const { return machine_ ? machine_->RecordsWritten() : 0; }
    // Readings whose frames held bytes other than digits where values are read.
    int MalformedRecords() const { return machine_ ? machine_->MalformedRecords() : 0; }
    bool MeterHasSent() const { return sinceFirstByte_.isValid(); }
    qint64 MsSinceFirstByte() const { return MeterHasSent() ? sinceFirstByte_.elapsed() : 0; }

    // After finished(): how it ended, and why it is incomplete (empty when complete).
    TransferEnd End() const { return end_; }
    const std::string& IncompleteReason() const { return incompleteReason_; }

  signals:
    // Bytes arrived and went into the file; Records() may have grown.
    void progressed();
    void finished();

  private:
    void OnBytesWaiting();
    // Feeds the waiting bytes to the machine; false once it has reached an end.
    bool FeedWaitingBytes();
    void OnLinkFailed();
    void OnSilence();
    // Ends the transfer once the serial port's signal being handled has returned.
    void EndSoon(TransferEnd end);
    void Finish(TransferEnd end);
    std::string ReasonFor(TransferEnd end) const;

    SerialLink& link_;
    DecoderState& decoder_;
    DataFileWriter file_;
    std::unique_ptr<TransferMachine> machine_;
    TransferLimits limits_;
    QTimer silence_;
    QElapsedTimer sinceFirstByte_;
    int port_ = 2;
    bool running_ = false;
    std::optional<TransferEnd> pendingEnd_;  // reached, Finish not yet run
    TransferEnd end_ = TransferEnd::Complete;
    std::string incompleteReason_;
    std::function<void(std::uint8_t)> tap_;
};

}  // namespace rv7342
