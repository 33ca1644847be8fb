// Reading the 32767 records of a full memory from the text of its data file.

#include <benchmark/benchmark.h>

#include "datafiles/data_file.h"
#include "tools/benchmark/full_memory.h"

namespace rv7342 {
namespace {

void BM_ReadRecords(benchmark::State& state) {
    const std::string& text = FullMemoryDataFile();
    for (auto _ : state) {
        std::vector<Record> records;
        if (const Failure failure = ReadRecordsFromText(text, kFullMemory, records)) {
            state.SkipWithError(failure->c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kFullMemory);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadRecords)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rv7342
