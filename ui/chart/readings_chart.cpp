#include "ui/chart/readings_chart.h"

#include <QLocale>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "desktop/value_text.h"
#include "readings/plot_points.h"

namespace rv7342 {

// Labels the horizontal axis with reading numbers, or with the times of the readings at round
// times (see TimeTickSpacing); QCustomPlot places and draws the ticks.
class TimeTicker : public QCPAxisTicker {
  public:
    explicit TimeTicker(const ReadingsDocument& document) : document_(document) {}

  protected:
    double getTickStep(const QCPRange& range) override {
        const TimeAxis& axis = document_.Axis();
        if (axis.Shown() == AxisKind::ReadingNumber) {
            mTickOrigin = 0;
            return QCPAxisTicker::getTickStep(range);
        }
        const TickSpacing spacing = TimeTickSpacing(axis, range.lower, range.upper, mTickCount);
        mTickOrigin = spacing.origin;
        return spacing.step;
    }

    // Days or the date are told by the span of the ticks, not of the margins beside them.
    QVector<QString> createLabelVector(const QVector<double>& ticks, const QLocale& locale,
                                       QChar formatChar, int precision) override {
        if (!ticks.isEmpty()) {
            ticks_ = {ticks.front(), ticks.back()};
        }
        return QCPAxisTicker::createLabelVector(ticks, locale, formatChar, precision);
    }

    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override {
        const TimeAxis& axis = document_.Axis();
        if (axis.Shown() == AxisKind::ReadingNumber) {
            return QCPAxisTicker::getTickLabel(tick, locale, formatChar, precision);
        }
        return QString::fromStdString(TickLabel(axis, tick, ticks_.lower, ticks_.upper));
    }

