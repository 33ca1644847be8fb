#pragma once
// The limits of each unit drawn in its panel as horizontal lines, and the readings outside
// them marked with a point in a warning colour. The marks are reduced to the points worth
// drawing at the panel's width, as the lines of readings are, so that they draw as quickly.
// The limits are those of the chart's document.

#include <QObject>

#include <vector>

#include "readings/series.h"

class QCPAbstractItem;
class QCPCurve;

namespace rv7342 {

class ReadingsChart;

class LimitMarks : public QObject {
    Q_OBJECT
  public:
    explicit LimitMarks(ReadingsChart* chart);

    // The document's limits have changed, or its series.
    void ShowLimits();
    // The readings marked outside the range shown, for each series: what is drawn.
    std::size_t MarkedPoints(int series) const;

    // Drawn again on the panels shown; before the chart replaces its panels, removed.
    void Redraw();
    void Remove();

  private:
    void RefreshMarks();

    ReadingsChart* chart_;
    std::vector<ReadingSeries> outside_;  // the readings outside, for each series
    std::vector<QCPCurve*> marks_;        // for each series; none without limits
    std::vector<QCPAbstractItem*> lines_;
};

}  // namespace rv7342
