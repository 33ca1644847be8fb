#include "ui/readings/readings_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTableView>
#include <QToolTip>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <tuple>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>

#include "tests/child_process.h"
#endif

#include "tests/shown_text.h"
#include "tests/svg_chart.h"
#include "tests/window_fixture.h"
#include "ui/chart/cursor_lines.h"
#include "ui/chart/limit_marks.h"
#include "ui/readings/conversions_dialog.h"
#include "ui/readings/statistics_model.h"
#include "ui/readings/time_axis_bar.h"
#include "ui/readings/two_point_dialog.h"

namespace rv7342 {
namespace {

// Twelve readings whose statistics are known: the first values in V DC are 2, 4, 4, 4, 5, 5,
// 7, 9 (mean 5, sample deviation sqrt(32/7)) and two that are no measurement; two in unit 57,
// which the shipped table does not name; second values 50, 60 in V AC, and the 0,0 of
// single-value readings.
const char* const kKnownFile =
    "1,2,0,0,0\r\n2,4,0,0,0\r\n3,4,0,50,1\r\n4,4,57,0,0\r\n5,4,0,0,0\r\n6,5,0,0,0\r\n"
    "7,1E+39,0,0,0\r\n8,5,0,0,0\r\n9,7,0,60,1\r\n10,9,0,0,0\r\n11,-3.5,57,0,0\r\n"
    "12,-1E+400,0,0,0\r\n";

class ReadingsWindowTest : public ReadingsWindowsTest {
  protected:
    ReadingsWindowTest() { dir.Write("known.dat", kKnownFile); }

    // Types the logging interval, and ticks Started at with `start`, as a user does.
    static void SetTime(ReadingsWindow& window, const char* interval,
                        std::optional<QDateTime> start = std::nullopt) {
        TimeAxisBar* bar = window.TimeAxisControls();
        QTest::keyClicks(bar->IntervalField(), interval);
        if (start) {
            bar->StartField()->setDateTime(*start);
            QTest::mouseClick(bar->StartBox(), Qt::LeftButton);
        }
    }

    static QStringList Row(const ReadingsWindow& window, int row) {
        return rv7342::Row(*window.StatisticsTable()->model(), row);
    }

    static QStringList PanelTitles(const ReadingsChart& chart) {
        QStringList titles;
        for (QCPAxisRect* panel : chart.Panels()) {
            titles << panel->axis(QCPAxis::atLeft)->label();
        }
        return titles;
    }

    MessageBoxAnswerer boxes;
};

// A window of the file of known statistics, opened for each test.
class KnownFileWindow : public ReadingsWindowTest {
  protected:
    void SetUp() override {
        window = Open("known.dat");
        ASSERT_NE(window, nullptr);
    }

