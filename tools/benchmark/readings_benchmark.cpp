// The readings window: a full memory opened from its data file and drawn in a new window, a
// zoom and a pan redrawn with the statistics of the range shown, a file of 3.2 million lines
// opened and drawn, with the peak memory of the process (run that one alone for a figure of
// its own: --benchmark_filter=Long), and a full memory exported as XLSX and CSV, a million
// readings as XLSX.

#include <benchmark/benchmark.h>

#include <qcustomplot.h>
#include <QApplication>

#include <cmath>
#include <fstream>
#include <memory>
#include <random>

#include "export/csv_export.h"
#include "export/xlsx_export.h"
#include "tests/temp_dir.h"
#include "tools/benchmark/full_memory.h"
#include "ui/chart/readings_chart.h"
#include "ui/readings/readings_window_set.h"

namespace rv7342 {
namespace {

constexpr int kLongFileLines = 3200000;
constexpr int kUnits = 10;

const UnitTable& ShippedNames() {
    static const UnitTable names = [] {
        UnitTable table{};
        (void)LoadUnitTable(RV7342_SOURCE_DIR "/app/unit2.dat", table);
        return table;
    }();
    return names;
}

// A full memory whose readings jump between ten units at random, each with a second value:
// ten panels, each line across the whole chart, the hardest case for drawing.
std::vector<Record> TenUnitRecords() {
    std::mt19937 random(7342);
    std::vector<Record> records;
    for (int i = 1; i <= kFullMemory; ++i) {
        const int unit = static_cast<int>(random() % kUnits);
        const double value = std::round((unit * 10 + 5 * std::sin(i / 500.0)) * 100) / 100;
        records.push_back({i, value, unit, value / 2, static_cast<int>(random() % 10)});
    }
    return records;
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
        std::string text;
        for (const Record& record : TenUnitRecords()) {
            text += FormatRecord(record);
        }
        dir.Write("ten.dat", text);
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
ReadingsWindow* OpenAndDraw(ReadingsWindowSet& windows, const QString& path) {
    ReadingsWindow* window = windows.OpenDataFile(path);
    QApplication::processEvents();
    return window;
}

bool DrawsEveryReading(ReadingsWindow* window, double readings) {
    return window && window->Chart()->graphCount() > 0 &&
           window->Chart()->ReadingRange().upper >= readings;
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
    ReadingsWindowSet windows(ShippedNames(), nullptr);
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

void BM_OpenAndDrawFullMemoryInTenUnits(benchmark::State& state) {
    RunOpen(state, "ten.dat", kFullMemory);
}
BENCHMARK(BM_OpenAndDrawFullMemoryInTenUnits)->Unit(benchmark::kMillisecond);

void BM_OpenAndDrawLongFile(benchmark::State& state) {
    RunOpen(state, "long.dat", kLongFileLines);
}
BENCHMARK(BM_OpenAndDrawLongFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// Each iteration changes the range shown of an open window, which takes the statistics of the
// new range, and redraws it at once.
void RunRedraw(benchmark::State& state, const char* name, QCPRange (*change)(QCPRange, bool)) {
    ReadingsWindowSet windows(ShippedNames(), nullptr);
    const std::unique_ptr<ReadingsWindow> window(OpenAndDraw(windows, Files().Path(name)));
    if (!window) {
        state.SkipWithError("the file did not open");
        return;
    }
    ReadingsChart* chart = window->Chart();
    bool forth = true;
    for (auto _ : state) {
        chart->SetReadingRange(change(chart->ReadingRange(), forth));
        chart->replot(QCustomPlot::rpImmediateRefresh);
        forth = !forth;
    }
}

QCPRange Zoom(QCPRange range, bool in) {
    const double half = range.size() * (in ? 0.25 : 1.0);
    return {range.center() - half, range.center() + half};
}

QCPRange Pan(QCPRange range, bool right) {
    const double shift = range.size() * (right ? 0.1 : -0.1);
    return {range.lower + shift, range.upper + shift};
}

void BM_ZoomRedrawFullMemoryInTenUnits(benchmark::State& state) {
    RunRedraw(state, "ten.dat", Zoom);
}
BENCHMARK(BM_ZoomRedrawFullMemoryInTenUnits)->Unit(benchmark::kMillisecond);

void BM_PanRedrawFullMemoryInTenUnits(benchmark::State& state) {
    RunRedraw(state, "ten.dat", Pan);
}
BENCHMARK(BM_PanRedrawFullMemoryInTenUnits)->Unit(benchmark::kMillisecond);

void BM_PanRedrawLongFile(benchmark::State& state) {
    RunRedraw(state, "long.dat", Pan);
}
BENCHMARK(BM_PanRedrawLongFile)->Unit(benchmark::kMillisecond);

// A full memory with a time axis written as XLSX and as CSV.
void RunExport(benchmark::State& state,
               Failure (*write)(const std::string&, const std::vector<Record>&, const UnitTable&,
                                const TimeAxis&, const std::vector<Conversion>&),
               const char* name) {
    const std::vector<Record> records = TenUnitRecords();
    const TimeAxis axis{10.0, ParseLocalTime("2026-12-07 08:00:00"), AxisKind::Clock};
    TempDir dir;
    for (auto _ : state) {
        if (const Failure failure = write(dir.Path(name), records, ShippedNames(), axis, {})) {
            state.SkipWithError(failure->c_str());
            return;
        }
    }
}

void BM_ExportFullMemoryAsXlsx(benchmark::State& state) {
    RunExport(state, WriteReadingsXlsx, "readings.xlsx");
}
BENCHMARK(BM_ExportFullMemoryAsXlsx)->Unit(benchmark::kMillisecond);

void BM_ExportFullMemoryAsCsv(benchmark::State& state) {
    RunExport(state, WriteReadingsCsv, "readings.csv");
}
BENCHMARK(BM_ExportFullMemoryAsCsv)->Unit(benchmark::kMillisecond);

// A million readings written as XLSX, with the peak memory of the process: the readings
// themselves take 40 MB of it (run it alone for a figure of its own:
// --benchmark_filter=Million).
void BM_ExportMillionReadingsAsXlsx(benchmark::State& state) {
    std::vector<Record> records;
    records.reserve(1000000);
    for (int i = 1; i <= 1000000; ++i) {
        records.push_back({i, (i % 997) + 0.25, i % 7, 1.5, i % 3});
    }
    const TimeAxis axis{2.0, ParseLocalTime("2026-12-07 08:00:00"), AxisKind::Clock};
    TempDir dir;
    for (auto _ : state) {
        if (const Failure failure =
                WriteReadingsXlsx(dir.Path("million.xlsx"), records, ShippedNames(), axis)) {
            state.SkipWithError(failure->c_str());
            return;
        }
    }
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_ExportMillionReadingsAsXlsx)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace rv7342
