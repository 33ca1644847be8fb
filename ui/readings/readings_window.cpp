#include "ui/readings/readings_window.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollArea>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "datafiles/files.h"
#include "desktop/local_text.h"
#include "export/readings_export.h"
#include "ui/chart/chart_saving.h"
#include "ui/chart/cursor_lines.h"
#include "ui/chart/limit_marks.h"
#include "ui/chart/readings_chart.h"
#include "ui/readings/conversions_dialog.h"
#include "ui/readings/readings_settings.h"
#include "ui/readings/statistics_columns.h"
#include "ui/readings/statistics_model.h"
#include "ui/readings/time_axis_bar.h"

namespace rv7342 {

namespace {

const QString kMessageTitle = QStringLiteral("RV7342 Readings");

// With the limits shown, the statistics of a file's readings fit this width.
constexpr QSize kDefaultSize(1000, 700);

}  // namespace

QStringList DroppedDataFiles(const QMimeData* data) {
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    return paths;
}

// The views and the statistics model read document_, which goes before the base class deletes
// them.
ReadingsWindow::~ReadingsWindow() {
    delete takeCentralWidget();
    qDeleteAll(findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly));
    delete statistics_;
}

ReadingsWindow::ReadingsWindow(const QString& path, const UnitTable& names, QWidget* parent)
    : QMainWindow(parent, Qt::Window), path_(path), names_(names) {
    setWindowTitle(ReadingsTitle(path));
    setAcceptDrops(true);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    timeAxis_ = new TimeAxisBar(central);
    layout->addWidget(timeAxis_);
    chart_ = new ReadingsChart(document_, central);
    // Past the panels that fit, the chart scrolls.
    auto* scroll = new QScrollArea(central);
    scroll->setWidget(chart_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusProxy(chart_);
    layout->addWidget(scroll, 1);
    setCentralWidget(central);
    CreatePanes();
    summary_ = new QLabel(statusBar());
    summary_->setWordWrap(true);
    statusBar()->addWidget(summary_, 1);
    cursors_ = new CursorLines(chart_);
    limitMarks_ = new LimitMarks(chart_);
    CreateMenus();
    document_.SetConversions(LoadConversions(path_));
    for (const auto& [unit, limits] : LoadLimits(path_)) {
        document_.SetLimits(unit, limits);
    }
    showLimits_->setChecked(!document_.UnitLimits().empty());
    statistics_->ShowLimits(showLimits_->isChecked());

    timeAxis_->SetAxis(LoadTimeAxis(path_));
    chart_->SetTimeAxis(timeAxis_->Axis());
    UpdateAxisChoices();
    connect(timeAxis_, &TimeAxisBar::axisChosen, this, [this](const TimeAxis& axis) {
        SaveTimeAxis(path_, axis);
        chart_->SetTimeAxis(axis);
        UpdateAxisChoices();
        UpdateRangeStatistics();
        UpdateReadout();
    });
    connect(cursors_, &CursorLines::cursorsChanged, this, [this] {
        UpdateReadout();
        UpdateRangeStatistics();
    });
    connect(chart_, &ReadingsChart::seriesShownChanged, this, [this] {
        cursors_->Redraw();
        limitMarks_->Redraw();
        UpdateReadout();
    });
    connect(chart_, &ReadingsChart::coloursChanged, this,
            [this] { statistics_->ShowColours(SeriesColours()); });
    connect(chart_, &ReadingsChart::pointDescribed, this, [this](const QString& point) {
        point.isEmpty() ? statusBar()->clearMessage() : statusBar()->showMessage(point);
    });
    connect(betweenCursors_, &QCheckBox::toggled, this, [this](bool between) {
        document_.SetStatisticsBetweenCursors(between);
        UpdateRangeStatistics();
    });
    connect(showLimits_, &QCheckBox::toggled, statistics_, &StatisticsModel::ShowLimits);
    connect(statistics_, &StatisticsModel::limitsRequested, this,
            [this](int row, const Limits& limits) {
                SetLimits(document_.Series().at(static_cast<std::size_t>(row)).unit, limits);
            });
    connect(chart_, &ReadingsChart::readingRangeChanged, this,
            &ReadingsWindow::UpdateRangeStatistics);
    connect(chart_, &ReadingsChart::seriesShownChanged, statistics_,
            [this](int index) { statistics_->ShowShown(index); });
    connect(statistics_, &StatisticsModel::showRequested, this, &ReadingsWindow::ShowSeries);
    resize(kDefaultSize);
    RestoreWindowState();
}

// Below the chart, the statistics and under them the readout, each the window's full width;
// more panes can join them, and the user can stack, move or float them.
void ReadingsWindow::CreatePanes() {
    setDockOptions(AnimatedDocks | AllowNestedDocks | AllowTabbedDocks);
    const auto pane = [this](const QString& title, const QString& name, QWidget* contents) {
        auto* dock = new QDockWidget(title, this);
        dock->setObjectName(name);
        dock->setWidget(contents);
        addDockWidget(Qt::BottomDockWidgetArea, dock);
        return dock;
    };
    statisticsPane_ =
        pane(QStringLiteral("Statistics"), QStringLiteral("statistics"), CreateStatistics());
    readoutPane_ =
        pane(QStringLiteral("Cursor readout"), QStringLiteral("readout"), CreateReadout());
    splitDockWidget(statisticsPane_, readoutPane_, Qt::Vertical);
    resizeDocks({statisticsPane_, readoutPane_}, {130, 80}, Qt::Vertical);
}

QWidget* ReadingsWindow::CreateStatistics() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* above = new QHBoxLayout;
    rangeLine_ = new QLabel(box);
    above->addWidget(rangeLine_, 1);
    // Alt+B and Alt+L are the shortcuts of the menu commands these boxes go with.
    betweenCursors_ = new QCheckBox(QStringLiteral("Statistics between the cursors"), box);
    betweenCursors_->setEnabled(false);
    above->addWidget(betweenCursors_);
    showLimits_ = new QCheckBox(QStringLiteral("Show limits"), box);
    showLimits_->setToolTip(
        QStringLiteral("Lower and upper limits of each unit, edited in the table, and how the "
                       "readings keep to them"));
    above->addWidget(showLimits_);
    layout->addLayout(above);
    statistics_ = new StatisticsModel(document_, this);
    table_ = new QTableView(box);
    table_->setModel(statistics_);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    columns_ = new StatisticsColumns(table_, statistics_);
    layout->addWidget(table_);
    return box;
}