    ReadingsWindow* window = nullptr;
};

TEST_F(ReadingsWindowTest, SeriesLegendStatisticsAndTheirVisibility) {
    ReadingsWindow* window = Open("known.dat");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_FALSE(window->isModal());

    ReadingsChart* chart = window->Chart();
    const std::tuple<QString, bool, QStringList> expected[] = {
        {"V DC", true, {"8", "2", "9", "5", "2.13809", "1", "12", "2"}},
        {"unit 57", true, {"2", "-3.5", "4", "0.25", "5.303301", "4", "11", "0"}},
        {"V AC (second display)", false, {"2", "50", "60", "55", "7.071068", "3", "9", "0"}},
    };
    ASSERT_EQ(chart->graphCount(), 3) << "no series of the zeros of single-value readings";
    ASSERT_EQ(chart->legend->itemCount(), 3);
    ASSERT_EQ(window->StatisticsTable()->model()->rowCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const auto& [name, shown, statistics] = expected[i];
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(chart->graph(i)->name(), name);
        EXPECT_EQ(Row(*window, i), QStringList{name} + Decimals(statistics));
        EXPECT_EQ(window->SeriesShown(i), shown);
        EXPECT_EQ(window->Statistics()->index(i, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked,
                  shown);
    }
    EXPECT_EQ(chart->graph(0)->data()->size(), 8) << "left-out values are not drawn";
    EXPECT_TRUE(window->Summary()->text().startsWith("12 readings of "));
    EXPECT_TRUE(Contains(window->Summary()->text(), "2 values are not finite"));
    EXPECT_EQ(window->Summary()->parentWidget(), window->statusBar());

    // A click on a legend entry shows its series; unticking its table row hides it.
    auto* entry = chart->legend->itemWithPlottable(chart->graph(2));
    QTest::mouseClick(chart, Qt::LeftButton, {}, entry->rect().center());
    EXPECT_TRUE(window->SeriesShown(2));
    EXPECT_EQ(window->Statistics()->index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    chart->replot();
    EXPECT_EQ(chart->graph(2)->data()->size(), 2) << "its points are drawn once shown";
    window->Statistics()->setData(window->Statistics()->index(0, 0), Qt::Unchecked,
                                  Qt::CheckStateRole);
    EXPECT_FALSE(window->SeriesShown(0));
}

// A panel per unit shown, titled with the unit, all on one readings axis.
TEST_F(KnownFileWindow, APanelPerUnitShownSharingTheReadingsAxis) {
    ReadingsChart* chart = window->Chart();
    EXPECT_EQ(PanelTitles(*chart), (QStringList{"V DC", "unit 57"}));
    const QList<QCPAxisRect*> two = chart->Panels();
    EXPECT_EQ(two[0]->left(), two[1]->left()) << "left edges line up";
    EXPECT_LT(two[0]->top(), two[1]->top());
    EXPECT_EQ(chart->graph(1)->valueAxis(), two[1]->axis(QCPAxis::atLeft));

    window->ShowSeries(2, true);
    EXPECT_EQ(PanelTitles(*chart), (QStringList{"V DC", "unit 57", "V AC"}))
        << "the second display's unit gets its panel when shown";
    window->ShowSeries(1, false);
    EXPECT_EQ(PanelTitles(*chart), (QStringList{"V DC", "V AC"})) << "its last series hidden";
    window->ShowSeries(1, true);
    EXPECT_EQ(PanelTitles(*chart), (QStringList{"V DC", "unit 57", "V AC"}));
    chart->replot();
    const QList<QCPAxisRect*> three = chart->Panels();
    EXPECT_FALSE(three[0]->axis(QCPAxis::atBottom)->tickLabels());
    EXPECT_TRUE(three[2]->axis(QCPAxis::atBottom)->tickLabels()) << "labels under the lowest";
    EXPECT_EQ(three[2]->axis(QCPAxis::atBottom)->label(), "Reading No.");

    // Each panel spans its own values, whatever their sign.
    const QCPRange negative = three[1]->axis(QCPAxis::atLeft)->range();
    EXPECT_TRUE(negative.lower < -3.5 && negative.upper > 4 && negative.upper < 5);
    const QCPRange ac = three[2]->axis(QCPAxis::atLeft)->range();
    EXPECT_TRUE(ac.lower < 50 && ac.lower > 40 && ac.upper > 60 && ac.upper < 70);

    // A box drawn zooms its own panel's values and every panel's readings.
    const QCPRange top = three[0]->axis(QCPAxis::atLeft)->range();
    const QRect area = three[2]->rect();
    const QPoint from(area.left() + area.width() / 4, area.top() + 5);
    const QPoint to(area.left() + area.width() / 2, area.top() + area.height() / 2);
    QTest::mousePress(chart, Qt::RightButton, {}, from);
    QTest::mouseMove(chart, to);
    QTest::mouseRelease(chart, Qt::RightButton, {}, to);
    EXPECT_LT(three[2]->axis(QCPAxis::atLeft)->range().size(), ac.size() * 0.6);
    EXPECT_EQ(three[0]->axis(QCPAxis::atLeft)->range(), top) << "other panels keep their values";
    for (QCPAxisRect* panel : three) {
        EXPECT_EQ(panel->axis(QCPAxis::atBottom)->range(), chart->ReadingRange());
    }
    EXPECT_LT(chart->ReadingRange().size(), 5);
}

TEST_F(ReadingsWindowTest, ManyUnitsKeepTheirHeightAndScroll) {
    std::string text;
    for (int i = 1; i <= 30; ++i) {
        text +=
            std::to_string(i) + "," + std::to_string(i) + "," + std::to_string(i % 10) + ",0,0\r\n";
    }
    dir.Write("ten.dat", text);
    ReadingsWindow* window = Open("ten.dat");
    ASSERT_NE(window, nullptr);
    ReadingsChart* chart = window->Chart();
    ASSERT_EQ(chart->Panels().size(), 10);
    for (QCPAxisRect* panel : chart->Panels()) {
        EXPECT_NEAR(panel->outerRect().height(), 100, 10) << "about 100 pixels each";
    }
    auto* scroll = qobject_cast<QScrollArea*>(chart->parentWidget()->parentWidget());
    ASSERT_NE(scroll, nullptr);
    EXPECT_GT(chart->height(), scroll->viewport()->height()) << "the chart scrolls";
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
        EXPECT_TRUE(Contains(boxes.seen[0].text, Path(name)));
        EXPECT_TRUE(Contains(boxes.seen[0].text, reason));
        EXPECT_EQ(boxes.seen[0].text.contains("The 2 readings read before it are shown"), shown);
        EXPECT_TRUE(!window || Row(*window, 0).mid(0, 2) == QStringList({"V DC", "2"}));
    }
}

TEST_F(ReadingsWindowTest, OneWindowPerFileShowingWhatWasLastReadAndDropsOpenOthers) {
    ReadingsWindow* first = windows.OpenTransferredRecords(Path("known.dat"), 3);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Row(*first, 0).mid(0, 2), (QStringList{"V DC", "3"})) << "the count transferred";
    dir.Write("known.dat", "1,7.5,0,0,0\r\n");
    ASSERT_EQ(Open("known.dat"), first);
    EXPECT_EQ(Row(*first, 0).mid(0, 3), (QStringList{"V DC", "1", "7.5"}));

    dir.Write("other.dat", "1,1,0,0,0\r\n");
    ASSERT_TRUE(DropFile(first, Path("other.dat")));
    ReadingsWindow* other = windows.Find(Path("other.dat"));
    ASSERT_NE(other, nullptr) << "a file dropped on a readings window opens";
    EXPECT_NE(other, first);
    EXPECT_TRUE(other->isWindow() && other->isVisible());
    EXPECT_EQ(other->parentWidget(), &owner) << "closes with the main window";
    EXPECT_TRUE(boxes.seen.empty());
}

// Wheel, box zoom by either drag, pan by drag, and Ctrl+0 back to the whole memory (the menus'
// table holds the other keys); the range statistics and their line follow.
TEST_F(KnownFileWindow, ZoomPanAndTheStatisticsOfTheRangeShown) {
    ReadingsChart* chart = window->Chart();
    const QCPRange whole = chart->ReadingRange();
    EXPECT_TRUE(whole.lower < 1 && whole.upper > 12);
    EXPECT_EQ(window->RangeLine()->text(), "All 12 readings");
    const auto wholeAgain = [&] {
        QTest::keyClick(window, Qt::Key_0, Qt::ControlModifier);
        EXPECT_EQ(chart->ReadingRange(), whole) << "Ctrl+0 shows the whole memory";
        EXPECT_EQ(window->RangeLine()->text(), "All 12 readings");
    };
    const QRect area = chart->Panels()[0]->rect();
    const QPoint quarter(area.left() + area.width() / 4, area.top() + 10);
    const QPoint half(area.left() + area.width() / 2, area.bottom() - 10);
    const QCPAxis* readings = chart->Panels()[0]->axis(QCPAxis::atBottom);
    const double quarterX = readings->pixelToCoord(quarter.x());
    const auto drag = [&](Qt::MouseButton button, Qt::KeyboardModifier key, QPoint from,
                          QPoint to) {
        QTest::mousePress(chart, button, key, from);
        QTest::mouseMove(chart, to);
        QTest::mouseRelease(chart, button, key, to);
    };

    QWheelEvent wheel(half, chart->mapToGlobal(half), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart, &wheel);
    EXPECT_LT(chart->ReadingRange().size(), whole.size()) << "the wheel zooms the readings";
    EXPECT_EQ(chart->Panels()[1]->axis(QCPAxis::atBottom)->range(), chart->ReadingRange())
        << "in every panel";
    for (const auto& [button, key] : {std::pair{Qt::RightButton, Qt::NoModifier},
                                      std::pair{Qt::LeftButton, Qt::ControlModifier}}) {
        SCOPED_TRACE(button == Qt::RightButton ? "right button" : "Ctrl and left button");
        wholeAgain();
        drag(button, key, quarter, half);
        EXPECT_NEAR(chart->ReadingRange().lower, quarterX, 0.1) << "the box drawn is zoomed to";
        EXPECT_NEAR(chart->ReadingRange().size(), whole.size() / 4, whole.size() / 20);
    }
    wholeAgain();
    drag(Qt::LeftButton, Qt::NoModifier, half, quarter);
    EXPECT_NEAR(chart->ReadingRange().size(), whole.size(), 1E-9) << "a plain drag pans";
    EXPECT_NEAR(chart->ReadingRange().lower, quarterX, whole.size() / 20);

    // Readings 4 to 6 shown: V DC's 4 and 5, unit 57's 4.
    chart->SetReadingRange({3.5, 6.5});
    EXPECT_EQ(window->RangeLine()->text(), "Readings 4\u20136 of 12");
    EXPECT_EQ(Row(*window, 0),
              (QStringList{"V DC", "2", "4", "5", "4.5", "0.7071068", "5", "6", "0"}));
    EXPECT_EQ(Row(*window, 1), (QStringList{"unit 57", "1", "4", "4", "4", "", "4", "4", "0"}));
    EXPECT_EQ(Row(*window, 2),
              (QStringList{"V AC (second display)", "0", "", "", "", "", "", "", "0"}));
    EXPECT_TRUE(window->StatisticsText().startsWith(
        "Readings 4\u20136 of 12\nSeries\tCount\tMinimum\tMaximum\tMean\tStd. deviation\t"
        "First reading\tLast reading\tLeft out\nV DC\t2\t4\t5\t4.5\t0.7071068\t5\t6\t0\n"))
        << window->StatisticsText().toStdString();
    wholeAgain();
    EXPECT_EQ(Row(*window, 0)[1], "8");
}

TEST_F(KnownFileWindow, HoverNamesTheReadingItsTimeValueAndUnit) {
    ReadingsChart* chart = window->Chart();
    QCPAxisRect* panel = chart->Panels()[1];
    const QPointF eleventh(panel->axis(QCPAxis::atBottom)->coordToPixel(11),
                           panel->axis(QCPAxis::atLeft)->coordToPixel(-3.5));
    EXPECT_EQ(chart->DescribePointAt(eleventh + QPointF(3, -2)), "Reading 11: -3.5 unit 57");
    EXPECT_EQ(chart->DescribePointAt(eleventh + QPointF(0, -40)), "");
    QTest::mouseMove(chart, eleventh.toPoint());
    EXPECT_EQ(QToolTip::text(), "Reading 11: -3.5 unit 57");
    EXPECT_EQ(window->statusBar()->currentMessage(), "Reading 11: -3.5 unit 57");
    QTest::mouseMove(chart, (eleventh + QPointF(0, -40)).toPoint());
    EXPECT_EQ(window->statusBar()->currentMessage(), "") << "off the points";

    chart->SetTimeAxis({10.0, std::nullopt, AxisKind::Elapsed});
    EXPECT_EQ(chart->DescribePointAt(eleventh), "Reading 11 (0:01:40): -3.5 unit 57");
}

// Both cursors placed and moved, their readout read, and the statistics between them, by
// keyboard alone on a file logged every 10 s.
TEST_F(KnownFileWindow, CursorsPlacedMovedAndReadByKeyboardAlone) {
    QTest::keyClicks(window->TimeAxisControls()->IntervalField(), "10");
    ReadingsChart* chart = window->Chart();
    CursorLines* cursors = window->CursorControls();
    const auto toldHowToPlace = [this] {
        const QList<QLabel*> labels = window->ReadoutPane()->findChildren<QLabel*>();
        return std::any_of(labels.begin(), labels.end(), [](const QLabel* label) {
            return label->isVisible() && label->text().contains("press A or B");
        });
    };
    EXPECT_FALSE(window->Readout()->isVisible());
    EXPECT_TRUE(toldHowToPlace()) << "the readout pane says how to place a cursor";
    EXPECT_FALSE(window->BetweenCursorsBox()->isEnabled());

    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_A);  // the middle of readings 1 to 12
    EXPECT_EQ(cursors->A(), 6);
    EXPECT_TRUE(window->Readout()->isVisible());
    EXPECT_FALSE(toldHowToPlace());
    QTest::keyClick(chart, Qt::Key_B);
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(chart, Qt::Key_Right);  // B, the active one, by a reading each
    }
    EXPECT_EQ(cursors->B(), 10);
    EXPECT_EQ(cursors->A(), 6);
    const QString text = window->StatisticsText();
    EXPECT_TRUE(Contains(text, "\nReading\t6 (0:00:50)\t10 (0:01:30)\t4 readings, 0:00:40\t\n"));
    EXPECT_TRUE(Contains(text, "\nV DC\t5\t9\t4\t6 /min\n")) << "4 V in 40 s";
    EXPECT_TRUE(Contains(text, "\nunit 57\t4\t4\t0\t\n")) << "the reading before each cursor";
    EXPECT_FALSE(text.mid(text.indexOf("\nReading\t")).contains("V AC")) << "only the series shown";
    EXPECT_TRUE(window->Readout()->text().contains("6 /min"));

