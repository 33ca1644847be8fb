// The readings window: a full memory opened from its data file and drawn in a new window, a
// zoom and a pan redrawn, and a file of 3.2 million lines opened and drawn, with the peak
// memory of the process (run that one alone for a figure of its own: --benchmark_filter=Long).

#include <benchmark/benchmark.h>

#include <qcustomplot.h>
#include <QApplication>

#include <cmath>
#include <fstream>
#include <memory>

#include "tests/temp_dir.h"
#include "tools/benchmark/full_memory.h"
#include "ui/readings_window.h"

namespace rv7342 {
namespace {

constexpr int kLongFileLines = 3200000;

const UnitTable& ShippedNames() {
    static const UnitTable names = [] {
        UnitTable table{};
        (void)LoadUnitTable(RV7342_SOURCE_DIR "/app/unit2.dat", table);
        return table;
    }();
    return names;
}

// Readings of a slowly changing quantity in three units, written line by line.
void WriteLongFile(const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    for (int i = 1; i <= kLongFileLines; ++i) {
        const double value =
            std::round((20 + 5 * std::sin(i / 5000.0) + (i % 7) * 0.01) * 100) / 100;
        file << FormatRecord({i, value, (i / 100000) % 3 * 10, 50, i % 2});
    }
}

struct DataFiles {
    DataFiles() {
        dir.Write("full.dat", FullMemoryDataFile());
        WriteLongFile(dir.Path("long.dat"));
    }
    QString Path(const char* name) const { return QString::fromStdString(dir.Path(name)); }
    TempDir dir;
};

const DataFiles& Files() {
    static const DataFiles files;
    return files;
}

// Opens the file in a new readings window and lets it be shown and drawn.
ReadingsWindow* OpenAndDraw(ReadingsWindows& windows, const QString& path) {
    ReadingsWindow* window = windows.OpenDataFile(path);
    QApplication::processEvents();
    return window;
}

bool DrawsEveryReading(ReadingsWindow* window, double readings) {
    return window && window->Chart()->graphCount() > 0 &&
           window->Chart()->xAxis->range().upper >= readings;
}

double PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024;
        }
    }
    return 0;
}

void RunOpen(benchmark::State& state, const char* name, double readings) {
    const QString path = Files().Path(name);
    ReadingsWindows windows(ShippedNames(), nullptr);
    for (auto _ : state) {
        ReadingsWindow* window = OpenAndDraw(windows, path);
        state.PauseTiming();
        if (!DrawsEveryReading(window, readings)) {
            state.SkipWithError("the window does not show the whole file");
            return;
        }
        delete window;  // the next iteration opens a new window
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_OpenAndDrawFullMemory(benchmark::State& state) {
    RunOpen(state, "full.dat", kFullMemory);
}
BENCHMARK(BM_OpenAndDrawFullMemory)->Unit(benchmark::kMillisecond);

void BM_OpenAndDrawLongFile(benchmark::State& state) {
    RunOpen(state, "long.dat", kLongFileLines);
}
BENCHMARK(BM_OpenAndDrawLongFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// Each iteration changes the visible range of an open window and redraws it at once.
void RunRedraw(benchmark::State& state, const char* name, void (*change)(QCPAxis&, bool)) {
    ReadingsWindows windows(ShippedNames(), nullptr);
    const std::unique_ptr<ReadingsWindow> window(OpenAndDraw(windows, Files().Path(name)));
    if (!window) {
        state.SkipWithError("the file did not open");
        return;
    }
    QCustomPlot* chart = window->Chart();
    bool forth = true;
    for (auto _ : state) {
        change(*chart->xAxis, forth);
        chart->replot(QCustomPlot::rpImmediateRefresh);
        forth = !forth;
    }
}

void Zoom(QCPAxis& axis, bool in) {
    axis.scaleRange(in ? 0.5 : 2.0, axis.range().center());
}

void Pan(QCPAxis& axis, bool right) {
    axis.moveRange(axis.range().size() * (right ? 0.1 : -0.1));
}

void BM_ZoomRedrawFullMemory(benchmark::State& state) {
    RunRedraw(state, "full.dat", Zoom);
}
BENCHMARK(BM_ZoomRedrawFullMemory)->Unit(benchmark::kMillisecond);

void BM_PanRedrawFullMemory(benchmark::State& state) {
    RunRedraw(state, "full.dat", Pan);
}
BENCHMARK(BM_PanRedrawFullMemory)->Unit(benchmark::kMillisecond);

void BM_PanRedrawLongFile(benchmark::State& state) {
    RunRedraw(state, "long.dat", Pan);
}
BENCHMARK(BM_PanRedrawLongFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rv7342