QWidget* ReadingsWindow::CreateReadout() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    readout_ = new QLabel(box);
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    readout_->hide();
    noCursor_ = new QLabel(
        QStringLiteral("No cursor is placed: press A or B with the chart in focus, or choose "
                       "Measure > Cursor A."),
        box);
    noCursor_->setWordWrap(true);
    layout->addWidget(readout_);
    layout->addWidget(noCursor_);
    layout->addStretch(1);
    return box;
}

void ReadingsWindow::ShowReadings(ReadingsDocument document) {
    // The time axis, the limits, the cursors and what the statistics are of stay the file's.
    const TimeAxis axis = document_.Axis();
    const std::map<std::string, Limits> limits = document_.UnitLimits();
    std::vector<Conversion> conversions = document_.Conversions();
    const std::optional<double> a = document_.CursorA();
    const std::optional<double> b = document_.CursorB();
    // Those compared when the file was last shown, at first.
    const QStringList compared =
        document_.ReadingCount() > 0 ? ComparedPaths() : LoadComparedFiles(path_);
    cursors_->RemoveLines();  // they stand on panels that are replaced
    limitMarks_->Remove();
    document_ = std::move(document);
    document_.SetAxis(axis);
    document_.SetConversions(std::move(conversions));
    for (const auto& [unit, unitLimits] : limits) {
        document_.SetLimits(unit, unitLimits);
    }
    const auto snapped = [this](std::optional<double> cursor) -> std::optional<double> {
        return cursor ? NearestReading(document_.CursorReadings(), *cursor) : cursor;
    };
    document_.SetCursors(snapped(a), snapped(b));
    document_.SetStatisticsBetweenCursors(betweenCursors_->isChecked());
    ShowSeriesOfDocument();
    for (const QString& file : compared) {
        (void)CompareWith(file);  // read as it stands now; gone, it is left out
    }
    UpdateSummary();
}

std::vector<QColor> ReadingsWindow::SeriesColours() const {
    std::vector<QColor> colours;
    for (std::size_t i = 0; i < document_.Series().size(); ++i) {
        colours.push_back(chart_->SeriesColour(static_cast<int>(i)));
    }
    return colours;
}

// The document's series have changed: the table's rows, the chart and its overlays anew.
void ReadingsWindow::ShowSeriesOfDocument() {
    cursors_->RemoveLines();
    limitMarks_->Remove();
    statistics_->ShowSeries(SeriesColours());
    chart_->ShowDocument();
    cursors_->Redraw();
    limitMarks_->ShowLimits();
    UpdateRangeStatistics();
    UpdateReadout();
}