    QTest::keyClick(chart, Qt::Key_S);  // A active
    QTest::keyClick(chart, Qt::Key_Left);
    EXPECT_EQ(cursors->A(), 5);
    QTest::keyClick(chart, Qt::Key_Right, Qt::ShiftModifier);  // a tenth of 11.2 readings
    EXPECT_EQ(cursors->A(), 6);
    QTest::keyClick(chart, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(cursors->A(), 7);

    QCheckBox* between = window->BetweenCursorsBox();
    ASSERT_TRUE(between->isEnabled());
    between->setFocus();
    QTest::keyClick(between, Qt::Key_Space);
    EXPECT_EQ(window->RangeLine()->text(),
              "Between the cursors: Readings 7\u201310 of 12 (0:01:00\u20130:01:30)");
    EXPECT_EQ(Row(*window, 0).mid(0, 5), (QStringList{"V DC", "3", "5", "9", "7"}));

    chart->ZoomBy(0.5);
    chart->PanBy(0.25);
    window->ShowWholeMemory();
    EXPECT_EQ(cursors->A(), 7) << "kept while zooming, panning and by Whole memory";
    EXPECT_EQ(cursors->B(), 10);
    EXPECT_TRUE(window->RangeLine()->text().startsWith("Between the cursors"));

    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_Escape);
    EXPECT_FALSE(cursors->AnyPlaced());
    EXPECT_FALSE(window->Readout()->isVisible());
    EXPECT_FALSE(window->BetweenCursorsBox()->isEnabled());
    EXPECT_EQ(window->RangeLine()->text(), "All 12 readings");
    EXPECT_FALSE(window->StatisticsText().contains("Reading\t"));
}

