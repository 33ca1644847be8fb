#include "ui/chart/limit_marks.h"

#include <algorithm>
#include <limits>

#include "measuring/limits.h"
#include "readings/plot_points.h"
#include "ui/chart/readings_chart.h"

namespace rv7342 {

namespace {

constexpr double kEverything = std::numeric_limits<double>::infinity();

}  // namespace

LimitMarks::LimitMarks(ReadingsChart* chart) : QObject(chart), chart_(chart) {
    connect(chart, &QCustomPlot::afterLayout, this, &LimitMarks::RefreshMarks);
    connect(chart, &ReadingsChart::coloursChanged, this, &LimitMarks::Redraw);
}

void LimitMarks::ShowLimits() {
    const ReadingsDocument& document = chart_->Document();
    outside_.clear();
    for (std::size_t i = 0; i < document.Series().size(); ++i) {
        const ReadingSeries& series = document.Series()[i].readings;
        const PlotPoints points =
            OutsidePoints(series, document.LimitsOf(i), -kEverything, kEverything);
        outside_.push_back({series.display, series.unitCode, points.numbers, points.values});
    }
    Redraw();
}

std::size_t LimitMarks::MarkedPoints(int series) const {
    const auto index = static_cast<std::size_t>(series);
    return index < marks_.size() && marks_[index]
               ? static_cast<std::size_t>(marks_[index]->dataCount())
               : 0;
}

void LimitMarks::Remove() {
    for (QCPAbstractItem* line : lines_) {
        chart_->removeItem(line);
    }
    lines_.clear();
    for (QCPCurve* marks : marks_) {
        if (marks) {
            chart_->removePlottable(marks);
        }
    }
    marks_.clear();
}

void LimitMarks::Redraw() {
    Remove();
    const QColor warning = chart_->Colours().warning;
    const QList<QCPAxisRect*> shown = chart_->Panels();
    std::vector<QCPAxisRect*> lined;
    for (std::size_t i = 0; i < outside_.size(); ++i) {
        const Limits limits = chart_->Document().LimitsOf(i);
        QCPAxisRect* panel = chart_->PanelOf(static_cast<int>(i));
        if (!limits.Any() || !shown.contains(panel)) {
            marks_.push_back(nullptr);
            continue;
        }
        auto* marks = new QCPCurve(panel->axis(QCPAxis::atBottom), panel->axis(QCPAxis::atLeft));
        marks->removeFromLegend();
        marks->setLineStyle(QCPCurve::lsNone);
        marks->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, warning, 5));
        marks_.push_back(marks);
        if (std::find(lined.begin(), lined.end(), panel) != lined.end()) {
            continue;
        }
        lined.push_back(panel);
        for (const std::optional<double>& bound : {limits.lower, limits.upper}) {
            if (!bound) {
                continue;
            }
            auto* line = new QCPItemStraightLine(chart_);
            line->setPen(QPen(warning, 1, Qt::DashLine));
            line->setClipAxisRect(panel);
            for (QCPItemPosition* point : {line->point1, line->point2}) {
                point->setAxes(panel->axis(QCPAxis::atBottom), panel->axis(QCPAxis::atLeft));
            }
            line->point1->setCoords(0, *bound);
            line->point2->setCoords(1, *bound);
            lines_.push_back(line);
        }
    }
    chart_->replot(QCustomPlot::rpQueuedReplot);
}

void LimitMarks::RefreshMarks() {
    const QCPRange range = chart_->ReadingRange();
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        if (!marks_[i]) {
            continue;
        }
        const bool shown = chart_->SeriesShown(static_cast<int>(i));
        marks_[i]->setVisible(shown);
        const int columns = std::max(1, chart_->PanelOf(static_cast<int>(i))->width());
        const PlotPoints points =
            shown ? ReduceForDrawing(outside_[i], range.lower, range.upper, columns) : PlotPoints{};
        marks_[i]->setData(QVector<double>(points.numbers.begin(), points.numbers.end()),
                           QVector<double>(points.values.begin(), points.values.end()));
    }
}

}  // namespace rv7342
