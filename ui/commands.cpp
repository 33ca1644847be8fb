// The three commands of Form2, the transfer that Start runs and the table View Data fills.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>
#include <iterator>

#include "datafiles/files.h"
#include "datafiles/readings.h"
#include "ui/data_file_name.h"
#include "ui/data_viewer.h"
#include "ui/main_window.h"

namespace rv7342 {

void Form2::Command1_Click(int Index) {
    switch (Index) {
        case 0:
            StartTransfer();
            break;
        case 1:
            ViewData();
            break;
        case 2:
            if (!MayStopTransfer()) {
                break;
            }
            if (state.fgComPortOpen) {
                MSComm1.CloseCommPort();
            }
            close();
            break;
        default:
            break;
    }
}

void Form2::CheckFile(bool& YesNo) {
    if (!FileExists(state.df)) {
        YesNo = true;
        return;
    }
    QMessageBox question(QMessageBox::Critical, QStringLiteral("Data File Check"),
                         QStringLiteral("The Data file exist . Do you want to continue ?"),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setDefaultButton(QMessageBox::No);
    YesNo = question.exec() == QMessageBox::Yes;
}

void Form2::StartTransfer() {
    if (const std::optional<QString> failure = MakeDataFolderIfNeeded()) {
        Report(*failure);
        return;
    }
    if (const std::optional<QString> refusal = DataFileRefusal(
            FromLocalText(state.df), {unitTable_, QCoreApplication::applicationFilePath()})) {
        Report(*refusal);
        return;
    }
    bool YesNo = false;
    CheckFile(YesNo);
    if (!YesNo) {
        return;
    }
    closeRequested_ = false;
    transferRunning_ = true;
    UpdateControls();
    Label1[2]->setText(QStringLiteral("Press Reset to Transfer Data"));
    ReadDataLogger();
    if (closeRequested_) {
        close();
    }
}

// Runs one download, from opening the port to the end-of-transfer actions.
void Form2::ReadDataLogger() {
    const int port = Option1[0]->isChecked() ? 1 : 2;
    if (const std::optional<QString> failure = MSComm1.OpenCommPort(port)) {
        AbandonStart(*failure);
        return;
    }
    state.fgComPortOpen = true;
    state.fgTransferOK = false;

    DataFileWriter file;
    if (const Failure failure = file.Open(state.df)) {
        AbandonStart(FromLocalText(*failure));
        return;
    }
    ShowWaiting(port);
    TransferMachine machine(state, state.datano,
                            [&file](const Record& record) { return file.Append(record); });
    QElapsedTimer sinceFirstByte, sinceShown;
    TransferEnd end = RunTransfer(machine, [&]() {
        const std::optional<std::uint8_t> byte = MSComm1.ReadCommByte();
        if (byte && !sinceFirstByte.isValid()) {
            sinceFirstByte.start();
        }
        // At most about ten updates a second, so the indicator costs nothing at line speed.
        if (byte && (!sinceShown.isValid() || sinceShown.elapsed() >= 100)) {
            sinceShown.start();
            ShowReceiving(sinceFirstByte.elapsed());
        }
        return byte;
    });
    QString incompleteReason = IncompleteReason(end, machine, port);
    MSComm1.CloseCommPort();
    state.fgComPortOpen = false;
    if (const Failure closeFailure = file.Close(); closeFailure && incompleteReason.isEmpty()) {
        incompleteReason = FromLocalText(*closeFailure);
    }
    EndTransfer(incompleteReason, machine.MalformedRecords());
}

// Why a transfer ended before the end of the meter's memory; empty when it did not.
QString Form2::IncompleteReason(TransferEnd end, const TransferMachine& machine, int port) const {
    if (end == TransferEnd::Complete) {
        return {};
    }
    if (end == TransferEnd::WriteFailed) {
        return FromLocalText(machine.WriteFailure().value_or(""));
    }
    if (MSComm1.Stopped() == SerialLink::Stop::Silent) {
        QString reason =
            QStringLiteral("the meter stopped sending before the end of its memory was recognised");
        if (machine.EscapeCount() > 0) {
            reason += QStringLiteral(
                          "; its end-of-memory marker was garbled: %1 escape bytes arrived, but "
                          "their count never stood at exactly 28 after a frame")
                          .arg(machine.EscapeCount());
        }
        return reason;
    }
    return QStringLiteral("the connection to %1 (%2) was lost: %3")
        .arg(PortName(port), MSComm1.Device(),
             MSComm1.Stopped() == SerialLink::Stop::Closed ? QStringLiteral("the port was closed")
                                                           : MSComm1.FailureReason());
}

// A transfer that could not begin: the port is closed again and the data file was not written.
void Form2::AbandonStart(const QString& message) {
    if (state.fgComPortOpen) {
        MSComm1.CloseCommPort();
        state.fgComPortOpen = false;
    }
    transferRunning_ = false;
    Label1[2]->clear();
    UpdateControls();
    Report(message);
}

void Form2::EndTransfer(const QString& incompleteReason, int malformedRecords) {
    transferRunning_ = false;
    dataFileWritten_ = true;
    Label1[4]->setText(QString::number(state.datano));
    UpdateControls();
    state.fgTransferOK = incompleteReason.isEmpty();
    Label1[2]->setText(state.fgTransferOK ? QStringLiteral("Data Transfer OK")
                                          : QStringLiteral("Transfer incomplete"));
    if (closeRequested_) {
        return;
    }
    QStringList message;
    if (!state.fgTransferOK) {
        message << QStringLiteral("The transfer is incomplete: %1.").arg(incompleteReason)
                << QStringLiteral("%1 readings were saved in %2.")
                       .arg(state.datano)
                       .arg(FromLocalText(state.df));
    }
    if (malformedRecords > 0) {
        message << QStringLiteral(
                       "%1 of the %2 readings came from frames that held bytes other than "
                       "digits, so their values are not what the meter stored. Check the cable "
                       "and that it is plugged into the port chosen, and that the meter sends "
                       "at 9600 baud.")
                       .arg(malformedRecords)
                       .arg(state.datano);
    }
    if (!message.isEmpty()) {
        Report(message.join(QStringLiteral("\n\n")));
    }
}

// Exit and the close box stop a running transfer only when the user agrees, once the meter
// has begun to send; before that nothing would be lost.
bool Form2::MayStopTransfer() {
    if (!transferRunning_ || closeRequested_) {
        return true;
    }
    if (MSComm1.BytesReceived() > 0) {
        QMessageBox question(
            QMessageBox::Question, windowTitle(),
            QStringLiteral("A transfer is running: %1 readings are saved in %2. Stop it and exit?")
                .arg(state.datano)
                .arg(FromLocalText(state.df)),
            QMessageBox::Yes | QMessageBox::No, this);
        question.setDefaultButton(QMessageBox::No);
        if (question.exec() != QMessageBox::Yes) {
            return false;
        }
    }
    closeRequested_ = true;
    return true;
}

void Form2::ShowWaiting(int port) {
    TransferProgress->setText(
        QStringLiteral("Waiting for the meter on %1 (%2): press RESET on the meter.")
            .arg(PortName(port), MSComm1.Device()));
    TransferProgress->show();
}

void Form2::ShowReceiving(qint64 elapsedMs) {
    const qint64 seconds = elapsedMs / 1000;
    TransferProgress->setText(QStringLiteral("Receiving: %1 readings in %2:%3")
                                  .arg(state.datano)
                                  .arg(seconds / 60)
                                  .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

// The one place that enables and disables controls. While a transfer runs the name, the port,
// View Data and opening files stay as they are and Start cannot run it again; View Data and
// Plot readings have something to show once a transfer has written a data file. Focus never
// falls to Exit by itself: a control about to be disabled hands it to the table, where no key
// ends anything.
void Form2::UpdateControls() {
    QWidget* locked[] = {Command1[0], Command1[1], Text1, Option1[0], Option1[1]};
    if (transferRunning_ &&
        std::find(std::begin(locked), std::end(locked), focusWidget()) != std::end(locked)) {
        FGrid1->setFocus();
    }
    const bool transferShown = dataFileWritten_ && !transferRunning_;
    Command1[0]->setEnabled(!transferRunning_);
    Command1[1]->setEnabled(transferShown);
    PlotReadingsAction->setEnabled(transferShown);
    OpenDataFileAction->setEnabled(!transferRunning_);
    Text1->setEnabled(!transferRunning_);
    for (QRadioButton* option : Option1) {
        option->setEnabled(!transferRunning_);
    }
    TransferProgress->setVisible(transferRunning_);
}

void Form2::ViewData() {
    std::vector<Record> records;
    const Failure failure =
        state.datano > 0 ? ReadDataFileRecords(state.df, state.datano, records) : std::nullopt;
    gridModel_->ShowRecords(std::move(records));
    FGrid1->scrollToTop();
    if (failure) {
        Report(FromLocalText(*failure));
    }
}

}  // namespace rv7342