// A limit typed into the statistics table marks the readings outside it, counts them and the
// time outside, and is there again when the file is reopened.
TEST_F(KnownFileWindow, LimitsSetInTheTableByKeyboardAndRemembered) {
    QTest::keyClicks(window->TimeAxisControls()->IntervalField(), "10");
    QTableView* table = window->StatisticsTable();
    EXPECT_EQ(table->model()->columnCount(), 9) << "no limit columns until asked for";
    window->LimitsBox()->setFocus();
    QTest::keyClick(window->LimitsBox(), Qt::Key_Space);
    ASSERT_EQ(table->model()->columnCount(), 15);

    // Types `text` into the cell of V DC's row, `right` cells right of its name.
    const auto type = [table](int right, const char* text) {
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < right; ++i) {
            QTest::keyClick(table, Qt::Key_Right);
        }
        QTest::keyClick(table, Qt::Key_F2);
        auto* editor = table->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();  // the table takes what was typed once back in its loop
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // and the editor goes
    };
    type(9, "4");  // V DC's 4s lie on it: within
    EXPECT_EQ(Row(*window, 0).mid(9), (QStringList{"4", "", "1", "", "0:00:10", "1 (0:00:00)"}));
    EXPECT_EQ(Row(*window, 1).mid(9), (QStringList{"", "", "", "", "", ""}));
    window->Chart()->replot();
    EXPECT_EQ(window->Marks()->MarkedPoints(0), 1u);
    EXPECT_EQ(window->Marks()->MarkedPoints(1), 0u);

    type(10, "8");
    EXPECT_EQ(Row(*window, 0).mid(9), (QStringList{"4", "8", "1", "1", "0:00:20", "1 (0:00:00)"}));
    type(9, "9");  // above the upper limit: not taken
    EXPECT_EQ(Row(*window, 0)[9], "4");
    window->Chart()->SetReadingRange({2.5, 9.5});
    EXPECT_EQ(Row(*window, 0).mid(11), (QStringList{"0", "0", "0:00:00", ""})) << "the range shown";

    ReadingsWindow* again = Reopen(window, "known.dat");
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->LimitsBox()->isChecked());
    EXPECT_EQ(again->Document().UnitLimits().at("V DC"), (Limits{4.0, 8.0}));
    EXPECT_EQ(Row(*again, 0).mid(9, 4), (QStringList{"4", "8", "1", "1"}));
    again->SetLimits("V DC", {});
    EXPECT_TRUE(again->Document().UnitLimits().empty());
    EXPECT_TRUE(QSettings(QStringLiteral("rv7342"), QStringLiteral("readings"))
                    .value("limits/" + QUrl::toPercentEncoding(Path("known.dat")))
                    .isNull())
        << "no limits, nothing kept";
}

