#include "transfer/transfer_session.h"

#include "desktop/local_text.h"
#include "transfer/transfer_messages.h"

namespace rv7342 {

TransferSession::TransferSession(SerialLink& link, DecoderState& decoder, QObject* parent)
    : QObject(parent), link_(link), decoder_(decoder) {
    silence_.setSingleShot(true);
    silence_.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire up to 5 % early
    connect(&silence_, &QTimer::timeout, this, &TransferSession::OnSilence);
    connect(&link_, &SerialLink::bytesWaiting, this, &TransferSession::OnBytesWaiting);
    connect(&link_, &SerialLink::failed, this, &TransferSession::OnLinkFailed);
}

std::optional<QString> TransferSession::Start(int port, const std::string& path,
                                              TransferLimits limits, FileCreation creation) {
    if (std::optional<QString> failure = link_.OpenCommPort(port)) {
        return failure;
    }
    if (const Failure failure = file_.Open(path, creation)) {
        link_.CloseCommPort();
        return FromLocalText(*failure);
    }
    port_ = port;
    limits_ = limits;
    running_ = true;
    pendingEnd_.reset();
    incompleteReason_.clear();
    sinceFirstByte_.invalidate();
    machine_ = std::make_unique<TransferMachine>(
        decoder_, [this](const Record& record) { return file_.Append(record); });
    if (limits_.firstByteMs) {
        silence_.start(*limits_.firstByteMs);
    }
    return std::nullopt;
}

void TransferSession::Stop() {
    if (running_) {
        Finish(pendingEnd_.value_or(TransferEnd::Stopped));
    }
}

void TransferSession::OnBytesWaiting() {
    if (!running_ || pendingEnd_) {
        return;
    }
    if (FeedWaitingBytes() && MeterHasSent()) {
        silence_.start(limits_.silenceMs);
    }
    emit progressed();
}

bool TransferSession::FeedWaitingBytes() {
    while (const std::optional<std::uint8_t> byte = link_.ReadCommByte()) {
        if (!sinceFirstByte_.isValid()) {
            sinceFirstByte_.start();
        }
        if (tap_) {
            tap_(*byte);
        }
        switch (machine_->Feed(*byte)) {
            case TransferMachine::Step::Going:
                break;
            case TransferMachine::Step::Finished:
                EndSoon(TransferEnd::Complete);
                return false;
            case TransferMachine::Step::WriteFailed:
                EndSoon(TransferEnd::WriteFailed);
                return false;
        }
    }
    return true;
}

// Bytes that arrived before the failure still go into the file.
void TransferSession::OnLinkFailed() {
    OnBytesWaiting();
    if (running_ && !pendingEnd_) {
        EndSoon(TransferEnd::LinkLost);
    }
}

void TransferSession::OnSilence() {
    if (running_ && !pendingEnd_) {
        Finish(MeterHasSent() ? TransferEnd::Silent : TransferEnd::NoFirstByte);
    }
}

void TransferSession::EndSoon(TransferEnd end) {
    pendingEnd_ = end;
    silence_.stop();
    QMetaObject::invokeMethod(
        this, [this, end] { Finish(end); }, Qt::QueuedConnection);
}

void TransferSession::Finish(TransferEnd end) {
    if (!running_) {
        return;
    }
    running_ = false;
    pendingEnd_.reset();
    silence_.stop();
    end_ = end;
    incompleteReason_ = ReasonFor(end);
    link_.CloseCommPort();
    if (const Failure closeFailure = file_.Close(); closeFailure && incompleteReason_.empty()) {
        end_ = TransferEnd::WriteFailed;
        incompleteReason_ = *closeFailure;
    }
    emit finished();
}

std::string TransferSession::ReasonFor(TransferEnd end) const {
    switch (end) {
        case TransferEnd::Complete:
            return {};
        case TransferEnd::Silent:
            return SilenceReason(machine_->EscapeCount(), machine_->EndsInsideEndMarker());
        case TransferEnd::NoFirstByte:
            return NoFirstByteReason(limits_.firstByteMs.value_or(0) / 1000.0);
        case TransferEnd::LinkLost:
            return LinkLostReason(port_, ToLocalText(link_.Device()),
                                  ToLocalText(link_.FailureReason()));
        case TransferEnd::WriteFailed:
            return machine_->WriteFailure().value_or("");
        case TransferEnd::Stopped:
            return StoppedReason();
    }
    return {};
}

}  // namespace rv7342
