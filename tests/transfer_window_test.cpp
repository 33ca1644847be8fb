// Downloads driven from Form2's buttons, the meter played by a pseudo-terminal behind COM2.

#include <qcustomplot.h>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>

#include "tests/download_fixture.h"

namespace rv7342 {
namespace {

// The whole memory reaches the file, named by an absolute path, and View Data's table; Plot
// readings, locked with the rest while the transfer runs, then draws what View Data shows.
TEST_F(Download, WholeMemoryReachesTheFileAndTheTable) {
    dir.Write("other.dat", "1,1,0,0,0\r\n");
    TempDir elsewhere;  // an absolute path names the file itself
    window->Text1->setText(QString::fromStdString(elsewhere.Path("abs.dat")));
    EXPECT_EQ(window->State().df, elsewhere.Path("abs.dat"));
    EXPECT_FALSE(window->PlotReadingsAction->isEnabled());
    SendWhenOpen(MemoryImage({kTwoValue, kSingleValue, kTwoValue}), [this] {
        EXPECT_EQ(window->Label1[2]->text(), "Press Reset to Transfer Data");
        for (QWidget* locked : std::initializer_list<QWidget*>{
                 window->Command1[0], window->Command1[1], window->Text1, window->Option1[0],
                 window->Option1[1]}) {
            EXPECT_FALSE(locked->isEnabled()) << locked->metaObject()->className();
        }
        EXPECT_TRUE(window->Command1[2]->isEnabled());
        EXPECT_FALSE(window->PlotReadingsAction->isEnabled());
        EXPECT_FALSE(window->OpenDataFileAction->isEnabled());
        EXPECT_FALSE(DropFile(window.get(), QString::fromStdString(dir.Path("other.dat"))))
            << "no file is taken during a transfer";
    });
    ClickStart();
    EXPECT_EQ(elsewhere.Read("abs.dat"),
              "1,12.34,5,12.3,3\r\n2,-12.345,99,0,0\r\n3,12.34,5,12.3,3\r\n");
    EXPECT_EQ(window->Label1[2]->text(), "Data Transfer OK");
    EXPECT_EQ(window->Label1[4]->text(), "3");
    for (QWidget* freed : std::initializer_list<QWidget*>{window->Command1[0], window->Command1[1],
                                                          window->Text1, window->Option1[0]}) {
        EXPECT_TRUE(freed->isEnabled()) << freed->metaObject()->className();
    }
    EXPECT_TRUE(window->PlotReadingsAction->isEnabled());
    EXPECT_TRUE(window->OpenDataFileAction->isEnabled());
    EXPECT_FALSE(window->State().fgComPortOpen);
    EXPECT_TRUE(window->State().fgTransferOK);

    window->Command1[1]->click();
    const QAbstractItemModel* table = window->FGrid1->model();
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(Row(*table, 1), Decimals({"2", "-12.345", "", "0", "V DC      "}))
        << "unit 99 has no name";
    EXPECT_EQ(Row(*table, 0), Decimals({"1", "12.34", "A AC      ", "12.3", "mV AC     "}));

    window->PlotReadingsAction->trigger();
    ReadingsWindow* readings =
        window->Readings().Find(QString::fromStdString(elsewhere.Path("abs.dat")));
    ASSERT_NE(readings, nullptr);
    EXPECT_TRUE(boxes.seen.empty());
    // The three readings View Data shows, each drawn in the series of its unit.
    using Points = std::vector<std::pair<double, double>>;
    const std::pair<QString, Points> expected[] = {{"A AC", {{1, 12.34}, {3, 12.34}}},
                                                   {"unit 99", {{2, -12.345}}}};
    const QAbstractItemModel& statistics = *readings->StatisticsTable()->model();
    ASSERT_GE(statistics.rowCount(), 2);
    for (int series = 0; series < 2; ++series) {
        const auto& [unit, points] = expected[series];
        SCOPED_TRACE(unit.toStdString());
        EXPECT_EQ(Cell(statistics, series, 0), unit);
        EXPECT_TRUE(readings->SeriesShown(series));
        Points drawn;
        for (const QCPGraphData& point : *readings->Chart()->graph(series)->data()) {
            drawn.emplace_back(point.key, point.value);
        }
        EXPECT_EQ(drawn, points);
    }
    for (int series = 2; series < statistics.rowCount(); ++series) {
        EXPECT_FALSE(readings->SeriesShown(series)) << "second values, hidden at first";
    }
}

// No leaves the file and the port alone; Yes overwrites. Answered by the keys N and Y.
TEST_F(Download, TheOverwriteQuestionDecides) {
    dir.Write("run.dat", "precious\r\n");
    environment.Set("RV7342_COM2", "/dev/rv7342-not-opened");
    boxes.key = Qt::Key_N;
    ClickStart();
    ASSERT_EQ(boxes.seen.size(), 1u) << "no port-open failure follows: no port was opened";
    const SeenMessageBox& question = boxes.seen[0];
    EXPECT_EQ(question.text, "The Data file exist . Do you want to continue ?");
    EXPECT_EQ(question.title, "Data File Check");
    EXPECT_EQ(question.icon, QMessageBox::Critical);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.defaultButton, QMessageBox::No);
    EXPECT_EQ(dir.Read("run.dat"), "precious\r\n");
    EXPECT_TRUE(window->Command1[0]->isEnabled());
    EXPECT_EQ(window->Label1[2]->text(), "");

