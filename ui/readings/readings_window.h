#pragma once
// The readings window: the readings of one data file as a chart of a panel per unit, the
// controls of its time axis above it, and below it the statistics of the readings in the range
// shown and the cursors' readout, each a pane the user can hide, move or float. Every command
// is in its menus, the frequent ones on its toolbar too. It is not modal, and there is one per
// file.

#include <QColor>
#include <QMainWindow>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "datafiles/unit_table.h"
#include "document/readings_document.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QDockWidget;
class QLabel;
class QMimeData;
class QTableView;

namespace rv7342 {

class CursorLines;
class LimitMarks;
class ReadingsChart;
class StatisticsColumns;
class StatisticsModel;
class TimeAxisBar;

// The local files among what is dragged onto a window.
QStringList DroppedDataFiles(const QMimeData* data);

class ReadingsWindow : public QMainWindow {
    Q_OBJECT
  public:
    ReadingsWindow(const QString& path, const UnitTable& names, QWidget* parent = nullptr);
    // The views and the statistics model read document_: they go before it.
    ~ReadingsWindow() override;

    // Replaces what the window shows with `document`, a reading of its file. The time axis is
    // the one last chosen for the file.
    void ShowReadings(ReadingsDocument document);
    const ReadingsDocument& Document() const { return document_; }

    const QString& Path() const { return path_; }
    ReadingsChart* Chart() const { return chart_; }
    TimeAxisBar* TimeAxisControls() const { return timeAxis_; }
    QTableView* StatisticsTable() const { return table_; }
    StatisticsModel* Statistics() const { return statistics_; }
    // The columns shown and hidden from the table header's context menu.
    StatisticsColumns* Columns() const { return columns_; }
    // "Readings 1201–2400 of 32767" or "All 32767 readings", above the table.
    QLabel* RangeLine() const { return rangeLine_; }
    // In the status bar, which also tells the reading the pointer rests on.
    QLabel* Summary() const { return summary_; }
    QDockWidget* StatisticsPane() const { return statisticsPane_; }
    QDockWidget* ReadoutPane() const { return readoutPane_; }
    CursorLines* CursorControls() const { return cursors_; }
    // In its pane while a cursor is placed: the readings and values at the cursors, their
    // differences and each series' slope.
    QLabel* Readout() const { return readout_; }
    // Switches the statistics between the range shown and the readings between the cursors.
    QCheckBox* BetweenCursorsBox() const { return betweenCursors_; }
    // Shows the limit columns of the statistics, where limits are edited.
    QCheckBox* LimitsBox() const { return showLimits_; }
    LimitMarks* Marks() const { return limitMarks_; }
    // Another data file's readings beside this file's, lined up by the axis shown, each file
    // with the time axis remembered for it. A failure names the file and why.
    [[nodiscard]] std::optional<QString> CompareWith(const QString& path);
    void RemoveComparedFile(const QString& path);
    // Converts the units' readings (see ReadingsDocument::SetConversions); remembered for the
    // file.
    void SetConversions(std::vector<Conversion> conversions);
    // The unit's limits, named as its panel is; remembered for the file.
    void SetLimits(const std::string& unit, const Limits& limits);

    bool SeriesShown(int index) const;
    void ShowSeries(int index, bool shown);
    void ShowWholeMemory();
    // What the table shows as tab-separated text, the line of readings first, then the
    // cursors' readout while a cursor is placed.
    QString StatisticsText() const;
    void CopyStatistics() const;
    // Saves the chart as shown as PNG, SVG or PDF, chosen by the name's suffix; never onto the
    // data file shown.
    [[nodiscard]] std::optional<QString> SaveChart(const QString& path);
    // Writes every reading of the file as XLSX or CSV, chosen by the name's suffix; never onto
    // the data file shown.
    [[nodiscard]] std::optional<QString> ExportReadings(const QString& path) const;

  private:
    [[nodiscard]] std::optional<QString> RefuseDataFile(const QString& path) const;

  signals:
    // Data files dropped on the window or chosen with Open data file.
    void openRequested(const QStringList& paths);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QWidget* CreateStatistics();
    QWidget* CreateReadout();
    void CreatePanes();
    // In readings_window_menus.cpp: the commands, the menus and the toolbar.
    // `explanation` is what the status bar says while the command is pointed at.
    QAction* AddCommand(const QString& text, const QList<QKeySequence>& keys,
                        const std::function<void()>& command, const QString& explanation = {});
    // Puts the command on the toolbar too, with the bundled icon of that name.
    QAction* Frequent(QAction* action, const QString& icon);
    void CreateMenus();
    void CreateFileMenu();
    void CreateViewMenu(QAction* toolbarShown);
    void CreateMeasureMenu();
    void CreateHelpMenu();
    void ShowMouseAndKeys();
    void ShowAbout();
    void ChooseFileToOpen();
    void UpdateAxisChoices();
    void UpdateThemeChoice();
    void UpdateCommandStates();
    void ShowSecondDisplay(bool shown);
    void RestoreWindowState();
    void UpdateRangeStatistics();
    void UpdateSummary();
    void UpdateReadout();
    void ShowSeriesOfDocument();
    std::vector<QColor> SeriesColours() const;
    void ChooseFileToCompare();
    // The files compared, by their paths.
    QStringList ComparedPaths() const;
    void ChooseComparedFileToRemove();
    void ChooseConversions();
    QString AskForFileToWrite(const QString& title, const QString& suffix, const QString& filters);
    void ChooseFileAndSaveChart();
    void ChooseFileAndExport();

    QString path_;
    const UnitTable& names_;
    ReadingsDocument document_;
    ReadingsChart* chart_ = nullptr;
    TimeAxisBar* timeAxis_ = nullptr;
    StatisticsModel* statistics_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* rangeLine_ = nullptr;
    QLabel* summary_ = nullptr;
    CursorLines* cursors_ = nullptr;
    QLabel* readout_ = nullptr;
    QCheckBox* betweenCursors_ = nullptr;
    QCheckBox* showLimits_ = nullptr;
    LimitMarks* limitMarks_ = nullptr;
    StatisticsColumns* columns_ = nullptr;
    QLabel* noCursor_ = nullptr;
    QDockWidget* statisticsPane_ = nullptr;
    QDockWidget* readoutPane_ = nullptr;
    QActionGroup* axisChoices_ = nullptr;
    QActionGroup* themeChoices_ = nullptr;
    QAction* secondDisplay_ = nullptr;
    QAction* removeCursors_ = nullptr;
    QAction* betweenCursorsCommand_ = nullptr;
    QAction* showLimitsCommand_ = nullptr;
    // The commands the toolbar offers too, in its order; null for a separator.
    std::vector<QAction*> toolbarCommands_;
};

}  // namespace rv7342
