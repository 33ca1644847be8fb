#include "ui/readings_window.h"

#include <qcustomplot.h>
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
#include <QPdfWriter>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "ui/data_viewer.h"

namespace rv7342 {

namespace {

const QString kMessageTitle = QStringLiteral("RV7342 Readings");

const QColor kSeriesColours[] = {{31, 119, 180},  {214, 39, 40}, {44, 160, 44},   {255, 127, 14},
                                 {148, 103, 189}, {140, 86, 75}, {227, 119, 194}, {127, 127, 127},
                                 {188, 189, 34},  {23, 190, 207}};
const QColor kHiddenLegendText(160, 160, 160);

enum Column {
    kSeriesColumn,
    kCountColumn,
    kMinimumColumn,
    kMaximumColumn,
    kMeanColumn,
    kDeviationColumn,
    kFirstColumn,
    kLastColumn,
    kLeftOutColumn,
    kColumnCount
};
const char* const kColumnTitles[kColumnCount] = {"Series",        "Count",        "Minimum",
                                                 "Maximum",       "Mean",         "Std. deviation",
                                                 "First reading", "Last reading", "Left out"};

constexpr double kHoverReach = 8;  // pixels
constexpr double kZoomStep = 1.5;
constexpr double kPanStep = 0.25;  // of the visible range

QString NumberText(double value) {
    return QString::number(value, 'f', 0);
}

QString ValueText(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return CellValueText(value, locale);
}

// A pixel range that holds a single value, or none, still needs some height.
QCPRange PaddedRange(double low, double high, double fraction) {
    if (high < low) {
        return {-1, 1};
    }
    const double pad = high > low ? (high - low) * fraction : std::max(1.0, std::fabs(low) * 0.1);
    return {low - pad, high + pad};
}

}  // namespace

namespace {
// A hidden graph keeps its legend entry, greyed, so that it can be clicked to show it again.
void SetGraphShown(QCustomPlot& chart, QCPGraph* graph, bool shown) {
    graph->setVisible(shown);
    if (QCPAbstractLegendItem* entry = chart.legend->itemWithPlottable(graph)) {
        static_cast<QCPPlottableLegendItem*>(entry)->setTextColor(shown ? Qt::black
                                                                        : kHiddenLegendText);
    }
}
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

QString SeriesName(const UnitTable& names, const ReadingSeries& series) {
    QString unit = UnitCellText(names, series.unitCode).trimmed();
    if (unit.isEmpty()) {
        unit = QStringLiteral("unit %1").arg(series.unitCode);
    }
    return series.display == Display::First ? unit : unit + QStringLiteral(" (second display)");
}

ReadingsWindow::ReadingsWindow(const QString& path, const UnitTable& names, QWidget* parent)
    : QWidget(parent, Qt::Window), path_(path), names_(names) {
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - Readings"));
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateButtons());
    CreateChart();
    CreateTable();
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(chart_);
    splitter->addWidget(table_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    AddKeyboardActions();
    resize(880, 640);
}

QWidget* ReadingsWindow::CreateButtons() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* whole = new QPushButton(QStringLiteral("&Whole memory"), row);
    whole->setToolTip(QStringLiteral("Show every reading again (Ctrl+0)"));
    connect(whole, &QPushButton::clicked, this, &ReadingsWindow::ShowWholeMemory);
    auto* save = new QPushButton(QStringLiteral("&Save chart..."), row);
    save->setToolTip(QStringLiteral("Save the chart as PNG, SVG or PDF (Ctrl+S)"));
    connect(save, &QPushButton::clicked, this, &ReadingsWindow::ChooseFileAndSaveChart);
    auto* copy = new QPushButton(QStringLiteral("&Copy statistics"), row);
    copy->setToolTip(QStringLiteral("Copy the statistics as tab-separated text"));
    connect(copy, &QPushButton::clicked, this, &ReadingsWindow::CopyStatistics);
    auto* hint = new QLabel(
        QStringLiteral("Wheel: zoom (Shift: values) \u00b7 drag: pan \u00b7 right-drag or "
                       "Ctrl+drag: zoom to a box \u00b7 click a legend entry: show or hide"),
        row);
    hint->setWordWrap(true);
    for (QWidget* widget : {static_cast<QWidget*>(whole), static_cast<QWidget*>(save),
                            static_cast<QWidget*>(copy), static_cast<QWidget*>(hint)}) {
        layout->addWidget(widget);
    }
    layout->setStretchFactor(hint, 1);
    return row;
}

void ReadingsWindow::CreateChart() {
    chart_ = new QCustomPlot(this);
    chart_->setMinimumHeight(200);
    chart_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    chart_->axisRect()->setRangeZoom(Qt::Horizontal);
    chart_->xAxis->setLabel(QStringLiteral("Reading"));
    chart_->yAxis->setLabel(QStringLiteral("Value"));
    chart_->legend->setVisible(true);
    // The legend stands right of the chart, at its top, so that it never covers readings.
    auto* legendColumn = new QCPLayoutGrid;
    chart_->plotLayout()->addElement(0, 1, legendColumn);
    chart_->plotLayout()->setColumnStretchFactor(1, 0.001);
    legendColumn->addElement(0, 0, chart_->legend);
    legendColumn->addElement(1, 0, new QCPLayoutElement(chart_));
    legendColumn->setRowStretchFactor(0, 0.001);
    legendColumn->setMargins(QMargins(0, 8, 8, 0));
    chart_->setFocusPolicy(Qt::StrongFocus);
    connect(chart_, &QCustomPlot::afterLayout, this, &ReadingsWindow::RefreshDrawnPoints);
    connect(chart_, &QCustomPlot::mousePress, this, &ReadingsWindow::OnChartPress);
    connect(chart_, &QCustomPlot::mouseMove, this, &ReadingsWindow::OnChartMove);
    connect(chart_, &QCustomPlot::mouseWheel, this, [this](QWheelEvent* event) {
        chart_->axisRect()->setRangeZoom(event->modifiers() & Qt::ShiftModifier ? Qt::Vertical
                                                                                : Qt::Horizontal);
    });
    connect(chart_, &QCustomPlot::legendClick, this,
            [this](QCPLegend*, QCPAbstractLegendItem* item, QMouseEvent*) {
                auto* entry = qobject_cast<QCPPlottableLegendItem*>(item);
                const auto found =
                    entry ? std::find(graphs_.begin(), graphs_.end(), entry->plottable())
                          : graphs_.end();
                if (found != graphs_.end()) {
                    const int index = static_cast<int>(found - graphs_.begin());
                    ShowSeries(index, !SeriesShown(index));
                }
            });
}

void ReadingsWindow::CreateTable() {
    table_ = new QTableWidget(0, kColumnCount, this);
    QStringList titles;
    for (const char* title : kColumnTitles) {
        titles << QString::fromLatin1(title);
    }
    table_->setHorizontalHeaderLabels(titles);
    table_->horizontalHeaderItem(kDeviationColumn)
        ->setToolTip(QStringLiteral("Sample standard deviation, divided by count - 1"));
    table_->horizontalHeaderItem(kLeftOutColumn)
        ->setToolTip(QStringLiteral(
            "Values that are not finite or beyond single precision: not drawn, not counted"));
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    connect(table_, &QTableWidget::itemChanged, this, &ReadingsWindow::OnTableItemChanged);
}

void ReadingsWindow::AddKeyboardActions() {
    const struct {
        QKeySequence keys;
        std::function<void()> action;
    } actions[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_0), [this] { ShowWholeMemory(); }},
        {QKeySequence::ZoomIn, [this] { ZoomBy(1 / kZoomStep); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { ZoomBy(1 / kZoomStep); }},
        {QKeySequence::ZoomOut, [this] { ZoomBy(kZoomStep); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Left), [this] { PanBy(-kPanStep); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Right), [this] { PanBy(kPanStep); }},
        {QKeySequence::Save, [this] { ChooseFileAndSaveChart(); }},
        {QKeySequence::Close, [this] { close(); }},
    };
    for (const auto& [keys, action] : actions) {
        auto* shortcut = new QAction(this);
        shortcut->setShortcut(keys);
        connect(shortcut, &QAction::triggered, this, action);
        addAction(shortcut);
    }
}

