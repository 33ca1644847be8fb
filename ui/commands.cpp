// The three commands of Form2, the transfer that Start runs and the table View Data fills.

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "datafiles/files.h"
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
    bool YesNo = false;
    CheckFile(YesNo);
    if (!YesNo) {
        return;
    }
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
    TransferMachine machine(state, state.datano,
                            [&file](const Record& record) { return file.Append(record); });
    TransferEnd end = RunTransfer(machine, [this] { return MSComm1.ReadCommByte(); });
    QString failure = end == TransferEnd::WriteFailed
                          ? FromLocalText(machine.WriteFailure().value_or(""))
                          : QStringLiteral("the connection to %1 (%2) was lost: %3")
                                .arg(PortName(port), MSComm1.Device(), MSComm1.FailureReason());
    MSComm1.CloseCommPort();
    state.fgComPortOpen = false;
    if (const Failure closeFailure = file.Close(); closeFailure && end == TransferEnd::Complete) {
        end = TransferEnd::WriteFailed;
        failure = FromLocalText(*closeFailure);
    }
    EndTransfer(end, failure);
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

void Form2::EndTransfer(TransferEnd end, const QString& failure) {
    transferRunning_ = false;
    dataFileWritten_ = true;
    Label1[4]->setText(QString::number(state.datano));
    UpdateControls();
    if (end == TransferEnd::Complete) {
        state.fgTransferOK = true;
        Label1[2]->setText(QStringLiteral("Data Transfer OK"));
        return;
    }
    Label1[2]->setText(QStringLiteral("Transfer incomplete"));
    if (!closeRequested_) {
        Report(QStringLiteral("The transfer is incomplete: %1.\n\n%2 readings were saved in %3.")
                   .arg(failure)
                   .arg(state.datano)
                   .arg(FromLocalText(state.df)));
    }
}

// The one place that enables and disables controls. While a transfer runs the name, the port
// and View Data stay as they are and Start cannot run it again; View Data has something to
// show once a transfer has written a data file.
void Form2::UpdateControls() {
    Command1[0]->setEnabled(!transferRunning_);
    Command1[1]->setEnabled(dataFileWritten_ && !transferRunning_);
    Text1->setEnabled(!transferRunning_);
    for (QRadioButton* option : Option1) {
        option->setEnabled(!transferRunning_);
    }
}

void Form2::ViewData() {
    std::string text;
    if (state.datano > 0) {
        if (const Failure failure = ReadWholeFile(state.df, text)) {
            gridModel_->ShowRecords({});
            Report(FromLocalText(*failure));
            return;
        }
    }
    std::vector<Record> records;
    const Failure failure = ReadRecordsFromText(text, state.datano, records);
    const std::size_t read = records.size();
    gridModel_->ShowRecords(std::move(records));
    FGrid1->scrollToTop();
    if (failure) {
        Report(QStringLiteral("%1 should hold %2 readings, but only %3 could be read: %4.")
                   .arg(FromLocalText(state.df))
                   .arg(state.datano)
                   .arg(read)
                   .arg(FromLocalText(*failure)));
    }
}

}  // namespace rv7342
