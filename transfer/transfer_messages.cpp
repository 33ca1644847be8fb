#include "transfer/transfer_messages.h"

#include <cstdio>

#include "ports/port_messages.h"

namespace rv7342 {

std::string WaitingMessage(int port, const std::string& device) {
    // On Windows COM2 is mostly the system's COM2 itself.
    const std::string named = device == ComName(port) ? "" : " (" + device + ")";
    return "Waiting for the meter on " + ComName(port) + named + ": press RESET on the meter.";
}

std::string ReceivingMessage(int records, long long elapsedMs) {
    const long long seconds = elapsedMs / 1000;
    char clock[32];
    std::snprintf(clock, sizeof clock, "%lld:%02lld", seconds / 60, seconds % 60);
    return "Receiving: " + std::to_string(records) + " readings in " + clock;
}

std::string TransferStatus(bool complete) {
    return complete ? "Data Transfer OK" : "Transfer incomplete";
}

namespace {

// Appended to a reason when escape bytes arrived without making a recognisable end: the bytes
// stopped inside the marker, or it was garbled.
std::string MarkerState(long long escapeCount, bool insideMarker) {
    if (escapeCount == 0) {
        return {};
    }
    if (insideMarker) {
        return "; it ended inside the end-of-memory marker, after " + std::to_string(escapeCount) +
               " of its 28 escape bytes";
    }
    return "; its end-of-memory marker was garbled: " + std::to_string(escapeCount) +
           " escape bytes arrived, but their count never stood at exactly 28 after a frame";
}

}  // namespace

std::string SilenceReason(long long escapeCount, bool insideMarker) {
    return "the meter stopped sending before the end of its memory was recognised" +
           MarkerState(escapeCount, insideMarker);
}

std::string CaptureEndReason(long long escapeCount, bool insideMarker) {
    return "the capture ends before the end of the meter's memory" +
           MarkerState(escapeCount, insideMarker);
}

std::string NoFirstByteReason(double waitSeconds) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", waitSeconds);
    return std::string("nothing arrived from the meter within ") + seconds + " seconds";
}

std::string LinkLostReason(int port, const std::string& device, const std::string& reason) {
    return "the connection to " + ComName(port) + " (" + device + ") was lost: " + reason;
}

std::string StoppedReason() {
    return "it was stopped before the end of the meter's memory";
}

std::string EndOfTransferReport(const std::string& incompleteReason, int records,
                                const std::string& path, int malformedRecords) {
    std::string report;
    if (!incompleteReason.empty()) {
        report = "The transfer is incomplete: " + incompleteReason + ".\n\n" +
                 std::to_string(records) + " readings were saved in " + path + ".";
    }
    if (malformedRecords > 0) {
        report += (report.empty() ? "" : "\n\n") + std::to_string(malformedRecords) + " of the " +
                  std::to_string(records) +
                  " readings came from frames that held bytes other than digits, so their "
                  "values are not what the meter stored. Check the cable and that it is plugged "
                  "into the port chosen, and that the meter sends at 9600 baud.";
    }
    return report;
}

}  // namespace rv7342
