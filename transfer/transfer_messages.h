#pragma once
// What a download tells its user while it runs and when it ends, the same in the window and on
// the command line.

#include <string>

namespace rv7342 {

// "Waiting for the meter on COM2 (/dev/ttyUSB0): press RESET on the meter."; the device is
// left out where it is the COM itself.
std::string WaitingMessage(int port, const std::string& device);
// "Receiving: 42 readings in 1:05"
std::string ReceivingMessage(int records, long long elapsedMs);
// "Data Transfer OK", or "Transfer incomplete" when the end of the memory was not recognised.
std::string TransferStatus(bool complete);

// Why a transfer ended before the end of the memory; `insideMarker` when the bytes ended
// inside the end-of-memory marker (TransferMachine::EndsInsideEndMarker), otherwise escape
// bytes that arrived are told as a garbled marker.
std::string SilenceReason(long long escapeCount, bool insideMarker);
std::string NoFirstByteReason(double waitSeconds);
std::string LinkLostReason(int port, const std::string& device, const std::string& reason);
std::string StoppedReason();
// A capture decoded whose bytes end before the end of the memory.
std::string CaptureEndReason(long long escapeCount, bool insideMarker);

// The message at the end of a transfer: why it is incomplete and what was saved where, and
// how many readings came from noisy frames. Empty when there is nothing to tell.
std::string EndOfTransferReport(const std::string& incompleteReason, int records,
                                const std::string& path, int malformedRecords);

}  // namespace rv7342
