// The three commands of Form2 and the transfer that Start runs.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "ui/file_exists.h"
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
    Command1[0]->setEnabled(false);
    Label1[2]->setText(QStringLiteral("Press Reset to Transfer Data"));
    if (ReadDataLogger()) {
        Command1[1]->setEnabled(true);
    }
    if (closeRequested_) {
        close();
    }
}

// Runs one download. Returns whether a data file was written (completely or not).
bool Form2::ReadDataLogger() {
    const int port = Option1[0]->isChecked() ? 1 : 2;
    const QString openError = MSComm1.OpenCommPort(port);
    if (!openError.isEmpty()) {
        Label1[2]->clear();
        Command1[0]->setEnabled(true);
        Report(openError);
        return false;
    }
    state.fgComPortOpen = true;
    state.fgTransferOK = false;

    DataFileWriter file;
    if (const std::string error = file.Open(state.df); !error.empty()) {
        MSComm1.CloseCommPort();
        state.fgComPortOpen = false;
        Label1[2]->clear();
        Command1[0]->setEnabled(true);
        Report(QString::fromLocal8Bit(error.c_str()));
        return false;
    }

    SetTransferLocks(true);
    TransferMachine machine(state, [&file](const Record& record) { return file.Append(record); });
    TransferEnd end = RunTransfer(machine, [this] { return MSComm1.ReadCommByte(); });
    QString failure = end == TransferEnd::WriteFailed
                          ? QString::fromLocal8Bit(machine.WriteError().c_str())
                          : QStringLiteral("the connection to %1 (%2) was lost: %3")
                                .arg(PortName(port), MSComm1.Device(), MSComm1.FailureReason());
    MSComm1.CloseCommPort();
    state.fgComPortOpen = false;
    if (const std::string error = file.Close(); !error.empty() && end == TransferEnd::Complete) {
        end = TransferEnd::WriteFailed;
        failure = QString::fromLocal8Bit(error.c_str());
    }
    SetTransferLocks(false);
    EndTransfer(end, failure);
    return true;
}

void Form2::EndTransfer(TransferEnd end, const QString& failure) {
    Label1[4]->setText(QString::number(state.datano));
    Command1[0]->setEnabled(true);
    Command1[1]->setEnabled(true);
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
                   .arg(QFile::decodeName(QByteArray::fromStdString(state.df))));
    }
}

// While a transfer runs, the name, the port and View Data stay as they are.
void Form2::SetTransferLocks(bool transferring) {
    transferRunning_ = transferring;
    Text1->setEnabled(!transferring);
    Option1[0]->setEnabled(!transferring);
    Option1[1]->setEnabled(!transferring);
    if (transferring) {
        Command1[1]->setEnabled(false);  // enabled again when the transfer ends
    }
}

}  // namespace rv7342