  private:
    const ReadingsDocument& document_;
    QCPRange ticks_;
};

namespace {

constexpr double kHoverReach = 8;  // pixels

QCPRange RangeOf(Span span) {
    return {span.lower, span.upper};
}

}  // namespace

ReadingsChart::ReadingsChart(ReadingsDocument& document, QWidget* parent)
    : QCustomPlot(parent),
      document_(document),
      ticker_(QSharedPointer<TimeTicker>::create(document)) {
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    setFocusPolicy(Qt::StrongFocus);
    legend->setVisible(true);
    // The panels in the first column; the legend right of them at the top, where it never
    // covers readings.
    auto* legendColumn = new QCPLayoutGrid;
    legendColumn->addElement(0, 0, legend);
    legendColumn->addElement(1, 0, new QCPLayoutElement(this));
    legendColumn->setRowStretchFactor(0, 0.001);
    legendColumn->setMargins(QMargins(0, 8, 8, 0));
    plotLayout()->remove(axisRect());  // the default axis rect; each unit gets its own
    panelGrid_ = new QCPLayoutGrid;
    panelGrid_->setRowSpacing(4);
    plotLayout()->addElement(0, 0, panelGrid_);
    plotLayout()->addElement(0, 1, legendColumn);
    plotLayout()->setColumnStretchFactor(1, 0.001);
    margins_ = new QCPMarginGroup(this);
    ShowDocument();
    ApplyColours();

    connect(this, &QCustomPlot::afterLayout, this, &ReadingsChart::RefreshDrawnPoints);
    connect(this, &QCustomPlot::mousePress, this, &ReadingsChart::OnPress);
    connect(this, &QCustomPlot::mouseMove, this, &ReadingsChart::OnMove);
    connect(this, &QCustomPlot::mouseWheel, this, [this](QWheelEvent* event) {
        const Qt::Orientation zoomed =
            event->modifiers() & Qt::ShiftModifier ? Qt::Vertical : Qt::Horizontal;
        for (const Panel& panel : panels_) {
            panel.rect->setRangeZoom(zoomed);
        }
    });
    connect(this, &QCustomPlot::legendClick, this,
            [this](QCPLegend*, QCPAbstractLegendItem* item, QMouseEvent*) {
                auto* entry = qobject_cast<QCPPlottableLegendItem*>(item);
                for (int i = 0; entry && i < graphCount(); ++i) {
                    if (graph(i) == entry->plottable()) {
                        ShowSeries(i, !SeriesShown(i));
                    }
                }
            });
}

void ReadingsChart::ClearPanels() {
    for (const Panel& panel : panels_) {
        if (panel.rect->layout()) {
            panel.rect->layout()->take(panel.rect);
        }
        delete panel.rect;
    }
    panels_.clear();
    panelGrid_->simplify();
}

QCPAxisRect* ReadingsChart::AddPanel(const QString& unit) {
    auto* rect = new QCPAxisRect(this);
    rect->setRangeZoom(Qt::Horizontal);
    rect->axis(QCPAxis::atLeft)->setLabel(unit);
    ColourAxes(rect);
    QCPAxis* readings = rect->axis(QCPAxis::atBottom);
    readings->setTicker(ticker_);
    readings->setRange(ReadingRange());
    connect(readings, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            &ReadingsChart::OnPanelRangeChanged);
    return rect;
}

void ReadingsChart::AddGraph(const DocumentSeries& series, QCPAxisRect* panel) {
    QCPGraph* added = addGraph(panel->axis(QCPAxis::atBottom), panel->axis(QCPAxis::atLeft));
    added->setName(QString::fromStdString(series.label));
    QPen pen(SeriesColour(graphCount() - 1));
    pen.setWidthF(1);
    // Another file's series are dotted, its second display's dash-dotted.
    const bool compared = series.source != 0;
    if (series.readings.display == Display::Second) {
        pen.setStyle(compared ? Qt::DashDotLine : Qt::DashLine);
    } else if (compared) {
        pen.setStyle(Qt::DotLine);
    }
    added->setPen(pen);
}

void ReadingsChart::ShowDocument() {
    clearGraphs();
    ClearPanels();
    panelOfSeries_.clear();
    const std::vector<DocumentSeries>& all = document_.Series();
    for (std::size_t i = 0; i < std::min(all.size(), kMostSeriesDrawn); ++i) {
        const DocumentSeries& one = all[i];
        auto panel = std::find_if(panels_.begin(), panels_.end(),
                                  [&](const Panel& p) { return p.unit == one.unit; });
        if (panel == panels_.end()) {
            panels_.push_back({one.unit, AddPanel(QString::fromStdString(one.unit))});
            panel = panels_.end() - 1;
        }
        panelOfSeries_.push_back(static_cast<std::size_t>(panel - panels_.begin()));
        AddGraph(one, panel->rect);
    }
    for (int i = 0; i < graphCount(); ++i) {
        MarkShown(i, SeriesShown(i));
    }
    ArrangePanels();
    for (std::size_t p = 0; p < panels_.size(); ++p) {
        FitValues(p);
    }
    SetReadingRange(ReadingRange());
    replot(rpQueuedReplot);
}

const ChartColours& ReadingsChart::Colours() const {
    return ChartColoursFor(palette());
}

QColor ReadingsChart::SeriesColour(int index) const {
    return Colours().Series(index);
}

void ReadingsChart::ColourAxes(QCPAxisRect* panel) const {
    const ChartColours& colours = Colours();
    for (QCPAxis* axis : panel->axes()) {
        axis->setBasePen(QPen(colours.text, 0));
        axis->setTickPen(QPen(colours.text, 0));
        axis->setSubTickPen(QPen(colours.text, 0));
        axis->setLabelColor(colours.text);
        axis->setTickLabelColor(colours.text);
        axis->grid()->setPen(QPen(colours.grid, 0, Qt::DotLine));
        axis->grid()->setZeroLinePen(QPen(colours.grid, 0));
    }
}

// The background, the axes, the legend and every line in the colours of the palette.
void ReadingsChart::ApplyColours() {
    const ChartColours& colours = Colours();
    setBackground(colours.background);
    legend->setBrush(colours.background);
    legend->setBorderPen(QPen(colours.text));
    legend->setTextColor(colours.text);
    for (const Panel& panel : panels_) {
        ColourAxes(panel.rect);
    }
    for (int i = 0; i < graphCount(); ++i) {
        QPen pen = graph(i)->pen();
        pen.setColor(SeriesColour(i));
        graph(i)->setPen(pen);
        MarkShown(i, SeriesShown(i));
    }
}

void ReadingsChart::FollowScreenDensity() {
    const double ratio = devicePixelRatioF();
    if (!qFuzzyCompare(ratio, bufferDevicePixelRatio())) {
        setBufferDevicePixelRatio(ratio);
        replot(rpQueuedReplot);
    }
}

bool ReadingsChart::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal) {
        FollowScreenDensity();
    }
    return QCustomPlot::event(event);
}

void ReadingsChart::showEvent(QShowEvent* event) {
    QCustomPlot::showEvent(event);
    FollowScreenDensity();
}

void ReadingsChart::changeEvent(QEvent* event) {
    QCustomPlot::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        ApplyColours();
        emit coloursChanged();
        replot(rpQueuedReplot);
    }
}

const ReadingSeries& ReadingsChart::SeriesReadings(int index) const {
    return document_.Series().at(static_cast<std::size_t>(index)).readings;
}

QString ReadingsChart::SeriesName(int index) const {
    return index < graphCount() ? graph(index)->name()
                                : QString::fromStdString(
                                      document_.Series().at(static_cast<std::size_t>(index)).label);
}

std::size_t ReadingsChart::SeriesLeftOut() const {
    return document_.Series().size() - static_cast<std::size_t>(graphCount());
}