// Two data files in one window: the readout and the statistics list the other's series, in
// the panel of its unit; remembered for the file, and removed again, the window is as before.
// The window's own file is compared like another.
TEST_F(KnownFileWindow, AnotherFileComparedRememberedAndRemoved) {
    dir.Write("run2.dat", "1,3,0,0,0\r\n2,6,0,0,0\r\n3,9,0,0,0\r\n");
    EXPECT_TRUE(Contains(window->CompareWith(Path("missing.dat")).value_or(""), "missing.dat"));
    ASSERT_EQ(window->CompareWith(Path("run2.dat")), std::nullopt);
    ReadingsChart* chart = window->Chart();
    ASSERT_EQ(chart->graphCount(), 4);
    EXPECT_EQ(chart->SeriesName(3), "V DC \u00b7 run2.dat");
    EXPECT_EQ(chart->graph(3)->pen().style(), Qt::DotLine) << "a line style of its own";
    EXPECT_EQ(chart->PanelOf(3), chart->PanelOf(0)) << "in the panel of its unit";
    EXPECT_EQ(Row(*window, 3).mid(0, 2), (QStringList{"V DC \u00b7 run2.dat", "3"}));
    EXPECT_EQ(window->RangeLine()->text(), "All 12 readings") << "the window's own file";

    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_A);
    EXPECT_TRUE(Contains(window->StatisticsText(), "\nV DC \u00b7 run2.dat\t9\n"));

    // Remembered for the file: compared again when it is reopened, no longer once removed.
    const auto reopen = [this, &chart] {
        window = Reopen(window, "known.dat");
        ASSERT_NE(window, nullptr);
        chart = window->Chart();
    };
    reopen();
    ASSERT_EQ(chart->graphCount(), 4);
    EXPECT_EQ(chart->SeriesName(3), "V DC \u00b7 run2.dat");

    // One that can no longer be read is left out, without a message; the own readings stay.
    std::filesystem::remove(dir.Path("run2.dat"));
    reopen();
    EXPECT_EQ(chart->graphCount(), 3);
    EXPECT_EQ(Row(*window, 0).mid(0, 2), (QStringList{"V DC", "8"}));
    EXPECT_TRUE(boxes.seen.empty());

    dir.Write("run2.dat", "1,3,0,0,0\r\n");
    reopen();
    window->RemoveComparedFile(Path("run2.dat"));
    EXPECT_EQ(chart->graphCount(), 3);
    EXPECT_EQ(window->Statistics()->rowCount(), 3);
    reopen();
    EXPECT_EQ(chart->graphCount(), 3);

    // The window's own file is compared like any other; compared again, it is read anew
    // rather than added twice.
    for (int time = 0; time < 2; ++time) {
        SCOPED_TRACE(time);
        ASSERT_EQ(window->CompareWith(Path("known.dat")), std::nullopt);
        ASSERT_EQ(chart->graphCount(), 6) << "its three series once";
        EXPECT_EQ(chart->SeriesName(3), "V DC \u00b7 known.dat");
        EXPECT_EQ(chart->graph(3)->pen().style(), Qt::DotLine);
        EXPECT_EQ(chart->SeriesName(0), "V DC");
        EXPECT_EQ(window->RangeLine()->text(), "All 12 readings");
    }
    window->RemoveComparedFile(Path("known.dat"));
    EXPECT_EQ(chart->graphCount(), 3) << "the window's own readings stay";
    EXPECT_EQ(chart->SeriesName(0), "V DC");
}

// The other file's readings stand where they were taken, on the axis both files have: by
// clock time when both have a start, by elapsed time when both have an interval, otherwise
// by reading number. Here the other file is logged every 5 s, a minute after the own file,
// logged every 10 s, began: its readings at 10:01:00, :05 and :10 are the own readings 7,
// 7.5 and 8.
TEST_F(ReadingsWindowTest, ComparedReadingsLineUpByTheAxisBothFilesHave) {
    const QDateTime ten(QDate(2026, 12, 7), QTime(10, 0, 0));
    const struct {
        const char* lining;
        const char* ownInterval;
        std::optional<QDateTime> ownStart;
        std::vector<double> numbers;
        AxisKind shown;
    } cases[] = {
        {"clock time", "10", ten, {7, 7.5, 8}, AxisKind::Clock},
        {"elapsed time", "10", std::nullopt, {1, 1.5, 2}, AxisKind::Elapsed},
        {"reading number", "", std::nullopt, {1, 2, 3}, AxisKind::ReadingNumber},
    };
    for (const auto& lining : cases) {
        SCOPED_TRACE(lining.lining);
        const std::string own = std::string("own ") + lining.lining + ".dat";
        const std::string other = std::string("other ") + lining.lining + ".dat";
        dir.Write(own, kKnownFile);
        dir.Write(other, "1,3,0,0,0\r\n2,6,0,0,0\r\n3,9,0,0,0\r\n");
        ReadingsWindow* otherWindow = Open(other);
        ASSERT_NE(otherWindow, nullptr);
        SetTime(*otherWindow, "5", ten.addSecs(60));  // remembered for it
        otherWindow->close();
        ReadingsWindow* window = Open(own);
        ASSERT_NE(window, nullptr);
        SetTime(*window, lining.ownInterval, lining.ownStart);
        ASSERT_EQ(window->CompareWith(Path(other)), std::nullopt);
        EXPECT_EQ(window->Chart()->Axis().Shown(), lining.shown);
        ASSERT_EQ(window->Document().Series().size(), 4u);
        EXPECT_EQ(window->Document().Series()[3].readings.numbers, lining.numbers);
    }
}

