// The menu bar of Form2 and the ways it opens data files in readings windows: the menu, a
// file dropped on the window, and files named on the command line.

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QtGlobal>

#include "ui/main/main_window.h"
#include "ui/readings/readings_window_set.h"

namespace rv7342 {

void Form2::CreateMenuBar() {
    readings_ = new ReadingsWindowSet(state.UnitNames, this);
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    OpenDataFileAction =
        file->addAction(QStringLiteral("&Open data file..."), QKeySequence(QKeySequence::Open),
                        this, &Form2::ChooseDataFile);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, [this] { Command1_Click(2); });
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    PlotReadingsAction =
        view->addAction(QStringLiteral("&Plot readings..."), this, &Form2::PlotReadings);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    AboutAction = help->addAction(QStringLiteral("&About"), this, &Form2::ShowAbout);
    setAcceptDrops(true);
    // A file dropped on the name box opens like one dropped anywhere else on the window,
    // instead of typing its address into the name.
    Text1->setAcceptDrops(false);
}

void Form2::OpenDataFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        readings_->OpenDataFile(path);
    }
}

void Form2::ChooseDataFile() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open data file"), openFolder_,
                                     QStringLiteral("Data files (*.dat);;All files (*)"));
    if (!path.isEmpty()) {
        openFolder_ = QFileInfo(path).absolutePath();
        OpenDataFiles({path});
    }
}

// The readings of the last transfer, as View Data reads them.
void Form2::PlotReadings() {
    readings_->OpenTransferredRecords(FromLocalText(state.df), state.datano);
}

void Form2::ShowAbout() {
    QString faults;
    for (const std::string& fault : unitTableFaults_) {
        faults += QStringLiteral("<br>") + FromLocalText(fault).toHtmlEscaped();
    }
    if (!faults.isEmpty()) {
        faults.prepend(
            QStringLiteral("<br>Its lines that name no unit (each entry stays "
                           "unnamed, later lines keep their codes):"));
    }
    QMessageBox::about(
        this, QStringLiteral("About RV7342 for Windows"),
        QStringLiteral("<p><b>RV7342 for Windows</b> %1</p>"
                       "<p>Downloads the readings stored in an RV7342 data-logging meter and "
                       "shows them as a table and a chart.</p>"
                       "<p>Free software under the GNU General Public License, version 3 or "
                       "any later version (GPL-3.0-or-later).</p>"
                       "<p>Unit names: %3<br>Data folder: %4</p>"
                       "<p>Qt %2</p>")
            .arg(QStringLiteral(RV7342_VERSION), QString::fromLatin1(qVersion()),
                 unitTable_.toHtmlEscaped() + faults,
                 QDir::toNativeSeparators(dataFolder_).toHtmlEscaped()));
}

// Files are taken only while no transfer runs, like every other command but Exit.
void Form2::dragEnterEvent(QDragEnterEvent* event) {
    if (!TransferRunning() && !DroppedDataFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void Form2::dropEvent(QDropEvent* event) {
    const QStringList paths = DroppedDataFiles(event->mimeData());
    if (!TransferRunning() && !paths.isEmpty()) {
        event->acceptProposedAction();
        OpenDataFiles(paths);
    }
}

}  // namespace rv7342
