#include "ui/readings_window.h"

#include <qcustomplot.h>
#include <QLabel>
#include <QMimeData>
#include <QTableWidget>
#include <QTest>
#include <QToolTip>
#include <QUrl>

#include <tuple>

#include <gtest/gtest.h>

#include "tests/message_boxes.h"
#include "tests/temp_dir.h"

namespace rv7342 {
namespace {

// Twelve readings whose statistics are known: the first values in V DC are 2, 4, 4, 4, 5, 5,
// 7, 9 (mean 5, sample deviation sqrt(32/7)) and two that are no measurement; two in unit 57,
// which the shipped table does not name; second values of 0 in V DC and 50, 60 in V AC.
const char* const kKnownFile =
    "1,2,0,0,0\r\n2,4,0,0,0\r\n3,4,0,50,1\r\n4,4,57,0,0\r\n5,4,0,0,0\r\n6,5,0,0,0\r\n"
    "7,1E+39,0,0,0\r\n8,5,0,0,0\r\n9,7,0,60,1\r\n10,9,0,0,0\r\n11,-3.5,57,0,0\r\n"
    "12,-1E+400,0,0,0\r\n";

class ReadingsWindowTest : public testing::Test {
  protected:
    ReadingsWindowTest() {
        EXPECT_EQ(LoadUnitTable(RV7342_SOURCE_DIR "/app/unit2.dat", names), std::nullopt);
        dir.Write("known.dat", kKnownFile);
    }

    QString Path(const std::string& name) const { return QString::fromStdString(dir.Path(name)); }

    // The window, shown and drawn, as a user sees it.
    ReadingsWindow* Open(const std::string& name) {
        ReadingsWindow* window = windows.OpenDataFile(Path(name));
        if (window) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
            window->Chart()->replot();
        }
        return window;
    }

    static QStringList Row(const ReadingsWindow& window, int row) {
        QStringList cells;
        for (int column = 0; column < window.StatisticsTable()->columnCount(); ++column) {
            cells << window.StatisticsTable()->item(row, column)->text();
        }
        return cells;
    }

