#pragma once
// Form2 with the meter played by a pseudo-terminal behind COM2, and ways to feed it.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

#include "tests/deadline.h"
#include "tests/meter_stream.h"
#include "tests/pseudo_terminal.h"
#include "tests/window_fixture.h"

namespace rv7342 {

class Download : public WindowTest {
  protected:
    Download() {
        qputenv("RV7342_COM2", line.SlavePath().c_str());
        window = OpenWindow();
        window->Text1->setText("run.dat");
    }
    ~Download() override { qunsetenv("RV7342_COM2"); }

    // Once the transfer holds the port: runs `during`, then sends `bytes`.
    void SendWhenOpen(Bytes bytes, std::function<void()> during = {}) {
        QObject::connect(&feeder, &QTimer::timeout, [=] {
            if (!window->State().fgComPortOpen) {
                return;
            }
            feeder.stop();
            if (during) {
                during();
            }
            line.Write(bytes);
        });
        feeder.start(5);
    }

    // Runs `action` once the transfer has written `records` records.
    void AfterRecords(int records, std::function<void()> action) {
        QObject::connect(&watcher, &QTimer::timeout, [=] {
            if (window->State().fgComPortOpen && window->State().datano >= records) {
                watcher.stop();
                action();
            }
        });
        watcher.start(5);
    }

    // Presses Start and returns once the transfer it began, if any, has ended.
    void ClickStart() {
        window->Command1[0]->click();
        WaitForTransferEnd();
    }
    void WaitForTransferEnd() const {
        const int deadlineMs = std::chrono::milliseconds(kEventDeadline).count();
        const bool ended =
            QTest::qWaitFor([this] { return !window->TransferRunning(); }, deadlineMs);
        if (!ended) {
            ADD_FAILURE() << "the transfer did not end within the deadline";
        }
    }

    PseudoTerminal line;
    std::unique_ptr<Form2> window;
    QTimer feeder;
    QTimer watcher;
};

}  // namespace rv7342
