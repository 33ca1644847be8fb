#pragma once
// Form2, the program's main window: port choice, data file name, transfer status and count,
// the set-up instructions, the table of readings and the Start, View Data and Exit buttons in
// its client area, and a menu bar above it that opens data files in readings windows.

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string>

#include "datafiles/unit_table.h"
#include "desktop/local_text.h"
#include "transfer/serial_link.h"
#include "transfer/transfer_session.h"
#include "ui/main/form_state.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace rv7342 {

class GridModel;
class ReadingsWindowSet;

// The default data file name: characters 3-4, 6-7 and 9-10 of a date written yyyy-mm-dd,
// then ".dat" ("2026-12-06" gives "261206.dat").
QString DefaultFileName(const QString& isoDate);

class Form2 : public QMainWindow {
    Q_OBJECT
  public:
    // `programDir` is the running program's folder: with a "unit2.dat" in it, the unit names
    // are read from there and data files are written there; otherwise the user's documents
    // hold the data files (see datafiles/data_places.h). `listPorts` tells which serial
    // ports the machine has.
    explicit Form2(const QString& programDir, QWidget* parent = nullptr,
                   PortLister listPorts = MachinePorts);

    const FormState& State() const { return state; }
    FormState& State() { return state; }

    void Command1_Click(int Index);
    // Between Start opening the port and the end of the transfer.
    bool TransferRunning() const { return transfer_.Running(); }
    void CheckFile(bool& YesNo);
    void ViewData();

    // Shows every record of each data file in a readings window of its own.
    void OpenDataFiles(const QStringList& paths);
    ReadingsWindowSet& Readings() { return *readings_; }

    // Controls, addressed by their names and indices.
    std::array<QLabel*, 5> Label1{};
    QLineEdit* Text1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 2> Option1{};
    QGroupBox* Frame2 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QTableView* FGrid1 = nullptr;
    std::array<QPushButton*, 3> Command1{};
    // Shown while a transfer runs: waiting for the meter, then the readings received so far.
    QLabel* TransferProgress = nullptr;

    // The menu bar's commands.
    QAction* OpenDataFileAction = nullptr;
    QAction* PlotReadingsAction = nullptr;
    QAction* AboutAction = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateControls();
    void PaintColours();
    void CreateMenuBar();
    void ChooseDataFile();
    void PlotReadings();
    void ShowAbout();
    void CreateSettingsControls();
    void CreateStatusControls();
    void CreateSetupFrame();
    void CreateGridAndButtons();
    void SetTabOrder();
    void Form_Load();
    void Text1_Change(const QString& text);
    std::optional<QString> MakeDataFolderIfNeeded() const;
    void Check1_Click() {}

    void StartTransfer();
    void ReadDataLogger();
    void ShowProgress();
    void EndTransfer();
    bool MayStopTransfer();
    void ShowWaiting(int port);
    void UpdateControls();
    void Report(const QString& message);

    QString programDir_;
    QString dataFolder_;               // where a name without a full path is taken
    QString unitTable_;                // the unit-name table in use
    UnitTableFaults unitTableFaults_;  // its lines that are no entry, told in Help > About
    QString openFolder_;  // where File > Open starts: the data folder, then the last one used
    QWidget* client_ = nullptr;  // the client area, under the menu bar
    ReadingsWindowSet* readings_ = nullptr;
    FormState state;
    SerialLink MSComm1;
    TransferSession transfer_{MSComm1, state.decoder};
    QElapsedTimer progressShown_;  // since the progress line last changed
    GridModel* gridModel_ = nullptr;
    bool dataFileWritten_ = false;  // by a transfer of this run: View Data has a file to show
};

}  // namespace rv7342
