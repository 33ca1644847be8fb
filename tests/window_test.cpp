#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include "tests/window_fixture.h"

namespace rv7342 {
namespace {

using StartUp = WindowTest;

// Ready for a transfer on COM2, where the port named in the environment stands; nothing to
// view yet.
TEST_F(StartUp, ControlsStartReadyForATransfer) {
    environment.Set("RV7342_COM2", "/dev/ttyUSB7");
    const auto window = OpenWindow();
    EXPECT_EQ(window->Label1[2]->text(), "") << "no transfer status yet";
    EXPECT_EQ(window->Label1[4]->text(), "0");
    EXPECT_FALSE(window->Option1[0]->isChecked());
    EXPECT_TRUE(window->Option1[1]->isChecked());
    EXPECT_EQ(window->Option1[1]->toolTip(), "COM2: /dev/ttyUSB7 (set by RV7342_COM2)");
    EXPECT_TRUE(window->Check1->isHidden());
    EXPECT_TRUE(window->Command1[0]->isEnabled());
    EXPECT_FALSE(window->Command1[1]->isEnabled());
    EXPECT_EQ(window->FGrid1->model()->columnCount(), 5);
    EXPECT_EQ(window->FGrid1->model()->rowCount(), 1) << "one empty row below the header";
    EXPECT_EQ(Cell(*window->FGrid1->model(), 0, 1), "");
    EXPECT_EQ(Header(*window->FGrid1->model(), 0), "") << "an empty header";
    EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(StartUp, GeometryTabOrderAndFocus) {
    const auto window = OpenWindow();
    const double scale = window->logicalDpiX() / 96.0;
    // The client area, 11520 x 8535 twips, stands whole under the menu bar.
    const QWidget* client = window->centralWidget();
    const int menuHeight = window->menuBar()->sizeHint().height();
    EXPECT_EQ(client->geometry(), QRect(0, menuHeight, qRound(768 * scale), qRound(569 * scale)));
    EXPECT_EQ(window->size(), QSize(qRound(768 * scale), menuHeight + qRound(569 * scale)));
    EXPECT_EQ(window->Command1[0]->parentWidget(), client);
    EXPECT_EQ(window->Command1[0]->geometry(), QRect(qRound(528 * scale), qRound(392 * scale),
                                                     qRound(89 * scale), qRound(25 * scale)));

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), kWindowDeadlineMs));
    EXPECT_EQ(QApplication::focusWidget(), window->Command1[0]);
    QWidget* expected[] = {window->Text1,      window->Command1[1], window->Option1[0],
                           window->Option1[1], window->Command1[2], window->FGrid1};
    QWidget* current = window->Command1[0];
    for (QWidget* next : expected) {
        do {
            current = current->nextInFocusChain();
        } while (!(current->focusPolicy() & Qt::TabFocus));
        EXPECT_EQ(current, next) << next->metaObject()->className();
    }
}

TEST_F(StartUp, DefaultNameAndPathFollowTheNameBox) {
    EXPECT_EQ(DefaultFileName("2026-12-06"), "261206.dat");
    EXPECT_EQ(DefaultFileName("2031-01-09"), "310109.dat");
    const std::string before = TodaysFileName();
    const auto window = OpenWindow();
    const std::string today = window->Text1->text().toStdString();
    EXPECT_TRUE(today == before || today == TodaysFileName()) << today;
    EXPECT_EQ(window->State().df, dir.Path(today));
    QTest::keyClicks(window->Text1, "x");
    EXPECT_EQ(window->State().df, dir.Path(today + "x"));
    window->Text1->clear();
    EXPECT_EQ(window->State().df, dir.Path() + static_cast<char>(QDir::separator().unicode()));
    window->Text1->setText("sub/run.dat");
    EXPECT_EQ(window->State().df, dir.Path("sub/run.dat"));
}

TEST_F(StartUp, UnreadableUnitTableIsReportedOnceAndTheWindowComesUp) {
    std::filesystem::remove(dir.Path("unit2.dat"));
    std::filesystem::create_directory(dir.Path("unit2.dat"));
    const auto window = OpenWindow();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(Contains(boxes.seen[0].text.toStdString(), dir.Path("unit2.dat")));
    EXPECT_TRUE(Contains(boxes.seen[0].text, "Is a directory"));
    EXPECT_TRUE(IsUnassigned(window->State().UnitNames[0]));
    EXPECT_TRUE(window->Command1[0]->isEnabled());
}

using Viewer = WindowTest;

// View Data reads `datano` records from the file at `df` (the cells' formatting is the model's,
// tested on its own), or shows what could be read and why the rest could not.
TEST_F(Viewer, ShowsTheRecordsOfTheFileOrWhatCouldBeRead) {
    dir.Write("three.dat", "1,0.1,0,12.3,3\r\n2,1.2345678,1,-0.25,9\r\n3,12345678,200,1E-05,0\r\n");
    dir.Write("short.dat", "1,1,0,1,0\r\n2,oops,0,1,0\r\n");
    const auto window = OpenWindow();
    const struct {
        const char* name;
        int datano;
        int rows;
        std::vector<std::string> reasonHolds;  // none: no message
    } cases[] = {{"three.dat", 0, 0, {}},
                 {"gone.dat", 4, 0, {dir.Path("gone.dat"), "No such file or directory"}},
                 {"short.dat", 5, 1, {"should hold 5 readings, but only 1", "line 2"}},
                 {"three.dat", 3, 3, {}}};
    for (const auto& view : cases) {
        SCOPED_TRACE(std::string(view.name) + " " + std::to_string(view.datano));
        boxes.seen.clear();
        window->Text1->setText(view.name);
        window->State().datano = view.datano;
        window->ViewData();
        EXPECT_EQ(window->FGrid1->model()->rowCount(), view.rows);
        EXPECT_EQ(Header(*window->FGrid1->model(), 0), "No.");
        ASSERT_EQ(boxes.seen.size(), view.reasonHolds.empty() ? 0u : 1u);
        for (const std::string& part : view.reasonHolds) {
            EXPECT_TRUE(Contains(boxes.seen[0].text.toStdString(), part));
        }
    }
    // The last view, of three.dat, shows its cells.
    EXPECT_EQ(Cell(*window->FGrid1->model(), 1, 1), Decimals("1.234568"));
    EXPECT_EQ(Cell(*window->FGrid1->model(), 0, 4), "mV AC     ");
    EXPECT_EQ(window->FGrid1->verticalHeader()->defaultSectionSize(),
              qRound(24 * window->logicalDpiX() / 96.0));
}

}  // namespace
}  // namespace rv7342
