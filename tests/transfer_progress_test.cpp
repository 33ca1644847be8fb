// Following a download and getting out of it: the progress line, the silence limit, the
// question before a running transfer is stopped, the keys, and malformed readings reported.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <vector>

#include "tests/download_fixture.h"
#include "transfer/transfer_session.h"

namespace rv7342 {
namespace {

// Once the meter has begun to send, three seconds of silence end the transfer.
constexpr qint64 kSilenceMs = 3000;

// The reading count the progress line shows, or -1 while it shows none.
int ProgressCount(const QLabel* progress) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Receiving: (\\d+) readings")).match(progress->text());
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

TEST_F(Download, ProgressRisesWhileTheCountWaitsForTheEnd) {
    constexpr int kFrames = 90;  // about 1.5 s at line speed
    QString waiting;
    std::vector<int> shownCounts;
    QStringList countLabels;
    int sent = 0;
    QTimer meter;  // one frame every 17 ms, as the line carries them
    QObject::connect(&meter, &QTimer::timeout, [&] {
        if (!window->State().fgComPortOpen) {
            return;
        }
        if (sent == 0) {
            waiting = window->TransferProgress->text();
            line.Write({13});
        }
        line.Write(sent < kFrames ? kTwoValue : EscapeFrame());
        ++sent;
        shownCounts.push_back(ProgressCount(window->TransferProgress));
        countLabels << window->Label1[4]->text();
    });
    meter.start(17);
    ClickStart();
    meter.stop();

    EXPECT_EQ(waiting, "Waiting for the meter on COM2 (" +
                           QString::fromStdString(line.SlavePath()) +
                           "): press RESET on the meter.");
    std::vector<int> rising;
    for (int count : shownCounts) {
        if (count > (rising.empty() ? 0 : rising.back())) {
            rising.push_back(count);
        }
    }
    EXPECT_GE(rising.size(), 5u) << "the shown count rises as readings arrive";
    EXPECT_EQ(countLabels.count("0"), countLabels.size()) << "Label1(4) changes only at the end";
    EXPECT_EQ(window->Label1[4]->text(), QString::number(kFrames));
    EXPECT_EQ(window->Label1[2]->text(), "Data Transfer OK");
    EXPECT_FALSE(window->TransferProgress->isVisible());
    EXPECT_TRUE(boxes.seen.empty());
}

// The limit the window downloads with is the README's three seconds: a longer one would pass
// the timed test below, which can only bound it from below.
TEST(TransferLimitsTest, TheWindowsSilenceLimitIsThreeSeconds) {
    EXPECT_EQ(TransferLimits{}.silenceMs, kSilenceMs);
}

// A meter that stops sending ends the transfer after the silence limit, whether its end
// marker was garbled or it stopped in the middle of its memory.
TEST_F(Download, SilenceAfterTheFirstByteEndsTheTransferKeepingEveryReading) {
    // Position 15: read by no formula, but counted.
    const Bytes strayEscape = With(kTwoValue, 0, 27);
    // The count stands at 15 and 29 after the closing frames, never at 28.
    const Bytes garbled =
        Concat({{13}, kTwoValue, strayEscape, kTwoValue, EscapeFrame(), EscapeFrame()});
    const Bytes cut = Concat({{13}, kTwoValue, kTwoValue, kTwoValue, {'0', '0', '3', '0'}});
    const struct {
        const char* what;
        Bytes stream;
        bool garbledMarker;
    } cases[] = {{"garbled end marker", garbled, true}, {"stopped mid-memory", cut, false}};
    for (const auto& stopped : cases) {
        SCOPED_TRACE(stopped.what);
        boxes.seen.clear();
        std::filesystem::remove(dir.Path("run.dat"));
        QElapsedTimer sinceTheLastByte;
        SendWhenOpen(stopped.stream, [&] { sinceTheLastByte.start(); });
        ClickStart();
        EXPECT_GE(sinceTheLastByte.elapsed(), kSilenceMs) << "three seconds of silence";
        feeder.disconnect();

        EXPECT_EQ(dir.Read("run.dat"),
                  "1,12.34,5,12.3,3\r\n2,12.34,5,12.3,3\r\n3,12.34,5,12.3,3\r\n");
        EXPECT_EQ(window->Label1[2]->text(), "Transfer incomplete");
        EXPECT_EQ(window->Label1[4]->text(), "3");
        EXPECT_FALSE(window->State().fgComPortOpen);
        EXPECT_TRUE(window->Command1[0]->isEnabled());
        ASSERT_EQ(boxes.seen.size(), 1u);
        const QString& report = boxes.seen[0].text;
        EXPECT_TRUE(report.contains("stopped sending before the end of its memory was recognised"))
            << report.toStdString();
        EXPECT_EQ(report.contains("garbled"), stopped.garbledMarker) << report.toStdString();
        EXPECT_TRUE(report.contains("3 readings were saved in " +
                                    QString::fromStdString(dir.Path("run.dat"))));
    }
}

TEST_F(Download, ASilentLineBeforeTheFirstByteKeepsWaiting) {
    bool stillWaiting = false;
    QTimer::singleShot(kSilenceMs + 1000, [&] {
        stillWaiting = window->State().fgComPortOpen &&
                       window->Label1[2]->text() == "Press Reset to Transfer Data" &&
                       window->TransferProgress->text().startsWith("Waiting for the meter");
        line.Write(MemoryImage({kTwoValue}));
    });
    ClickStart();
    EXPECT_TRUE(stillWaiting);
    EXPECT_EQ(window->Label1[2]->text(), "Data Transfer OK");
    EXPECT_EQ(window->Label1[4]->text(), "1");
}

TEST_F(Download, ExitAsksOnceReadingsArriveAndNoLetsTheTransferGoOn) {
    window->show();
    boxes.answer = QMessageBox::No;
    SendWhenOpen(Concat({{13}, kTwoValue, kTwoValue}));
    AfterRecords(2, [this] {
        window->Command1[2]->click();
        window->close();
        line.Write(Concat({kSingleValue, EscapeFrame(), EscapeFrame()}));
    });
    ClickStart();
    ASSERT_EQ(boxes.seen.size(), 2u) << "asked for Exit and for the close box";
    for (const SeenMessageBox& question : boxes.seen) {
        EXPECT_EQ(question.text, "A transfer is running: 2 readings are saved in " +
                                     QString::fromStdString(dir.Path("run.dat")) +
                                     ". Stop it and exit?");
        EXPECT_EQ(question.defaultButton, QMessageBox::No);
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Label1[2]->text(), "Data Transfer OK");
    EXPECT_EQ(dir.Read("run.dat"), "1,12.34,5,12.3,3\r\n2,12.34,5,12.3,3\r\n3,-12.345,99,0,0\r\n");
}

TEST_F(Download, ExitBeforeAnyByteEndsAtOnce) {
    window->show();
    SendWhenOpen({}, [this] { window->Command1[2]->click(); });  // waiting for the first byte
    ClickStart();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(dir.Read("run.dat"), "");
}

TEST_F(Download, KeysNeitherEndTheProgramByThemselvesNorStayInTheTable) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    window->FGrid1->setFocus();
    QTest::keyClick(window->FGrid1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window->Command1[0]) << "Tab leaves the table";
    window->FGrid1->setFocus();
    QTest::keyClick(window->FGrid1, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), window->Command1[2]) << "Shift+Tab too";

