// The transfer machine fed a full memory image from memory: the decoding and record logic
// alone, and with each record appended to a real data file as a download does.

#include <benchmark/benchmark.h>

#include "tests/temp_dir.h"
#include "tools/benchmark/full_memory.h"
#include "transfer/transfer_procedure.h"

namespace rv7342 {
namespace {

// Feeds the whole image; false when the machine did not finish on it.
bool FeedImage(TransferMachine& machine, const Bytes& image) {
    TransferMachine::Step step = TransferMachine::Step::Going;
    for (std::uint8_t byte : image) {
        step = machine.Feed(byte);
    }
    return step == TransferMachine::Step::Finished;
}

void BM_TransferMachine(benchmark::State& state) {
    const Bytes& image = FullMemoryImage();
    for (auto _ : state) {
        DecoderState decoder;
        TransferMachine machine(decoder, [](const Record& record) -> Failure {
            benchmark::DoNotOptimize(record);
            return std::nullopt;
        });
        if (!FeedImage(machine, image) || machine.RecordsWritten() != kFullMemory) {
            state.SkipWithError("the image did not give a full memory");
            return;
        }
    }
    SetByteRate(state, image.size());
}
BENCHMARK(BM_TransferMachine)->Unit(benchmark::kMillisecond);

void BM_TransferToDataFile(benchmark::State& state) {
    const Bytes& image = FullMemoryImage();
    TempDir dir;
    for (auto _ : state) {
        DecoderState decoder;
        DataFileWriter file;
        if (file.Open(dir.Path("full.dat"))) {
            state.SkipWithError("cannot create the data file");
            return;
        }
        TransferMachine machine(decoder,
                                [&file](const Record& record) { return file.Append(record); });
        if (!FeedImage(machine, image) || file.Close()) {
            state.SkipWithError("the transfer did not complete");
            return;
        }
    }
    SetByteRate(state, image.size());
}
BENCHMARK(BM_TransferToDataFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rv7342