// Shift with a click, or with a drag, puts the active cursor on the reading under the pointer;
// a click without Shift places none, and a drag with it pans nothing.
TEST_F(KnownFileWindow, ShiftClickAndShiftDragPlaceTheActiveCursor) {
    ReadingsChart* chart = window->Chart();
    CursorLines* cursors = window->CursorControls();
    const QCPAxisRect* panel = chart->Panels()[0];
    const auto at = [panel](double reading) {
        return QPoint(qRound(panel->axis(QCPAxis::atBottom)->coordToPixel(reading)),
                      panel->rect().center().y());
    };
    QTest::mouseClick(chart, Qt::LeftButton, {}, at(4.3));
    EXPECT_FALSE(cursors->AnyPlaced());
    QTest::mouseClick(chart, Qt::LeftButton, Qt::ShiftModifier, at(4.3));
    EXPECT_EQ(cursors->A(), 4) << "on the nearest reading";
    EXPECT_EQ(cursors->B(), std::nullopt);
    EXPECT_TRUE(window->Readout()->isVisible());

    chart->setFocus();
    QTest::keyClick(chart, Qt::Key_B);  // B the active one
    const QCPRange shown = chart->ReadingRange();
    QTest::mousePress(chart, Qt::LeftButton, Qt::ShiftModifier, at(9));
    EXPECT_EQ(cursors->B(), 9);
    for (const double reading : {6.0, 2.8}) {
        QMouseEvent move(QEvent::MouseMove, at(reading), chart->mapToGlobal(at(reading)),
                         Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(chart, &move);
    }
    QTest::mouseRelease(chart, Qt::LeftButton, Qt::ShiftModifier, at(2.8));
    EXPECT_EQ(cursors->B(), 3) << "it followed the pointer";
    EXPECT_EQ(cursors->A(), 4) << "the other one stays";
    EXPECT_EQ(chart->ReadingRange(), shown) << "no pan";
}

// A thermocouple adapter's millivolts typed into the conversions as degrees: the series in a
// panel of its new unit with its statistics in it, and again so when the file is reopened.
TEST_F(ReadingsWindowTest, AConvertedSeriesInItsNewUnitRemembered) {
    dir.Write("sensor.dat", "1,25,2,0,0\r\n2,30,2,0,0\r\n3,100,2,0,0\r\n4,12,0,0,0\r\n");
    ReadingsWindow* window = Open("sensor.dat");
    ASSERT_NE(window, nullptr);
    ConversionsDialog dialog({"V DC", "mV DC"}, {});
    ASSERT_EQ(dialog.Rows().size(), 2u);
    const ConversionsDialog::Row& millivolts = dialog.Rows()[1];
    QTest::keyClicks(millivolts.newUnit, "deg C");
    millivolts.offset->selectAll();
    QTest::keyClicks(millivolts.offset, "-5");
    std::vector<Conversion> conversions;
    ASSERT_EQ(dialog.Read(conversions), std::nullopt);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0], (Conversion{"mV DC", "deg C", 1, -5}));
    window->SetConversions(conversions);
    EXPECT_EQ(PanelTitles(*window->Chart()), (QStringList{"V DC", "deg C"}));
    EXPECT_EQ(Row(*window, 1).mid(0, 5), (QStringList{"deg C", "3", "20", "95", "46.66667"}));

    millivolts.factor->selectAll();
    QTest::keyClicks(millivolts.factor, "0");
    EXPECT_TRUE(dialog.Read(conversions).value_or("").find("factor of 0") != std::string::npos);

    ReadingsWindow* again = Reopen(window, "sensor.dat");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Row(*again, 1).mid(0, 3), (QStringList{"deg C", "3", "20"}));
    again->SetConversions({});
    EXPECT_EQ(Row(*again, 1).mid(0, 3), (QStringList{"mV DC", "3", "25"}));
}

// The interval, start and axis as a user sets them, and again when the file is reopened.
TEST_F(KnownFileWindow, TimeAxisSetByTheUserAndRestoredOnReopening) {
    EXPECT_TRUE(QSettings(QStringLiteral("rv7342"), QStringLiteral("readings")).allKeys().isEmpty())
        << "opening a file writes no settings";
    TimeAxisBar* bar = window->TimeAxisControls();
    EXPECT_TRUE(bar->IntervalField()->text().isEmpty());
    EXPECT_FALSE(bar->AxisChoice()->isEnabled()) << "no time axis without an interval";

    QTest::keyClicks(bar->IntervalField(), "10");
    ReadingsChart* chart = window->Chart();
    QCPAxis* readings = chart->Panels().back()->axis(QCPAxis::atBottom);
    EXPECT_EQ(chart->Axis().Shown(), AxisKind::Elapsed) << "an interval shows elapsed times";
    EXPECT_EQ(readings->label(), "Elapsed time");
    chart->replot();
    const QVector<QString> labels = readings->tickVectorLabels();
    ASSERT_FALSE(labels.isEmpty());
    EXPECT_TRUE(labels.contains("0:01:00")) << labels.join(' ').toStdString();
    chart->SetReadingRange({3.5, 6.5});
    EXPECT_EQ(window->RangeLine()->text(), "Readings 4\u20136 of 12 (0:00:30\u20130:00:50)");

    bar->StartField()->setDateTime(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 0)));
    QTest::mouseClick(bar->StartBox(), Qt::LeftButton);
    EXPECT_EQ(chart->Axis().Shown(), AxisKind::Clock) << "a start shows clock times";
    EXPECT_EQ(window->RangeLine()->text(),
              "Readings 4\u20136 of 12 (2026-12-07 23:59:30\u20132026-12-07 23:59:50)");
    window->ShowWholeMemory();
    chart->replot();
    EXPECT_TRUE(readings->tickVectorLabels().contains("2026-12-08 00:00:00"))
        << "the date once the span crosses midnight";
    chart->SetReadingRange({8, 12});  // 00:00:10 to 00:00:50
    chart->replot();
    const QVector<QString> pastMidnight = readings->tickVectorLabels();
    ASSERT_GE(pastMidnight.size(), 2);
    EXPECT_TRUE(pastMidnight.front().startsWith("2026-12-08 ")) << "zoomed past midnight, the day";
    EXPECT_FALSE(pastMidnight.back().contains("2026")) << "the others keep their short labels";
    window->ShowWholeMemory();
    bar->AxisChoice()->setCurrentIndex(1);
    emit bar->AxisChoice()->activated(1);
    EXPECT_EQ(chart->Axis().Shown(), AxisKind::Elapsed);

    QTest::keyClicks(bar->IntervalField(), "000000");
    EXPECT_EQ(chart->Axis().Shown(), AxisKind::ReadingNumber) << "beyond 86400 s is no interval";
    EXPECT_FALSE(bar->IntervalField()->styleSheet().isEmpty()) << "and is marked";
    bar->IntervalField()->clear();
    QTest::keyClicks(bar->IntervalField(), "2.5");

    ReadingsWindow* again = Reopen(window, "known.dat");
    ASSERT_NE(again, nullptr);
    const TimeAxis restored = again->Chart()->Axis();
    EXPECT_EQ(restored.interval, 2.5);
    EXPECT_EQ(restored.kind, AxisKind::Elapsed);
    EXPECT_EQ(again->TimeAxisControls()->IntervalField()->text(), Decimals("2.5"));
    EXPECT_TRUE(again->TimeAxisControls()->StartBox()->isChecked());
    EXPECT_EQ(again->TimeAxisControls()->StartField()->dateTime(),
              QDateTime(QDate(2026, 12, 7), QTime(23, 59, 0)));
    dir.Write("other.dat", kKnownFile);
    ReadingsWindow* other = Open("other.dat");
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(other->Chart()->Axis().interval) << "settings are per file";
}