void ReadingsWindow::ShowReadings(std::vector<ReadingSeries> series) {
    series_ = std::move(series);
    statistics_.clear();
    graphs_.clear();
    chart_->clearGraphs();
    const QSignalBlocker blocker(table_);
    table_->setRowCount(static_cast<int>(series_.size()));
    for (std::size_t i = 0; i < series_.size(); ++i) {
        statistics_.push_back(ComputeStatistics(series_[i]));
        AddSeries(series_[i]);
        FillStatisticsRow(static_cast<int>(i));
    }
    UpdateSummary();
    ShowWholeMemory();
}

void ReadingsWindow::AddSeries(const ReadingSeries& series) {
    QCPGraph* graph = chart_->addGraph();
    graph->setName(SeriesName(names_, series));
    QPen pen(kSeriesColours[graphs_.size() % std::size(kSeriesColours)]);
    pen.setWidthF(1);
    if (series.display == Display::Second) {
        pen.setStyle(Qt::DashLine);
    }
    graph->setPen(pen);
    graphs_.push_back(graph);
    const bool shown = series.display == Display::First;
    SetGraphShown(*chart_, graph, shown);
}

void ReadingsWindow::FillStatisticsRow(int row) {
    const SeriesStatistics& figures = statistics_[row];
    auto* name = new QTableWidgetItem(graphs_[row]->name());
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    name->setCheckState(graphs_[row]->visible() ? Qt::Checked : Qt::Unchecked);
    QPixmap swatch(12, 12);
    swatch.fill(graphs_[row]->pen().color());
    name->setIcon(QIcon(swatch));
    table_->setItem(row, kSeriesColumn, name);

    const bool measured = figures.count > 0;
    const QString texts[] = {
        QString::number(figures.count),
        measured ? ValueText(figures.minimum) : QString(),
        measured ? ValueText(figures.maximum) : QString(),
        measured ? ValueText(figures.mean) : QString(),
        figures.standardDeviation ? ValueText(*figures.standardDeviation) : QString(),
        NumberText(figures.firstReading),
        NumberText(figures.lastReading),
        QString::number(figures.leftOut),
    };
    for (int column = kCountColumn; column < kColumnCount; ++column) {
        auto* item = new QTableWidgetItem(texts[column - kCountColumn]);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table_->setItem(row, column, item);
    }
}

