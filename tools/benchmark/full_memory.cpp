#include "tools/benchmark/full_memory.h"

#include "transfer/transfer_procedure.h"

namespace rv7342 {

const Bytes& FullMemoryImage() {
    static const Bytes image = GenerateMeterImage(kFullMemory, 7342).bytes;
    return image;
}

const std::string& FullMemoryDataFile() {
    static const std::string text = [] {
        std::string file;
        DecoderState decoder;
        TransferMachine machine(decoder, [&file](const Record& record) -> Failure {
            file += FormatRecord(record);
            return std::nullopt;
        });
        for (std::uint8_t byte : FullMemoryImage()) {
            machine.Feed(byte);
        }
        return file;
    }();
    return text;
}

void SetByteRate(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    // Seconds of line time handled per second: the multiple of the line speed.
    state.counters["line_seconds"] =
        benchmark::Counter(static_cast<double>(bytes) / kLineBytesPerSecond,
                           benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace rv7342
