// The three commands of Form2, the transfer that Start runs and the table View Data fills.

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>
#include <iterator>

#include "datafiles/files.h"
#include "transfer/transfer_messages.h"
#include "ui/main/data_file_name.h"
#include "ui/main/data_viewer.h"
#include "ui/main/main_window.h"

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
                transfer_.Stop();  // closes the port and the data file
            }
            close();
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
    Label1[2]->setText(QStringLiteral("Press Reset to Transfer Data"));
    ReadDataLogger();
}

// Begins a download: the port, then the data file. The transfer then runs from the event loop
// and ends in EndTransfer.
void Form2::ReadDataLogger() {
    const int port = Option1[0]->isChecked() ? 1 : 2;
    if (const std::optional<QString> failure = transfer_.Start(port, state.df)) {
        Label1[2]->clear();
        Report(*failure);
        return;
    }
    state.fgComPortOpen = true;
    state.fgTransferOK = false;
    state.datano = 0;
    progressShown_.invalidate();
    UpdateControls();
    ShowWaiting(port);
}

void Form2::ShowProgress() {
    state.datano = transfer_.Records();
    // At most about ten updates a second, so the indicator costs nothing at line speed.
    if (transfer_.MeterHasSent() &&
        (!progressShown_.isValid() || progressShown_.elapsed() >= 100)) {
        progressShown_.start();
        TransferProgress->setText(
            FromLocalText(ReceivingMessage(state.datano, transfer_.MsSinceFirstByte())));
    }
}

void Form2::EndTransfer() {
    state.fgComPortOpen = false;
    state.datano = transfer_.Records();
    dataFileWritten_ = true;
    Label1[4]->setText(QString::number(state.datano));
    UpdateControls();
    state.fgTransferOK = transfer_.End() == TransferEnd::Complete;
    Label1[2]->setText(FromLocalText(TransferStatus(state.fgTransferOK)));
    if (transfer_.End() == TransferEnd::Stopped) {
        return;  // by Exit or the close box, which asked first
    }
    const std::string report = EndOfTransferReport(transfer_.IncompleteReason(), state.datano,
                                                   state.df, transfer_.MalformedRecords());
    if (!report.empty()) {
        Report(FromLocalText(report));
    }
}

// Exit and the close box stop a running transfer only when the user agrees, once the meter
// has begun to send; before that nothing would be lost.
bool Form2::MayStopTransfer() {
    if (transfer_.Running() && transfer_.MeterHasSent()) {
        QMessageBox question(
            QMessageBox::Question, windowTitle(),
            QStringLiteral("A transfer is running: %1 readings are saved in %2. Stop it and exit?")
                .arg(state.datano)
                .arg(FromLocalText(state.df)),
            QMessageBox::Yes | QMessageBox::No, this);
        question.setDefaultButton(QMessageBox::No);
        return question.exec() == QMessageBox::Yes;
    }
    return true;
}

void Form2::ShowWaiting(int port) {
    TransferProgress->setText(FromLocalText(WaitingMessage(port, ToLocalText(MSComm1.Device()))));
    TransferProgress->show();
}

// The one place that enables and disables controls. While a transfer runs the name, the port,
// View Data and opening files stay as they are and Start cannot run it again; View Data and
// Plot readings have something to show once a transfer has written a data file. Focus never
// falls to Exit by itself: a control about to be disabled hands it to the table, where no key
// ends anything.
void Form2::UpdateControls() {
    const bool transferRunning = transfer_.Running();
    QWidget* locked[] = {Command1[0], Command1[1], Text1, Option1[0], Option1[1]};
    if (transferRunning &&
        std::find(std::begin(locked), std::end(locked), focusWidget()) != std::end(locked)) {
        FGrid1->setFocus();
    }
    const bool transferShown = dataFileWritten_ && !transferRunning;
    Command1[0]->setEnabled(!transferRunning);
    Command1[1]->setEnabled(transferShown);
    PlotReadingsAction->setEnabled(transferShown);
    OpenDataFileAction->setEnabled(!transferRunning);
    Text1->setEnabled(!transferRunning);
    for (QRadioButton* option : Option1) {
        option->setEnabled(!transferRunning);
    }
    TransferProgress->setVisible(transferRunning);
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