void ReadingsWindow::UpdateSummary() {
    std::size_t readings = 0, leftOut = 0;
    for (std::size_t i = 0; i < series_.size(); ++i) {
        if (series_[i].display == Display::First) {
            readings += series_[i].numbers.size();
        }
        leftOut += statistics_[i].leftOut;
    }
    QString text = QStringLiteral("%1 readings of %2.").arg(readings).arg(path_);
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
    return graphs_.at(index)->visible();
}

void ReadingsWindow::ShowSeries(int index, bool shown) {
    QCPGraph* graph = graphs_.at(index);
    SetGraphShown(*chart_, graph, shown);
    {
        const QSignalBlocker blocker(table_);
        table_->item(index, kSeriesColumn)->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
    }
    chart_->replot();
}

void ReadingsWindow::OnTableItemChanged(QTableWidgetItem* item) {
    if (item->column() == kSeriesColumn && item->row() < static_cast<int>(graphs_.size())) {
        const bool checked = item->checkState() == Qt::Checked;
        if (checked != SeriesShown(item->row())) {
            ShowSeries(item->row(), checked);
        }
    }
}

void ReadingsWindow::ShowWholeMemory() {
    double lastReading = 1, low = 0, high = -1;
    for (std::size_t i = 0; i < series_.size(); ++i) {
        const SeriesStatistics& figures = statistics_[i];
        lastReading = std::max(lastReading, figures.lastReading);
        if (!graphs_[i]->visible() || figures.count == 0) {
            continue;
        }
        low = high < low ? figures.minimum : std::min(low, figures.minimum);
        high = std::max(high < figures.minimum ? figures.maximum : high, figures.maximum);
    }
    chart_->xAxis->setRange(PaddedRange(1, lastReading, 0.01));
    chart_->yAxis->setRange(PaddedRange(low, high, 0.05));
    chart_->replot();
}

// The graphs hold only the points worth drawing in the visible range, at the chart's width.
void ReadingsWindow::RefreshDrawnPoints() {
    const QCPRange range = chart_->xAxis->range();
    const int columns = std::max(1, chart_->axisRect()->width());
    for (std::size_t i = 0; i < graphs_.size(); ++i) {
        if (!graphs_[i]->visible()) {
            graphs_[i]->data()->clear();
            continue;
        }
        const PlotPoints points = ReduceForDrawing(series_[i], range.lower, range.upper, columns);
        QVector<QCPGraphData> data;
        data.reserve(static_cast<int>(points.numbers.size()));
        for (std::size_t p = 0; p < points.numbers.size(); ++p) {
            data.append(QCPGraphData(points.numbers[p], points.values[p]));
        }
        // Single readings get a dot once they stand apart.
        const bool sparse = data.size() * 6 < columns;
        graphs_[i]->setScatterStyle(sparse ? QCPScatterStyle(QCPScatterStyle::ssDisc, 5)
                                           : QCPScatterStyle(QCPScatterStyle::ssNone));
        graphs_[i]->data()->set(data, true);
    }
}