    UnitTable names{};
    TempDir dir;
    MessageBoxAnswerer boxes;
    QWidget owner;
    ReadingsWindows windows{names, &owner};
};

TEST_F(ReadingsWindowTest, SeriesLegendStatisticsAndTheirVisibility) {
    ReadingsWindow* window = Open("known.dat");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_FALSE(window->isModal());

    QCustomPlot* chart = window->Chart();
    const std::tuple<QString, bool, QStringList> expected[] = {
        {"V DC", true, {"8", "2", "9", "5", "2.13809", "1", "12", "2"}},
        {"unit 57", true, {"2", "-3.5", "4", "0.25", "5.303301", "4", "11", "0"}},
        {"V DC (second display)", false, {"10", "0", "0", "0", "0", "1", "12", "0"}},
        {"V AC (second display)", false, {"2", "50", "60", "55", "7.071068", "3", "9", "0"}},
    };
    ASSERT_EQ(chart->graphCount(), 4);
    ASSERT_EQ(chart->legend->itemCount(), 4);
    ASSERT_EQ(window->StatisticsTable()->rowCount(), 4);
    for (int i = 0; i < 4; ++i) {
        const auto& [name, shown, statistics] = expected[i];
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(chart->graph(i)->name(), name);
        EXPECT_EQ(Row(*window, i), QStringList{name} + statistics);
        EXPECT_EQ(window->SeriesShown(i), shown);
        EXPECT_EQ(window->StatisticsTable()->item(i, 0)->checkState() == Qt::Checked, shown);
    }
    EXPECT_EQ(chart->graph(0)->data()->size(), 8) << "left-out values are not drawn";
    const QString summary = window->Summary()->text();
    EXPECT_TRUE(summary.contains("12 readings") && summary.contains("2 values are not finite"))
        << summary.toStdString();

    // A click on a legend entry shows its series; unticking its table row hides it.
    auto* entry = chart->legend->itemWithPlottable(chart->graph(3));
    QTest::mouseClick(chart, Qt::LeftButton, {}, entry->rect().center());
    EXPECT_TRUE(window->SeriesShown(3));
    EXPECT_EQ(window->StatisticsTable()->item(3, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(chart->graph(3)->data()->size(), 2) << "its points are drawn once shown";
    window->StatisticsTable()->item(0, 0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(window->SeriesShown(0));
    window->ShowWholeMemory();
    EXPECT_LT(chart->yAxis->range().lower, 0) << "unit 57 holds -3.5";
    EXPECT_GT(chart->yAxis->range().upper, 60) << "V AC second values go to 60";
    EXPECT_LT(chart->yAxis->range().upper, 80);
}

TEST_F(ReadingsWindowTest, EachFailingFileIsReportedOnceWithItsFullPath) {
    dir.Write("bad.dat", "1,2,0,0,0\r\n2,3,0,0,0\r\n3,oops,0,0,0\r\n4,5,0,0,0\r\n");
    dir.Write("empty.dat", "");
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"bad.dat", true, "line 3: the value"},
        {"empty.dat", false, "holds no readings"},
        {"missing.dat", false, "No such file"}};
    for (const auto& [name, shown, reason] : cases) {
        SCOPED_TRACE(name);
        boxes.seen.clear();
        ReadingsWindow* window = Open(name);
        EXPECT_EQ(window != nullptr, shown);
        ASSERT_EQ(boxes.seen.size(), 1u);
        const QString& text = boxes.seen[0].text;
        EXPECT_TRUE(text.contains(Path(name)) && text.contains(reason)) << text.toStdString();
        EXPECT_EQ(text.contains("The 2 readings read before it are shown"), shown);
        EXPECT_TRUE(!window || Row(*window, 0).mid(0, 2) == QStringList({"V DC", "2"}));
    }
}

TEST_F(ReadingsWindowTest, OneWindowPerFileShowingWhatWasLastReadAndDropsOpenOthers) {
    ReadingsWindow* first = windows.OpenTransferredRecords(Path("known.dat"), 3);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Row(*first, 0).mid(0, 2), (QStringList{"V DC", "3"})) << "the count transferred";
    dir.Write("known.dat", "1,7.5,0,0,0\r\n");
    EXPECT_EQ(Open("known.dat"), first);
    EXPECT_EQ(Row(*first, 0).mid(0, 3), (QStringList{"V DC", "1", "7.5"}));

    dir.Write("other.dat", "1,1,0,0,0\r\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("other.dat"))});
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(first, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(first, &drop);
    ReadingsWindow* other = windows.Find(Path("other.dat"));
    ASSERT_NE(other, nullptr) << "a file dropped on a readings window opens";
    EXPECT_NE(other, first);
    EXPECT_TRUE(other->isWindow() && other->isVisible());
    EXPECT_EQ(other->parentWidget(), &owner) << "closes with the main window";
    EXPECT_TRUE(boxes.seen.empty());
}

// Wheel, box zoom by either drag, pan by drag and key, and Ctrl+0 back to the whole memory.
TEST_F(ReadingsWindowTest, ZoomPanAndBackToTheWholeMemory) {
    ReadingsWindow* window = Open("known.dat");
    QCustomPlot* chart = window->Chart();
    const QCPRange whole = chart->xAxis->range();
    EXPECT_TRUE(whole.lower < 1 && whole.upper > 12);
    const auto wholeAgain = [&] {
        QTest::keyClick(window, Qt::Key_0, Qt::ControlModifier);
        EXPECT_EQ(chart->xAxis->range(), whole) << "Ctrl+0 shows the whole memory";
    };
    const QRect area = chart->axisRect()->rect();
    const QPoint quarter(area.left() + area.width() / 4, area.top() + 10);
    const QPoint half(area.left() + area.width() / 2, area.bottom() - 10);
    const double quarterX = chart->xAxis->pixelToCoord(quarter.x());
    const auto drag = [&](Qt::MouseButton button, Qt::KeyboardModifier key, QPoint from,
                          QPoint to) {
        QTest::mousePress(chart, button, key, from);
        QTest::mouseMove(chart, to);
        QTest::mouseRelease(chart, button, key, to);
    };

    QWheelEvent wheel(half, chart->mapToGlobal(half), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart, &wheel);
    EXPECT_LT(chart->xAxis->range().size(), whole.size()) << "the wheel zooms the readings";
    for (const auto& [button, key] : {std::pair{Qt::RightButton, Qt::NoModifier},
                                      std::pair{Qt::LeftButton, Qt::ControlModifier}}) {
        SCOPED_TRACE(button == Qt::RightButton ? "right button" : "Ctrl and left button");
        wholeAgain();
        drag(button, key, quarter, half);
        EXPECT_NEAR(chart->xAxis->range().lower, quarterX, 0.1) << "the box drawn is zoomed to";
        EXPECT_NEAR(chart->xAxis->range().size(), whole.size() / 4, whole.size() / 20);
    }
    wholeAgain();
    drag(Qt::LeftButton, Qt::NoModifier, half, quarter);
    EXPECT_NEAR(chart->xAxis->range().size(), whole.size(), 1E-9) << "a plain drag pans";
    EXPECT_NEAR(chart->xAxis->range().lower, quarterX, whole.size() / 20);
    QTest::keyClick(window, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_GT(chart->xAxis->range().lower, quarterX + whole.size() / 20) << "Ctrl+Right pans";
    wholeAgain();
}

TEST_F(ReadingsWindowTest, HoverNamesTheReadingItsValueAndUnit) {
    ReadingsWindow* window = Open("known.dat");
    QCustomPlot* chart = window->Chart();
    const QPointF eleventh(chart->xAxis->coordToPixel(11), chart->yAxis->coordToPixel(-3.5));
    EXPECT_EQ(window->DescribePointAt(eleventh + QPointF(3, -2)), "Reading 11: -3.5 unit 57");
    EXPECT_EQ(window->DescribePointAt(eleventh + QPointF(0, -40)), "");

    QTest::mouseMove(chart, eleventh.toPoint());
    EXPECT_EQ(QToolTip::text(), "Reading 11: -3.5 unit 57");
}

// Copying the statistics is checked on the clipboard by open_file_test.sh.
TEST_F(ReadingsWindowTest, ChartSavedInEachFormatOrAReasonNamingTheFile) {
    ReadingsWindow* window = Open("known.dat");
    const std::pair<const char*, std::string> formats[] = {
        {"chart.png", "\x89PNG"}, {"chart.svg", "<?xml"}, {"chart.pdf", "%PDF"}};
    for (const auto& [name, start] : formats) {
        SCOPED_TRACE(name);
        EXPECT_EQ(window->SaveChart(Path(name)), std::nullopt);
        EXPECT_EQ(dir.Read(name).substr(0, start.size()), start);
        EXPECT_GT(dir.Read(name).size(), 1000u);
    }
    EXPECT_TRUE(QString::fromStdString(dir.Read("chart.svg")).contains("unit 57"))
        << "the legend is in the drawing";

    for (const QString& path : {Path("chart.txt"), Path("missing/chart.png")}) {
        EXPECT_TRUE(window->SaveChart(path).value_or("").contains(path)) << path.toStdString();
    }
}

TEST_F(ReadingsWindowTest, ALongFileIsDrawnWithAFewPointsPerColumnAndItsSpike) {
    std::string text;
    for (int i = 1; i <= 200000; ++i) {
        text += FormatRecord({i, i == 123457 ? 99.0 : 1.0, 0, 0, 0});
    }
    dir.Write("long.dat", text);
    ReadingsWindow* window = Open("long.dat");
    QCPGraph* graph = window->Chart()->graph(0);
    EXPECT_LE(graph->data()->size(), 4 * window->Chart()->axisRect()->width() + 2);
    EXPECT_TRUE(std::any_of(graph->data()->constBegin(), graph->data()->constEnd(),
                            [](const QCPGraphData& point) { return point.value == 99.0; }));
}

}  // namespace
}  // namespace rv7342