void ReadingsChart::SetTimeAxis(const TimeAxis& axis) {
    document_.SetAxis(axis);
    UpdateTimeLabels();
    replot(rpQueuedReplot);
}

bool ReadingsChart::SeriesShown(int index) const {
    return document_.Shown(static_cast<std::size_t>(index));
}

// A hidden graph keeps its legend entry, greyed, so that it can be clicked to show it again.
void ReadingsChart::MarkShown(int index, bool shown) {
    QCPGraph* drawn = graph(index);
    drawn->setVisible(shown);
    if (QCPAbstractLegendItem* entry = legend->itemWithPlottable(drawn)) {
        const ChartColours& colours = Colours();
        static_cast<QCPPlottableLegendItem*>(entry)->setTextColor(shown ? colours.text
                                                                        : colours.hiddenLegendText);
    }
}

void ReadingsChart::ShowSeries(int index, bool shown) {
    if (index >= graphCount()) {
        document_.Show(static_cast<std::size_t>(index), shown);
        emit seriesShownChanged(index, shown);
        return;
    }
    QCPAxisRect* panel = PanelOf(index);
    const bool panelShown = Panels().contains(panel);
    document_.Show(static_cast<std::size_t>(index), shown);
    MarkShown(index, shown);
    ArrangePanels();
    if (!panelShown && Panels().contains(panel)) {
        FitValues(panelOfSeries_[index]);  // a panel back spans its values
    }
    emit seriesShownChanged(index, shown);
    replot(rpQueuedReplot);
}

// The panels of units with a series shown, in the order of the units; with none shown, the
// first one stays, so that the readings axis does.
void ReadingsChart::ArrangePanels() {
    for (const Panel& panel : panels_) {
        if (panel.rect->layout()) {
            panel.rect->layout()->take(panel.rect);
        }
    }
    panelGrid_->simplify();
    std::vector<bool> shown(panels_.size(), false);
    for (int i = 0; i < graphCount(); ++i) {
        if (SeriesShown(i)) {
            shown[panelOfSeries_[i]] = true;
        }
    }
    if (!panels_.empty() && std::none_of(shown.begin(), shown.end(), [](bool s) { return s; })) {
        shown[0] = true;
    }
    int row = 0;
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        QCPAxisRect* rect = panels_[i].rect;
        rect->setVisible(shown[i]);
        // Only the panels shown line up: a hidden one's labels would widen the others.
        rect->setMarginGroup(QCP::msLeft | QCP::msRight, shown[i] ? margins_ : nullptr);
        if (shown[i]) {
            panelGrid_->addElement(row++, 0, rect);
        }
    }
    UpdateTimeLabels();
    setMinimumHeight(std::max(row, 1) * kMinimumPanelHeight + 40);
}

// Tick labels and the title of the readings axis on the lowest panel alone.
void ReadingsChart::UpdateTimeLabels() {
    const QList<QCPAxisRect*> shown = Panels();
    for (const Panel& panel : panels_) {
        QCPAxis* readings = panel.rect->axis(QCPAxis::atBottom);
        const bool lowest = !shown.isEmpty() && shown.back() == panel.rect;
        readings->setTickLabels(lowest);
        readings->setLabel(lowest ? QString::fromLatin1(AxisTitle(Axis().Shown())) : QString());
    }
}

QList<QCPAxisRect*> ReadingsChart::Panels() const {
    QList<QCPAxisRect*> shown;
    for (int row = 0; row < panelGrid_->rowCount(); ++row) {
        if (auto* rect = qobject_cast<QCPAxisRect*>(panelGrid_->element(row, 0))) {
            shown << rect;
        }
    }
    return shown;
}

QCPAxisRect* ReadingsChart::PanelOf(int index) const {
    return index < graphCount() ? panels_.at(panelOfSeries_.at(index)).rect : nullptr;
}

void ReadingsChart::OnPanelRangeChanged(const QCPRange& range) {
    if (!settingRange_) {
        SetReadingRange(range);
    }
}

QCPRange ReadingsChart::ReadingRange() const {
    return RangeOf(document_.Range());
}

// The range the axes take, which keeps a minimum size, is the document's.
void ReadingsChart::SetReadingRange(const QCPRange& range) {
    settingRange_ = true;
    QCPRange taken = range;
    for (const Panel& panel : panels_) {
        panel.rect->axis(QCPAxis::atBottom)->setRange(range);
    }
    if (!panels_.empty()) {
        taken = panels_.front().rect->axis(QCPAxis::atBottom)->range();
    }
    document_.SetRange({taken.lower, taken.upper});
    settingRange_ = false;
    emit readingRangeChanged(taken);
}