void ReadingsWindow::OnChartPress(QMouseEvent* event) {
    const bool box =
        event->button() == Qt::RightButton ||
        (event->button() == Qt::LeftButton && event->modifiers() & Qt::ControlModifier);
    chart_->setSelectionRectMode(box ? QCP::srmZoom : QCP::srmNone);
}

void ReadingsWindow::OnChartMove(QMouseEvent* event) {
    const QString text =
        event->buttons() == Qt::NoButton ? DescribePointAt(event->position()) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(event->globalPosition().toPoint(), text, chart_);
    }
}

QString ReadingsWindow::DescribePointAt(const QPointF& pixel) const {
    const QCPAxisRect* area = chart_->axisRect();
    if (!area->rect().contains(pixel.toPoint())) {
        return {};
    }
    const QCPRange numbers = chart_->xAxis->range(), values = chart_->yAxis->range();
    const PixelScale scale{area->width() / numbers.size(), area->height() / values.size()};
    const double number = chart_->xAxis->pixelToCoord(pixel.x());
    const double value = chart_->yAxis->pixelToCoord(pixel.y());
    std::optional<std::pair<std::size_t, std::size_t>> nearest;  // series, point
    double nearestDistance = kHoverReach;
    for (std::size_t i = 0; i < series_.size(); ++i) {
        if (!graphs_[i]->visible()) {
            continue;
        }
        const auto point = NearestPoint(series_[i], number, value, scale, kHoverReach);
        if (!point) {
            continue;
        }
        const double distance =
            std::hypot(chart_->xAxis->coordToPixel(series_[i].numbers[*point]) - pixel.x(),
                       chart_->yAxis->coordToPixel(series_[i].values[*point]) - pixel.y());
        if (distance <= nearestDistance) {
            nearest = {i, *point};
            nearestDistance = distance;
        }
    }
    if (!nearest) {
        return {};
    }
    const ReadingSeries& series = series_[nearest->first];
    return QStringLiteral("Reading %1: %2 %3")
        .arg(NumberText(series.numbers[nearest->second]), ValueText(series.values[nearest->second]),
             graphs_[nearest->first]->name());
}

void ReadingsWindow::ZoomBy(double factor) {
    chart_->xAxis->scaleRange(factor, chart_->xAxis->range().center());
    chart_->replot();
}

void ReadingsWindow::PanBy(double fraction) {
    chart_->xAxis->moveRange(chart_->xAxis->range().size() * fraction);
    chart_->replot();
}