TEST_F(KnownFileWindow, ChartSavedByItsSuffixOrAReasonNamingTheFile) {
    const std::pair<const char*, std::string> formats[] = {
        {"chart.png", "\x89PNG"}, {"chart.svg", "<?xml"}, {"chart.pdf", "%PDF"}};
    for (const auto& [name, start] : formats) {
        SCOPED_TRACE(name);
        EXPECT_EQ(window->SaveChart(Path(name)), std::nullopt);
        EXPECT_EQ(dir.Read(name).substr(0, start.size()), start);
        EXPECT_GT(dir.Read(name).size(), 1000u);
    }
    // What a user sees: the image at the chart's size, the legend's names in the drawings.
    EXPECT_EQ(QImage(Path("chart.png")).size(), window->Chart()->size());
    const std::string svg = DescribeSvgChart(dir.Read("chart.svg"));
#ifndef _WIN32
    ChildProcess pdf("/usr/bin/pdftotext", {dir.Path("chart.pdf"), "-"});
    ASSERT_EQ(pdf.Wait(kEventDeadline), 0) << pdf.Errors();
#endif
    for (const char* entry : {"V DC", "unit 57", "V AC (second display)"}) {
        EXPECT_TRUE(Contains(svg, "\nlegend " + std::string(entry) + ": "));
#ifndef _WIN32
        EXPECT_TRUE(Contains(pdf.Output(), entry));
#endif
    }

    for (const QString& path : {Path("chart.txt"), Path("chart"), Path("missing/chart.png")}) {
        EXPECT_TRUE(Contains(window->SaveChart(path).value_or(""), path));
        EXPECT_FALSE(QFileInfo::exists(path)) << "nothing written";
    }
    EXPECT_TRUE(window->SaveChart(Path("chart.txt"))->contains(".png, .svg or .pdf"));
}

#ifndef _WIN32
// A chart that does not fit (here a file-size limit of 512 bytes, the disk full for it) is
// told with the file and the reason, and the earlier file stays: a drawing cut off is never
// put in place, in any format.
TEST_F(KnownFileWindow, AChartThatDoesNotFitIsToldAndLeavesTheEarlierFile) {
    for (const char* name : {"chart.svg", "chart.pdf", "chart.png"}) {
        SCOPED_TRACE(name);
        dir.Write(name, "precious");
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const rlimit small{512, saved.rlim_max};
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        const bool limited = setrlimit(RLIMIT_FSIZE, &small) == 0;
        const QString reason = limited ? window->SaveChart(Path(name)).value_or("") : "";
        setrlimit(RLIMIT_FSIZE, &saved);  // both as they were before any assertion
        std::signal(SIGXFSZ, previous);
        ASSERT_TRUE(limited);
        EXPECT_EQ(reason, QStringLiteral("Cannot write %1: File too large").arg(Path(name)));
        EXPECT_EQ(dir.Read(name), "precious");
    }
}
#endif

// Export readings... writes every reading, whatever the range shown, by the name's suffix:
// with the time axis and the conversions set, read back as a spreadsheet reads it.
TEST_F(KnownFileWindow, ExportByItsSuffixOfEveryReadingWithTheTimeAxisAndConversions) {
    window->Chart()->SetReadingRange({3.5, 6.5});  // the export is of the whole file
    window->Chart()->SetTimeAxis({10.0, std::nullopt, AxisKind::Elapsed});
    ASSERT_EQ(window->ExportReadings(Path("out.csv")), std::nullopt);
    const std::string csv = dir.Read("out.csv");
    EXPECT_EQ(csv.substr(0, csv.find("\r\n4,")),
              "No.,Elapsed (s),Value,Unit,Value 2,Unit 2\r\n1,0,2,V DC,,\r\n2,10,4,V DC,,\r\n"
              "3,20,4,V DC,50,V AC");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 13);
    ASSERT_EQ(window->ExportReadings(Path("out.xlsx")), std::nullopt);
#ifndef _WIN32
    ChildProcess workbook(RV7342_PYTHON,
                          {RV7342_SOURCE_DIR "/tests/xlsx_read_back.py", dir.Path("out.xlsx")});
    ASSERT_EQ(workbook.Wait(kEventDeadline), 0) << workbook.Errors();
    EXPECT_TRUE(Contains(workbook.Output(),
                         "\ns:No.|s:Elapsed (s)|s:Value|s:Unit|s:Value 2|s:Unit 2\n"
                         "n:1|n:0|n:2|s:V DC|-|-\nn:2|n:10|n:4|s:V DC|-|-\n"
                         "n:3|n:20|n:4|s:V DC|n:50|s:V AC\n"));
#endif

    // Converted readings are written in their new unit, the conversion noted.
    window->Chart()->SetTimeAxis({});
    window->SetConversions({{"V DC", "mV DC", 1000, 0}});
    ASSERT_EQ(window->ExportReadings(Path("out.csv")), std::nullopt);
    const std::string converted = dir.Read("out.csv");
    EXPECT_EQ(converted.substr(0, converted.find("\r\n3,")),
              "# Converted V DC \xE2\x86\x92 mV DC: \xC3\x97 1000 + 0\r\n"
              "No.,Value,Unit,Value 2,Unit 2\r\n1,2000,mV DC,,\r\n2,4000,mV DC,,");

    const QString refused = window->ExportReadings(Path("out.ods")).value_or("");
    EXPECT_TRUE(Contains(refused, Path("out.ods")));
    EXPECT_TRUE(Contains(refused, ".xlsx or .csv"));
    dir.Write("known.dat", "");
    EXPECT_TRUE(Contains(window->ExportReadings(Path("out.csv")).value_or(""), Path("known.dat")))
        << "a file that can no longer be read";
}