std::optional<QString> ReadingsWindow::CompareWith(const QString& path) {
    std::vector<Record> records;
    const Failure failure = ReadDataFile(LocalPath(path), records);
    if (failure && records.empty()) {
        return QStringLiteral("Cannot compare with %1").arg(FromLocalText(*failure));
    }
    // A file compared again is read anew; the file itself is compared like any other.
    document_.RemoveComparedFile(LocalPath(path));
    document_.AddComparedFile(LocalPath(path), records, names_, LoadTimeAxis(path));
    SaveComparedFiles(path_, ComparedPaths());
    ShowSeriesOfDocument();
    if (failure) {
        return QStringLiteral("Compared with the readings before the faulty line: %1")
            .arg(FromLocalText(*failure));
    }
    return std::nullopt;
}

void ReadingsWindow::RemoveComparedFile(const QString& path) {
    document_.RemoveComparedFile(LocalPath(path));
    SaveComparedFiles(path_, ComparedPaths());
    ShowSeriesOfDocument();
}

QStringList ReadingsWindow::ComparedPaths() const {
    QStringList paths;
    for (const std::string& file : document_.ComparedFiles()) {
        paths << QFile::decodeName(QByteArray::fromStdString(file));
    }
    return paths;
}

void ReadingsWindow::SetConversions(std::vector<Conversion> conversions) {
    SaveConversions(path_, conversions);
    document_.SetConversions(std::move(conversions));
    ShowSeriesOfDocument();
}

void ReadingsWindow::ChooseConversions() {
    std::vector<std::string> units;
    for (const DocumentSeries& series : document_.Series()) {
        if (std::find(units.begin(), units.end(), series.readUnit) == units.end()) {
            units.push_back(series.readUnit);
        }
    }
    ConversionsDialog dialog(units, document_.Conversions(), this);
    std::vector<Conversion> conversions;
    if (dialog.exec() == QDialog::Accepted && !dialog.Read(conversions)) {
        SetConversions(std::move(conversions));
    }
}

void ReadingsWindow::ChooseFileToCompare() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Compare with"), QFileInfo(path_).absolutePath(),
        QStringLiteral("Data files (*.dat);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    if (const std::optional<QString> failure = CompareWith(path)) {
        QMessageBox::warning(this, kMessageTitle, *failure);
    }
}

void ReadingsWindow::ChooseComparedFileToRemove() {
    QStringList files;
    for (const std::string& file : document_.ComparedFiles()) {
        files << FromLocalText(file);
    }
    if (files.isEmpty()) {
        QMessageBox::information(this, kMessageTitle,
                                 QStringLiteral("No other file is compared with this one."));
        return;
    }
    bool chosen = files.size() == 1;
    const QString file =
        chosen ? files.front()
               : QInputDialog::getItem(this, QStringLiteral("Remove compared file"),
                                       QStringLiteral("File:"), files, 0, false, &chosen);
    if (chosen) {
        RemoveComparedFile(file);
    }
}

// The figures of the readings inside the range shown, both ends included.
void ReadingsWindow::UpdateRangeStatistics() {
    statistics_->ShowFigures();
    rangeLine_->setText(statistics_->Readings());
}

void ReadingsWindow::SetLimits(const std::string& unit, const Limits& limits) {
    document_.SetLimits(unit, limits);
    SaveLimits(path_, document_.UnitLimits());
    limitMarks_->ShowLimits();
    UpdateRangeStatistics();
}

void ReadingsWindow::UpdateReadout() {
    UpdateCommandStates();
    readout_->setVisible(cursors_->AnyPlaced());
    noCursor_->setVisible(!cursors_->AnyPlaced());
    if (!cursors_->AnyPlaced()) {
        return;
    }
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    bool header = true;
    for (const std::vector<std::string>& row : document_.Readout()) {
        html += QStringLiteral("<tr>");
        for (const std::string& cell : row) {
            const QString tag = header ? QStringLiteral("th") : QStringLiteral("td");
            html += QStringLiteral("<%1 align=\"left\">%2</%1>")
                        .arg(tag, QString::fromStdString(cell).toHtmlEscaped());
        }
        html += QStringLiteral("</tr>");
        header = false;
    }
    readout_->setText(html + QStringLiteral("</table>"));
}

void ReadingsWindow::UpdateSummary() {
    const std::size_t leftOut = document_.LeftOut();
    QString text = QStringLiteral("%1 readings of %2.").arg(document_.ReadingCount()).arg(path_);
    if (leftOut > 0) {
        text += (leftOut == 1 ? QStringLiteral(" 1 value is")
                              : QStringLiteral(" %1 values are").arg(leftOut)) +
                QStringLiteral(
                    " not finite or beyond single precision: not drawn and not in "
                    "the statistics (see Left out).");
    }
    if (const std::size_t notDrawn = chart_->SeriesLeftOut(); notDrawn > 0) {
        text += QStringLiteral(
                    " The chart draws the first %1 of its %2 series; %3 are left out "
                    "of it, though not of the statistics.")
                    .arg(ReadingsChart::kMostSeriesDrawn)
                    .arg(document_.Series().size())
                    .arg(notDrawn);
    }
    summary_->setText(text);
    UpdateCommandStates();
}