QString ReadingsWindow::StatisticsText() const {
    QStringList lines;
    QStringList header;
    for (const char* title : kColumnTitles) {
        header << QString::fromLatin1(title);
    }
    lines << header.join(QLatin1Char('\t'));
    for (int row = 0; row < table_->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < kColumnCount; ++column) {
            cells << table_->item(row, column)->text();
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void ReadingsWindow::CopyStatistics() const {
    QGuiApplication::clipboard()->setText(StatisticsText());
}

namespace {

bool WritePng(QCustomPlot& chart, QIODevice& file) {
    return chart.toPixmap().save(&file, "PNG");
}

bool WriteVectorized(QCustomPlot& chart, QPaintDevice& device, QSize size) {
    QCPPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setWindow(QRect(QPoint(0, 0), size));
    chart.toPainter(&painter, size.width(), size.height());
    return painter.end();
}

bool WriteSvg(QCustomPlot& chart, QIODevice& file, const QString& title) {
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(chart.size());
    generator.setViewBox(QRect(QPoint(0, 0), chart.size()));
    generator.setTitle(title);
    return WriteVectorized(chart, generator, chart.size());
}

bool WritePdf(QCustomPlot& chart, QIODevice& file, const QString& title) {
    QPdfWriter writer(&file);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("rv7342"));
    writer.setPageLayout(QPageLayout(
        QPageSize(QSizeF(chart.size()), QPageSize::Point, QString(), QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF()));
    return WriteVectorized(chart, writer, chart.size());
}

}  // namespace

std::optional<QString> ReadingsWindow::SaveChart(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString failure = QStringLiteral("Cannot save the chart as %1: %2");
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") &&
        suffix != QLatin1String("pdf")) {
        return failure.arg(path, QStringLiteral("the name must end in .png, .svg or .pdf"));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return failure.arg(path, file.errorString());
    }
    const bool written = suffix == QLatin1String("png")   ? WritePng(*chart_, file)
                         : suffix == QLatin1String("svg") ? WriteSvg(*chart_, file, windowTitle())
                                                          : WritePdf(*chart_, file, windowTitle());
    if (!written || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failure.arg(path,
                           reason.isEmpty() ? QStringLiteral("it could not be drawn") : reason);
    }
    return std::nullopt;
}

void ReadingsWindow::ChooseFileAndSaveChart() {
    const QFileInfo data(path_);
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save chart"),
        data.absolutePath() + QLatin1Char('/') + data.completeBaseName() + QStringLiteral(".png"),
        QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"), &filter);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QLatin1Char('.') + filter.section(QStringLiteral("*."), 1).chopped(1);
    }
    if (const auto failure = SaveChart(path)) {
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

ReadingsWindows::ReadingsWindows(const UnitTable& names, QWidget* owner)
    : QObject(owner), names_(names), owner_(owner) {}

ReadingsWindow* ReadingsWindows::OpenDataFile(const QString& path) {
    // A name relative to the working folder, as a command line gives it, is shown in full.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::vector<Record> records;
    const Failure failure = ReadDataFile(QFile::encodeName(absolute).toStdString(), records);
    return Show(absolute, std::move(records), failure);
}

ReadingsWindow* ReadingsWindows::OpenTransferredRecords(const QString& path, int count) {
    std::vector<Record> records;
    const Failure failure =
        ReadDataFileRecords(QFile::encodeName(path).toStdString(), count, records);
    return Show(path, std::move(records), failure);
}

namespace {
QString WindowKey(const QString& path) {
    const QFileInfo file(path);
    const QString canonical = file.canonicalFilePath();
    return canonical.isEmpty() ? file.absoluteFilePath() : canonical;
}
}  // namespace

ReadingsWindow* ReadingsWindows::Find(const QString& path) const {
    const auto found = windows_.find(WindowKey(path));
    return found == windows_.end() ? nullptr : found->second.data();
}

void ReadingsWindows::CloseAll() {
    for (auto& [path, window] : windows_) {
        if (window) {
            window->close();
        }
    }
}

ReadingsWindow* ReadingsWindows::Show(const QString& path, std::vector<Record> records,
                                      const Failure& failure) {
    ReadingsWindow* window = nullptr;
    const std::size_t read = records.size();
    if (read > 0) {
        window = WindowFor(path);
        std::vector<ReadingSeries> series = GroupIntoSeries(records);
        records = {};  // a long file need not be held twice
        window->ShowReadings(std::move(series));
        window->show();
        window->raise();
        window->activateWindow();
    }
    if (failure) {
        QString message = QString::fromLocal8Bit(failure->c_str()) + QLatin1Char('.');
        if (window) {
            message += QStringLiteral("\n\nThe %1 readings read before it are shown.").arg(read);
        }
        Report(window ? static_cast<QWidget*>(window) : owner_, message);
    }
    return window;
}

ReadingsWindow* ReadingsWindows::WindowFor(const QString& path) {
    QPointer<ReadingsWindow>& slot = windows_[WindowKey(path)];
    if (!slot) {
        slot = new ReadingsWindow(path, names_, owner_);
        slot->setAttribute(Qt::WA_DeleteOnClose);
        connect(slot, &ReadingsWindow::dataFilesDropped, this, [this](const QStringList& paths) {
            for (const QString& dropped : paths) {
                OpenDataFile(dropped);
            }
        });
        PlaceBesideOwner(slot);
    }
    return slot;
}

void ReadingsWindows::PlaceBesideOwner(ReadingsWindow* window) const {
    if (!owner_ || !owner_->isVisible()) {
        return;
    }
    const QRect screen = owner_->screen()->availableGeometry();
    const auto open = std::count_if(windows_.begin(), windows_.end(),
                                    [](const auto& entry) { return !entry.second.isNull(); });
    const int cascade = 24 * static_cast<int>(std::max<std::ptrdiff_t>(open - 1, 0));
    QPoint topLeft = owner_->frameGeometry().topRight() + QPoint(1 + cascade, cascade);
    topLeft.setX(std::max(screen.left(), std::min(topLeft.x(), screen.right() - window->width())));
    topLeft.setY(std::max(screen.top(), std::min(topLeft.y(), screen.bottom() - window->height())));
    window->move(topLeft);
}

void ReadingsWindows::Report(QWidget* parent, const QString& message) const {
    QMessageBox::warning(parent, kMessageTitle, message);
}

}  // namespace rv7342