    window->Command1[0]->setFocus();
    QWidget* focusDuringTransfer = nullptr;
    SendWhenOpen(MemoryImage({kTwoValue}), [&] {
        focusDuringTransfer = QApplication::focusWidget();
        QTest::keyClick(focusDuringTransfer, Qt::Key_Space);  // Space pressed again
    });
    QTest::keyClick(window->Command1[0], Qt::Key_Space);
    WaitForTransferEnd();
    EXPECT_NE(focusDuringTransfer, window->Command1[2]) << "focus never falls to Exit";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Label1[2]->text(), "Data Transfer OK");

    window->Command1[1]->setFocus();
    QTest::keyClick(window->Command1[1], Qt::Key_Return);
    EXPECT_EQ(window->FGrid1->model()->rowCount(), 1) << "Enter pressed View Data";
}

TEST_F(Download, ReadingsFromNoisyFramesAreReportedBesideTheResult) {
    const Bytes noisy = With(kTwoValue, 12, 'A');  // position 3, a digit of the first value
    SendWhenOpen(MemoryImage({kTwoValue, noisy, kTwoValue}));
    ClickStart();
    EXPECT_EQ(window->Label1[2]->text(), "Data Transfer OK");
    EXPECT_EQ(window->Label1[4]->text(), "3");
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(
        boxes.seen[0].text.startsWith("1 of the 3 readings came from frames that held "
                                      "bytes other than digits"))
        << boxes.seen[0].text.toStdString();
    EXPECT_TRUE(boxes.seen[0].text.contains("9600 baud"));
}

}  // namespace
}  // namespace rv7342