bool ReadingsWindow::SeriesShown(int index) const {
    return chart_->SeriesShown(index);
}

void ReadingsWindow::ShowSeries(int index, bool shown) {
    chart_->ShowSeries(index, shown);
}

void ReadingsWindow::ShowWholeMemory() {
    chart_->ShowWholeMemory();
}

QString ReadingsWindow::StatisticsText() const {
    QString text = statistics_->Text();
    const std::vector<std::vector<std::string>> readout = document_.Readout();
    if (!readout.empty()) {
        text += QLatin1Char('\n');
    }
    for (const std::vector<std::string>& row : readout) {
        QStringList cells;
        for (const std::string& cell : row) {
            cells << QString::fromStdString(cell);
        }
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

void ReadingsWindow::CopyStatistics() const {
    QGuiApplication::clipboard()->setText(StatisticsText());
}

// The data file shown is never written over, under any name or link.
std::optional<QString> ReadingsWindow::RefuseDataFile(const QString& path) const {
    if (!SameFile(LocalPath(path), LocalPath(path_))) {
        return std::nullopt;
    }
    return QStringLiteral(
               "Cannot write %1: it is the data file this window shows (%2), which is "
               "left as it is. Choose another name.")
        .arg(path, path_);
}

std::optional<QString> ReadingsWindow::SaveChart(const QString& path) {
    if (std::optional<QString> refused = RefuseDataFile(path)) {
        return refused;
    }
    return rv7342::SaveChart(*chart_, path, chart_->size(), windowTitle());
}

std::optional<QString> ReadingsWindow::ExportReadings(const QString& path) const {
    const std::optional<ExportFormat> format =
        ExportFormatNamed(QFileInfo(path).suffix().toStdString());
    if (!format) {
        return QStringLiteral(
                   "Cannot export the readings as %1: the name must end in .xlsx or "
                   ".csv")
            .arg(path);
    }
    if (std::optional<QString> refused = RefuseDataFile(path)) {
        return refused;
    }
    // The file is read again rather than held twice while the window is open.
    std::vector<Record> records;
    if (const Failure failure = ReadDataFileRecords(
            LocalPath(path_), static_cast<int>(document_.ReadingCount()), records)) {
        return QStringLiteral("Cannot export the readings: %1").arg(FromLocalText(*failure));
    }
    const TimeAxis& axis = document_.Axis();
    if (const Failure failure = WriteReadings(LocalPath(path), *format, records, names_, axis,
                                              document_.Conversions())) {
        return FromLocalText(*failure);
    }
    return std::nullopt;
}

// A file to write beside the data file, named after it; a name typed without a suffix takes
// that of the filter chosen. Empty when the user cancels.
QString ReadingsWindow::AskForFileToWrite(const QString& title, const QString& suffix,
                                          const QString& filters) {
    const QFileInfo data(path_);
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        this, title, data.absolutePath() + QLatin1Char('/') + data.completeBaseName() + suffix,
        filters, &filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += QLatin1Char('.') + filter.section(QStringLiteral("*."), 1).chopped(1);
    }
    return path;
}

void ReadingsWindow::ChooseFileAndSaveChart() {
    const QString path = AskForFileToWrite(
        QStringLiteral("Save chart"), QStringLiteral(".png"),
        QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    if (const auto failure = SaveChart(path)) {
        QMessageBox::warning(this, kMessageTitle, *failure);
    }
}

void ReadingsWindow::ChooseFileAndExport() {
    const QString path = AskForFileToWrite(
        QStringLiteral("Export readings"), QStringLiteral(".xlsx"),
        QStringLiteral("Spreadsheet workbook (*.xlsx);;Comma-separated values, for programs "
                       "(*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<QString> failure = ExportReadings(path);
    QGuiApplication::restoreOverrideCursor();
    if (failure) {
        QMessageBox::warning(this, kMessageTitle, *failure);
    }
}

void ReadingsWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedDataFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void ReadingsWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = DroppedDataFiles(event->mimeData());
    if (!paths.isEmpty()) {
        event->acceptProposedAction();
        emit openRequested(paths);
    }
}

void ReadingsWindow::closeEvent(QCloseEvent* event) {
    SaveReadingsWindowState({saveGeometry(), saveState()});
    QMainWindow::closeEvent(event);
}

// Another theme applied, from this window or another.
void ReadingsWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && themeChoices_) {
        UpdateThemeChoice();
    }
}

void ReadingsWindow::RestoreWindowState() {
    const ReadingsWindowState state = LoadReadingsWindowState();
    restoreGeometry(state.geometry);
    restoreState(state.panes);
}

}  // namespace rv7342
