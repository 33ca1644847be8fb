// Measuring in the readings window, on a full memory in ten units: a cursor moved by one
// reading with its readout, a limit set with its marks and statistics, each drawn at once, and
// a second full memory opened to compare.

#include <benchmark/benchmark.h>

#include <qcustomplot.h>
#include <QApplication>

#include <cmath>
#include <memory>
#include <random>

#include "tests/temp_dir.h"
#include "tools/benchmark/full_memory.h"
#include "ui/chart/cursor_lines.h"
#include "ui/chart/readings_chart.h"
#include "ui/readings/readings_window_set.h"

namespace rv7342 {
namespace {

constexpr int kUnits = 10;

struct Fixture {
    Fixture() {
        (void)LoadUnitTable(RV7342_SOURCE_DIR "/app/unit2.dat", names);
        std::mt19937 random(7342);
        std::string text;
        for (int i = 1; i <= kFullMemory; ++i) {
            const int unit = static_cast<int>(random() % kUnits);
            const double value = std::round((unit * 10 + 5 * std::sin(i / 500.0)) * 100) / 100;
            text += FormatRecord({i, value, unit, value / 2, static_cast<int>(random() % 10)});
        }
        dir.Write("ten.dat", text);
        dir.Write("other.dat", text);
        windows = std::make_unique<ReadingsWindowSet>(names, nullptr);
        window = windows->OpenDataFile(Path("ten.dat"));
        QApplication::processEvents();
    }
    QString Path(const char* name) const { return QString::fromStdString(dir.Path(name)); }

    UnitTable names{};
    TempDir dir;
    std::unique_ptr<ReadingsWindowSet> windows;
    ReadingsWindow* window = nullptr;
};

void BM_CursorMoveWithReadoutFullMemoryInTenUnits(benchmark::State& state) {
    Fixture fixture;
    ReadingsChart* chart = fixture.window->Chart();
    CursorLines* cursors = fixture.window->CursorControls();
    cursors->PlaceAtMiddle(CursorLines::Which::B);
    cursors->Place(CursorLines::Which::A, 100);
    bool forth = true;
    for (auto _ : state) {
        cursors->MoveActive(forth ? 1 : -1);
        chart->replot(QCustomPlot::rpImmediateRefresh);
        forth = !forth;
    }
    if (fixture.window->StatisticsText().indexOf(QStringLiteral("\nReading\t")) < 0) {
        state.SkipWithError("no readout");
    }
}
BENCHMARK(BM_CursorMoveWithReadoutFullMemoryInTenUnits)->Unit(benchmark::kMillisecond);

void BM_LimitSetWithMarksFullMemoryInTenUnits(benchmark::State& state) {
    Fixture fixture;
    ReadingsChart* chart = fixture.window->Chart();
    bool forth = true;
    for (auto _ : state) {
        fixture.window->SetLimits("V DC", {forth ? -2.0 : -3.0, forth ? 2.0 : 3.0});
        chart->replot(QCustomPlot::rpImmediateRefresh);
        forth = !forth;
    }
    if (fixture.window->Document().RangeLimitFigures().at(0).below == 0) {
        state.SkipWithError("no reading below the limit");
    }
    fixture.window->SetLimits("V DC", {});  // the settings keep nothing of the benchmark
}
BENCHMARK(BM_LimitSetWithMarksFullMemoryInTenUnits)->Unit(benchmark::kMillisecond);

void BM_CompareWithASecondFullMemory(benchmark::State& state) {
    Fixture fixture;
    for (auto _ : state) {
        if (fixture.window->CompareWith(fixture.Path("other.dat"))) {
            state.SkipWithError("the file to compare did not open");
            return;
        }
        QApplication::processEvents();
        state.PauseTiming();
        fixture.window->RemoveComparedFile(fixture.Path("other.dat"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CompareWithASecondFullMemory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rv7342