void ReadingsChart::FitValues(std::size_t panel) {
    std::vector<SeriesStatistics> shown;
    for (int i = 0; i < graphCount(); ++i) {
        if (panelOfSeries_[i] == panel && SeriesShown(i)) {
            shown.push_back(document_.Series()[static_cast<std::size_t>(i)].whole);
        }
    }
    panels_[panel].rect->axis(QCPAxis::atLeft)->setRange(RangeOf(WholeValueSpan(shown)));
}

void ReadingsChart::ShowWholeMemory() {
    for (std::size_t p = 0; p < panels_.size(); ++p) {
        FitValues(p);
    }
    document_.ShowWholeMemory();
    SetReadingRange(ReadingRange());
    replot(rpQueuedReplot);
}

void ReadingsChart::ZoomBy(double factor) {
    const QCPRange range = ReadingRange();
    SetReadingRange(
        {range.center() - range.size() * factor / 2, range.center() + range.size() * factor / 2});
    replot(rpQueuedReplot);
}

void ReadingsChart::PanBy(double fraction) {
    const QCPRange range = ReadingRange();
    const double shift = range.size() * fraction;
    SetReadingRange({range.lower + shift, range.upper + shift});
    replot(rpQueuedReplot);
}

// The graphs hold only the points worth drawing in the visible range, at their panel's width.
void ReadingsChart::RefreshDrawnPoints() {
    for (int i = 0; i < graphCount(); ++i) {
        QCPGraph* drawn = graph(i);
        if (!drawn->visible()) {
            drawn->data()->clear();
            continue;
        }
        const int columns = std::max(1, PanelOf(i)->width());
        const Span& range = document_.Range();
        const PlotPoints points =
            ReduceForDrawing(SeriesReadings(i), range.lower, range.upper, columns);
        QVector<QCPGraphData> data;
        data.reserve(static_cast<int>(points.numbers.size()));
        for (std::size_t p = 0; p < points.numbers.size(); ++p) {
            data.append(QCPGraphData(points.numbers[p], points.values[p]));
        }
        // Single readings get a dot once they stand apart.
        const bool sparse = data.size() * 6 < columns;
        drawn->setScatterStyle(sparse ? QCPScatterStyle(QCPScatterStyle::ssDisc, 5)
                                      : QCPScatterStyle(QCPScatterStyle::ssNone));
        drawn->data()->set(data, true);
    }
}

void ReadingsChart::OnPress(QMouseEvent* event) {
    const bool box =
        event->button() == Qt::RightButton ||
        (event->button() == Qt::LeftButton && event->modifiers() & Qt::ControlModifier);
    setSelectionRectMode(box ? QCP::srmZoom : QCP::srmNone);
}

void ReadingsChart::OnMove(QMouseEvent* event) {
    const QString text =
        event->buttons() == Qt::NoButton ? DescribePointAt(event->position()) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }
    emit pointDescribed(text);
}

QString ReadingsChart::DescribePointAt(const QPointF& pixel) const {
    QCPAxisRect* area = axisRectAt(pixel);
    if (!area || !area->rect().contains(pixel.toPoint())) {
        return {};
    }
    const QCPAxis* readings = area->axis(QCPAxis::atBottom);
    const QCPAxis* values = area->axis(QCPAxis::atLeft);
    const PixelScale scale{area->width() / readings->range().size(),
                           area->height() / values->range().size()};
    const double number = readings->pixelToCoord(pixel.x());
    const double value = values->pixelToCoord(pixel.y());
    std::optional<std::pair<int, std::size_t>> nearest;  // series, point
    double nearestDistance = kHoverReach;
    for (int i = 0; i < graphCount(); ++i) {
        if (!SeriesShown(i) || PanelOf(i) != area) {
            continue;
        }
        const ReadingSeries& series = SeriesReadings(i);
        const auto point = NearestPoint(series, number, value, scale, kHoverReach);
        if (!point) {
            continue;
        }
        const double distance =
            std::hypot(readings->coordToPixel(series.numbers[*point]) - pixel.x(),
                       values->coordToPixel(series.values[*point]) - pixel.y());
        if (distance <= nearestDistance) {
            nearest = {i, *point};
            nearestDistance = distance;
        }
    }
    if (!nearest) {
        return {};
    }
    const ReadingSeries& series = SeriesReadings(nearest->first);
    const double reading = series.numbers[nearest->second];
    QString text = QStringLiteral("Reading %1").arg(QString::number(reading, 'f', 0));
    const std::string time = ReadingTimeText(Axis(), reading);
    if (!time.empty()) {
        text += QStringLiteral(" (%1)").arg(QString::fromStdString(time));
    }
    return text + QStringLiteral(": %1 %2").arg(ValueText(series.values[nearest->second]),
                                                SeriesName(nearest->first));
}

}  // namespace rv7342