    environment.Set("RV7342_COM2", line.SlavePath());
    boxes.key = Qt::Key_Y;
    SendWhenOpen(MemoryImage({kSingleValue}));
    ClickStart();
    EXPECT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(dir.Read("run.dat"), "1,-12.345,99,0,0\r\n");
}

// A Start that cannot begin a transfer says why, leaves every file as it was, closes the port
// again and leaves the window ready for the next Start: a port that will not open, a folder
// that does not exist, a folder or one of the program's own files (refused before the
// overwrite question).
TEST_F(Download, AStartThatCannotBeginSaysWhyAndTouchesNothing) {
    dir.Write("run.dat", "precious\r\n");
    const std::string table = dir.Read("unit2.dat");
    boxes.answer = QMessageBox::Yes;
    const struct {
        std::string name;
        std::string port;  // RV7342_COM2; empty: the pseudo-terminal
        std::vector<std::string> reasonHolds;
    } cases[] = {
        {"run.dat", "/dev/rv7342-absent", {"Cannot open COM2 (/dev/rv7342-absent): "}},
        {"no/such/folder/run.dat",
         "",
         {dir.Path("no/such/folder/run.dat"),
          "the folder " + dir.Path("no/such/folder") + " does not exist"}},
        {"", "", {dir.Path() + "/", "Type"}},
        {"unit2.dat", "", {dir.Path("unit2.dat"), "Type"}},
    };
    for (const auto& start : cases) {
        SCOPED_TRACE("\"" + start.name + "\"");
        boxes.seen.clear();
        environment.Set("RV7342_COM2", start.port.empty() ? line.SlavePath() : start.port);
        window->Text1->setText(QString::fromStdString(start.name));
        ClickStart();
        ASSERT_FALSE(boxes.seen.empty());
        const std::string reason = boxes.seen.back().text.toStdString();
        for (const std::string& part : start.reasonHolds) {
            EXPECT_TRUE(Contains(reason, part));
        }
        EXPECT_EQ(boxes.seen.size(), start.name == "run.dat" ? 2u : 1u)
            << "asked before overwriting run.dat alone";
        EXPECT_EQ(dir.Read("run.dat"), "precious\r\n");
        EXPECT_EQ(dir.Read("unit2.dat"), table);
        EXPECT_TRUE(window->Command1[0]->isEnabled());
        EXPECT_FALSE(window->Command1[1]->isEnabled()) << "nothing to view";
        EXPECT_EQ(window->Label1[2]->text(), "");
        EXPECT_FALSE(window->State().fgComPortOpen);
        SerialLink again;
        EXPECT_EQ(again.OpenCommPort(2).has_value(), !start.port.empty()) << "the port is free";
    }
}

// An adapter pulled mid-record: the whole records stay, and the message names the device.
TEST_F(Download, AnUnpluggedAdapterKeepsTheRecordsAndSaysSo) {
    Bytes part = Concat({{13}, kTwoValue, kTwoValue});
    part.resize(part.size() - 5);
    SendWhenOpen(part);
    AfterRecords(1, [this] { line.CloseMaster(); });
    ClickStart();
    EXPECT_EQ(dir.Read("run.dat"), "1,12.34,5,12.3,3\r\n");
    EXPECT_EQ(window->Label1[2]->text(), "Transfer incomplete");
    EXPECT_EQ(window->Label1[4]->text(), "1");
    ASSERT_EQ(boxes.seen.size(), 1u);
    // The slave's device file goes with its master, as an adapter's does when it is pulled.
    const std::string reason = boxes.seen[0].text.toStdString();
    const std::string& device = line.SlavePath();
    EXPECT_TRUE(Contains(reason, "incomplete"));
    EXPECT_TRUE(Contains(reason, "1 readings were saved"));
    EXPECT_TRUE(Contains(reason, "the connection to COM2 (" + device +
                                     ") was lost: the device hung up; " + device +
                                     " is gone (No such file or directory)."));
    EXPECT_TRUE(window->Command1[0]->isEnabled());
    EXPECT_TRUE(window->Command1[1]->isEnabled());
    EXPECT_TRUE(window->Text1->isEnabled());
}

// The data file on a full disk: /dev/full refuses every write with ENOSPC.
TEST_F(Download, AFullDiskEndsTheTransferAndSaysSo) {
    std::filesystem::create_symlink("/dev/full", dir.Path("full.dat"));
    window->Text1->setText("full.dat");
    boxes.answer = QMessageBox::Yes;  // the link exists, so Start asks first
    SendWhenOpen(MemoryImage({kTwoValue, kTwoValue}));
    ClickStart();
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_TRUE(Contains(boxes.seen[1].text, "No space left on device"));
    EXPECT_TRUE(Contains(boxes.seen[1].text, "0 readings were saved"));
    EXPECT_EQ(window->Label1[2]->text(), "Transfer incomplete");
    EXPECT_TRUE(window->Command1[0]->isEnabled());
    EXPECT_FALSE(window->State().fgComPortOpen);
}

TEST_F(Download, ExitOrTheCloseBoxDuringATransferEndsItCleanly) {
    boxes.answer = QMessageBox::Yes;
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box, answered by Y" : "Exit");
        boxes.key = closeBox ? Qt::Key_Y : Qt::Key_unknown;
        std::filesystem::remove(dir.Path("run.dat"));
        window->show();
        SendWhenOpen(Concat({{13}, kTwoValue, kTwoValue}));
        AfterRecords(2, [this, closeBox] {
            closeBox ? window->close() : (window->Command1[2]->click(), true);
        });
        ClickStart();
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(dir.Read("run.dat"), "1,12.34,5,12.3,3\r\n2,12.34,5,12.3,3\r\n");
        EXPECT_FALSE(window->State().fgComPortOpen);
        ASSERT_EQ(boxes.seen.size(), 1u) << "readings had arrived: asked before stopping";
        EXPECT_TRUE(boxes.seen[0].text.endsWith("Stop it and exit?"));
        boxes.seen.clear();
        feeder.disconnect();
        watcher.disconnect();
    }
}

}  // namespace
}  // namespace rv7342
