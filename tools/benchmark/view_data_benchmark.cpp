// View Data on a full memory: the data file read from disk into the table of a real Form2 in
// a temporary program folder, alone and together with drawing the table that follows.

#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QLineEdit>
#include <QTableView>

#include "tests/temp_dir.h"
#include "tools/benchmark/full_memory.h"
#include "ui/main/main_window.h"

namespace rv7342 {
namespace {

// A program folder with the shipped unit names and the data file of a full memory.
struct ProgramDir {
    ProgramDir() {
        dir.Write("unit2.dat", ReadFile(RV7342_SOURCE_DIR "/app/unit2.dat"));
        dir.Write("full.dat", FullMemoryDataFile());
    }
    TempDir dir;
};

// A shown window whose name box and count point at that data file.
class FullMemoryWindow {
  public:
    FullMemoryWindow() {
        window_.Text1->setText("full.dat");
        window_.State().datano = kFullMemory;
        window_.show();
        QApplication::processEvents();
    }

    // A data file that reads whole never makes ViewData stop on a message box.
    bool Ready() const {
        std::vector<Record> records;
        return !ReadRecordsFromText(program_.dir.Read("full.dat"), kFullMemory, records);
    }
    bool ShowsFullMemory() const { return window_.FGrid1->model()->rowCount() == kFullMemory; }
    Form2& Window() { return window_; }

  private:
    ProgramDir program_;
    Form2 window_{QString::fromStdString(program_.dir.Path())};
};

void RunViewData(benchmark::State& state, bool draw) {
    FullMemoryWindow full;
    if (!full.Ready()) {
        state.SkipWithError("the data file does not read whole");
        return;
    }
    for (auto _ : state) {
        full.Window().ViewData();
        if (draw) {
            QApplication::processEvents();
        }
    }
    if (!full.ShowsFullMemory()) {
        state.SkipWithError("the table does not show the full memory");
    }
    state.SetItemsProcessed(state.iterations() * kFullMemory);
}

void BM_ViewData(benchmark::State& state) {
    RunViewData(state, false);
}
BENCHMARK(BM_ViewData)->Unit(benchmark::kMillisecond);

void BM_ViewDataAndDraw(benchmark::State& state) {
    RunViewData(state, true);
}
BENCHMARK(BM_ViewDataAndDraw)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rv7342
