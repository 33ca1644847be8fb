#include "ui/chart/readings_chart.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/temp_dir.h"
#include "tests/window_fixture.h"
#include "ui/chart/chart_saving.h"

namespace rv7342 {
namespace {

// A chart as a program without a window fills and saves it: never shown, at a size of its own.
TEST(ReadingsChart, FilledAndSavedWithoutAWindowAtTheSizeAskedFor) {
    UnitTable names{};
    ASSERT_EQ(LoadUnitTable(RV7342_SOURCE_DIR "/app/unit2.dat", names), std::nullopt);
    std::vector<Record> records;
    for (int i = 1; i <= 2000; ++i) {
        records.push_back({i, i <= 1000 ? 20 + i * 0.01 : -i * 0.001, i <= 1000 ? 20 : 0, 0, 0});
    }
    ReadingsDocument document("chart.dat", records, names);
    ReadingsChart chart(document);
    chart.SetTimeAxis({10.0, std::nullopt, AxisKind::Elapsed});
    chart.SetReadingRange({500, 1500});
    ASSERT_EQ(chart.Panels().size(), 2);
    EXPECT_EQ(chart.Panels()[0]->axis(QCPAxis::atLeft)->label(), "V DC");
    EXPECT_EQ(chart.Panels()[1]->axis(QCPAxis::atLeft)->label(), "deg C");

    TempDir dir;
    const QString path = QString::fromStdString(dir.Path("chart.png"));
    ASSERT_EQ(SaveChart(chart, path, QSize(1200, 700), "chart"), std::nullopt);
    const QImage image(path);
    EXPECT_EQ(image.size(), QSize(1200, 700));
    EXPECT_GT(chart.graph(0)->data()->size(), 100) << "the lines are drawn";
    EXPECT_EQ(chart.ReadingRange(), QCPRange(500, 1500)) << "the range asked for";
    EXPECT_EQ(chart.Panels()[1]->axis(QCPAxis::atBottom)->label(), "Elapsed time");
    EXPECT_TRUE(SaveChart(chart, path, QSize(0, 700), "chart").has_value());
}

// Shift+wheel zooms the values of the panel under the pointer, and of no other.
TEST(ReadingsChart, ShiftWheelZoomsTheValuesOfThePanelUnderThePointer) {
    const UnitTable names{};
    ReadingsDocument document("chart.dat", {{1, 1, 0, 0, 0}, {2, 5, 3, 0, 0}, {3, 2, 0, 0, 0}},
                              names);
    ReadingsChart chart(document);
    chart.resize(800, 500);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart, kWindowDeadlineMs));
    chart.replot();
    const QList<QCPAxisRect*> panels = chart.Panels();
    ASSERT_EQ(panels.size(), 2);
    const QCPRange readings = chart.ReadingRange();
    const QCPRange top = panels[0]->axis(QCPAxis::atLeft)->range();
    const QCPRange bottom = panels[1]->axis(QCPAxis::atLeft)->range();
    const QPointF at = panels[1]->rect().center();
    QWheelEvent wheel(at, chart.mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::ShiftModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart, &wheel);
    EXPECT_LT(panels[1]->axis(QCPAxis::atLeft)->range().size(), bottom.size());
    EXPECT_EQ(panels[0]->axis(QCPAxis::atLeft)->range(), top);
    EXPECT_EQ(chart.ReadingRange(), readings);
    chart.ShowWholeMemory();
    EXPECT_EQ(panels[1]->axis(QCPAxis::atLeft)->range(), bottom) << "Whole memory brings it back";
}

// The window's Save chart and rv7342-cli plot take the same names, and give the same title.
TEST(ChartSaving, TheImageFormatOfANameAndTheTitleOfAFile) {
    const std::pair<const char*, std::optional<ImageFormat>> names[] = {
        {"run.PNG", ImageFormat::Png}, {"/tmp/a.b.svg", ImageFormat::Svg},
        {"run.pdf", ImageFormat::Pdf}, {"run.jpg", std::nullopt},
        {"png", std::nullopt},         {"run.png/", std::nullopt}};
    for (const auto& [name, format] : names) {
        EXPECT_EQ(ImageFormatOf(QString::fromLatin1(name)), format) << name;
    }
    EXPECT_EQ(ReadingsTitle(QStringLiteral("/data/261207.dat")), "261207.dat - Readings");
}

}  // namespace
}  // namespace rv7342
