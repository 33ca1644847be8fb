#include "ui/readings_window.h"

#include <QAction>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>
#include <functional>

#include "desktop/local_text.h"
#include "export/readings_export.h"
#include "ui/chart/chart_saving.h"
#include "ui/chart/readings_chart.h"
#include "ui/readings_settings.h"
#include "ui/statistics_model.h"
#include "ui/time_axis_bar.h"

namespace rv7342 {

namespace {

const QString kMessageTitle = QStringLiteral("RV7342 Readings");

constexpr double kZoomStep = 1.5;
constexpr double kPanStep = 0.25;  // of the visible range

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

ReadingsWindow::ReadingsWindow(const QString& path, const UnitTable& names, QWidget* parent)
    : QWidget(parent, Qt::Window), path_(path), names_(names) {
    setWindowTitle(ReadingsTitle(path));
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateButtons());
    timeAxis_ = new TimeAxisBar(this);
    layout->addWidget(timeAxis_);
    chart_ = new ReadingsChart(document_, this);
    // Past the panels that fit, the chart scrolls.
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(chart_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusProxy(chart_);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(scroll);
    splitter->addWidget(CreateStatistics());
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({480, 160});
    layout->addWidget(splitter, 1);
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    AddKeyboardActions();

    timeAxis_->SetAxis(LoadTimeAxis(path_));
    chart_->SetTimeAxis(timeAxis_->Axis());
    connect(timeAxis_, &TimeAxisBar::axisChosen, this, [this](const TimeAxis& axis) {
        SaveTimeAxis(path_, axis);
        chart_->SetTimeAxis(axis);
        UpdateRangeStatistics();
    });
    connect(chart_, &ReadingsChart::readingRangeChanged, this,
            &ReadingsWindow::UpdateRangeStatistics);
    connect(chart_, &ReadingsChart::seriesShownChanged, statistics_,
            [this](int index) { statistics_->ShowShown(index); });
    connect(statistics_, &StatisticsModel::showRequested, this, &ReadingsWindow::ShowSeries);
    resize(900, 700);
}

QWidget* ReadingsWindow::CreateButtons() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const struct {
        QString text, tip;
        std::function<void()> action;
    } buttons[] = {
        {QStringLiteral("&Whole memory"), QStringLiteral("Show every reading again (Ctrl+0)"),
         [this] { ShowWholeMemory(); }},
        {QStringLiteral("&Save chart..."),
         QStringLiteral("Save the chart as PNG, SVG or PDF (Ctrl+S)"),
         [this] { ChooseFileAndSaveChart(); }},
        {QStringLiteral("&Export readings..."),
         QStringLiteral("Write every reading as XLSX for a spreadsheet or CSV for a program "
                        "(Ctrl+E)"),
         [this] { ChooseFileAndExport(); }},
        {QStringLiteral("&Copy statistics"),
         QStringLiteral("Copy the statistics as tab-separated text"), [this] { CopyStatistics(); }},
    };
    for (const auto& [text, tip, action] : buttons) {
        auto* button = new QPushButton(text, row);
        button->setToolTip(tip);
        connect(button, &QPushButton::clicked, this, action);
        layout->addWidget(button);
    }
    auto* hint = new QLabel(
        QStringLiteral("Wheel: zoom (Shift: values) \u00b7 drag: pan \u00b7 right-drag or "
                       "Ctrl+drag: zoom to a box \u00b7 click a legend entry: show or hide"),
        row);
    hint->setWordWrap(true);
    layout->addWidget(hint, 1);
    return row;
}

QWidget* ReadingsWindow::CreateStatistics() {
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    rangeLine_ = new QLabel(box);
    layout->addWidget(rangeLine_);
    statistics_ = new StatisticsModel(document_, this);
    table_ = new QTableView(box);
    table_->setModel(statistics_);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);
    return box;
}

void ReadingsWindow::AddKeyboardActions() {
    const struct {
        QKeySequence keys;
        std::function<void()> action;
    } actions[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_0), [this] { ShowWholeMemory(); }},
        {QKeySequence::ZoomIn, [this] { chart_->ZoomBy(1 / kZoomStep); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { chart_->ZoomBy(1 / kZoomStep); }},
        {QKeySequence::ZoomOut, [this] { chart_->ZoomBy(kZoomStep); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Left), [this] { chart_->PanBy(-kPanStep); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Right), [this] { chart_->PanBy(kPanStep); }},
        {QKeySequence::Save, [this] { ChooseFileAndSaveChart(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_E), [this] { ChooseFileAndExport(); }},
        {QKeySequence::Close, [this] { close(); }},
    };
    for (const auto& [keys, action] : actions) {
        auto* shortcut = new QAction(this);
        shortcut->setShortcut(keys);
        connect(shortcut, &QAction::triggered, this, action);
        addAction(shortcut);
    }
}

void ReadingsWindow::ShowReadings(ReadingsDocument document) {
    const TimeAxis axis = document_.Axis();
    document_ = std::move(document);
    document_.SetAxis(axis);
    std::vector<QColor> colours;
    for (std::size_t i = 0; i < document_.Series().size(); ++i) {
        colours.push_back(ReadingsChart::SeriesColour(static_cast<int>(i)));
    }
    statistics_->ShowSeries(std::move(colours));
    chart_->ShowDocument();
    UpdateRangeStatistics();
    UpdateSummary();
}

// The figures of the readings inside the range shown, both ends included.
void ReadingsWindow::UpdateRangeStatistics() {
    statistics_->ShowFigures();
    rangeLine_->setText(statistics_->Readings());
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
    summary_->setText(text);
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
    return statistics_->Text();
}

void ReadingsWindow::CopyStatistics() const {
    QGuiApplication::clipboard()->setText(StatisticsText());
}

std::optional<QString> ReadingsWindow::SaveChart(const QString& path) {
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
    // The file is read again rather than held twice while the window is open.
    std::vector<Record> records;
    if (const Failure failure = ReadDataFileRecords(
            LocalPath(path_), static_cast<int>(document_.ReadingCount()), records)) {
        return QStringLiteral("Cannot export the readings: %1").arg(FromLocalText(*failure));
    }
    const TimeAxis& axis = document_.Axis();
    if (const Failure failure = WriteReadings(LocalPath(path), *format, records, names_, axis)) {
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
        emit dataFilesDropped(paths);
    }
}

}  // namespace rv7342