// Two points... by keyboard alone: two equal readings are refused with the reason, two
// different ones give the row's factor and offset.
TEST_F(ReadingsWindowTest, TwoPointCalibrationGivesARowsFactorAndOffset) {
    const auto type = [](TwoPointDialog& points, const char* reading2) {
        for (QLineEdit* field : {points.reading1, points.value1, points.reading2, points.value2}) {
            field->selectAll();
        }
        QTest::keyClicks(points.reading1, "1");
        QTest::keyClicks(points.value1, "10");
        QTest::keyClicks(points.reading2, reading2);
        QTest::keyClicks(points.value2, "20");
        QTest::keyClick(points.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                        Qt::Key_Space);
    };
    {
        TwoPointDialog points("mV DC");
        points.show();
        type(points, "1");
        EXPECT_TRUE(points.isVisible()) << "refused";
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_TRUE(
            Contains(boxes.seen[0].text, "two equal readings (1) cannot tell a conversion"));
    }

    ConversionsDialog dialog({"V DC", "mV DC"}, {});
    dialog.show();
    const ConversionsDialog::Row& row = dialog.Rows()[1];
    bool calibrated = false;
    QTimer::singleShot(0, [&] {
        auto* points = qobject_cast<TwoPointDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(points, nullptr);
        type(*points, "3");
        calibrated = !points->isVisible();
    });
    row.twoPoints->setFocus();
    QTest::keyClick(row.twoPoints, Qt::Key_Space);
    EXPECT_TRUE(calibrated);
    EXPECT_EQ(row.factor->text(), QStringLiteral("5"));
    EXPECT_EQ(row.offset->text(), QStringLiteral("5"));
    QTest::keyClicks(row.newUnit, "deg C");
    std::vector<Conversion> conversions;
    ASSERT_EQ(dialog.Read(conversions), std::nullopt);
    EXPECT_EQ(conversions, (std::vector<Conversion>{{"mV DC", "deg C", 5, 5}}));
}

// A conversion kept by a name in one file's Conversions... applies to another file's.
TEST_F(ReadingsWindowTest, AKeptConversionAppliesToAnyFile) {
    {
        ConversionsDialog dialog({"V DC", "mV DC"}, {});
        const ConversionsDialog::Row& row = dialog.Rows()[1];
        EXPECT_TRUE(
            Contains(dialog.KeepRow(row, QStringLiteral("adapter")).value_or(""), "stand for"))
            << "no new unit given";
        QTest::keyClicks(row.newUnit, "deg C");
        row.factor->selectAll();
        QTest::keyClicks(row.factor, "0.5");
        QString suggested;
        QTimer::singleShot(0, [&] {
            auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(input, nullptr);
            suggested = input->textValue();
            input->setTextValue(QStringLiteral(" adapter "));
            input->accept();
        });
        QTest::keyClick(row.keep, Qt::Key_Space);
        EXPECT_EQ(suggested, QStringLiteral("mV DC \u2192 deg C"));
        EXPECT_EQ(dialog.Kept()->currentText(), QStringLiteral("adapter"));
    }
    ConversionsDialog other({"mV DC"}, {});
    ASSERT_EQ(other.Kept()->count(), 1);
    ASSERT_EQ(other.ApplyKept(other.Kept()->currentText()), std::nullopt);
    std::vector<Conversion> conversions;
    ASSERT_EQ(other.Read(conversions), std::nullopt);
    EXPECT_EQ(conversions, (std::vector<Conversion>{{"mV DC", "deg C", 0.5, 0}}));
    ConversionsDialog volts({"V DC"}, {});
    EXPECT_TRUE(Contains(volts.ApplyKept(QStringLiteral("adapter")).value_or(""),
                         "none of the readings is in mV DC"));
}

// The data file shown, by its name or a link to it, is never written over.
TEST_F(ReadingsWindowTest, ExportAndSaveChartRefuseTheDataFileShown) {
    dir.Write("run.csv", kKnownFile);
#ifdef _WIN32
    std::filesystem::create_hard_link(dir.Path("run.csv"), dir.Path("link.png"));
#else
    std::filesystem::create_symlink(dir.Path("run.csv"), dir.Path("link.png"));
#endif
    ReadingsWindow* window = Open("run.csv");
    ASSERT_NE(window, nullptr);
    for (const auto& refused :
         {window->ExportReadings(Path("run.csv")), window->SaveChart(Path("link.png"))}) {
        EXPECT_TRUE(Contains(refused.value_or(""), "it is the data file this window shows"));
    }
    EXPECT_EQ(dir.Read("run.csv"), kKnownFile);
}

TEST_F(ReadingsWindowTest, ALongFileIsDrawnWithAFewPointsPerColumnAndItsSpike) {
    std::string text;
    for (int i = 1; i <= 200000; ++i) {
        text += std::to_string(i) + (i == 123457 ? ",99,0,0,0\r\n" : ",1,0,0,0\r\n");
    }
    dir.Write("long.dat", text);
    ReadingsWindow* window = Open("long.dat");
    ASSERT_NE(window, nullptr);
    QCPGraph* graph = window->Chart()->graph(0);
    EXPECT_LE(graph->data()->size(), 4 * window->Chart()->Panels()[0]->width() + 2);
    EXPECT_TRUE(std::any_of(graph->data()->constBegin(), graph->data()->constEnd(),
                            [](const QCPGraphData& point) { return point.value == 99.0; }));
}

}  // namespace
}  // namespace rv7342
