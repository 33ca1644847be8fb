#pragma once
// The chart of a readings document: a panel per unit that has a series shown, stacked one
// above the other with their left edges lined up, each with a value axis titled with its unit,
// all sharing one horizontal axis of reading numbers or times. A graph holds only the points
// worth drawing at its panel's width for the range shown. A change is drawn when the event
// loop next runs, all changes of one event at once. It is a widget of its own, so that it can
// be filled and saved without a window around it.

#include <qcustomplot.h>

#include <QString>

#include <cstddef>
#include <string>
#include <vector>

#include "document/readings_document.h"
#include "ui/chart/chart_colours.h"

namespace rv7342 {

class TimeTicker;

class ReadingsChart : public QCustomPlot {
    Q_OBJECT
  public:
    static constexpr int kMinimumPanelHeight = 100;  // pixels
    // Only a malformed file has more series; thousands of panels would stall drawing and
    // closing, so the series past these are left out of the chart (not of the statistics).
    static constexpr std::size_t kMostSeriesDrawn = 100;

    // Draws `document`, which must outlive the chart. What the user does to the chart (a zoom,
    // a pan, a click on a legend entry) is done to the document and reported by a signal.
    explicit ReadingsChart(ReadingsDocument& document, QWidget* parent = nullptr);

    // Draws the document anew after its readings were replaced. Graph i draws series i, for the
    // first kMostSeriesDrawn series.
    void ShowDocument();
    // The series not drawn: 0 unless the document has more than kMostSeriesDrawn.
    std::size_t SeriesLeftOut() const;
    ReadingsDocument& Document() const { return document_; }
    // The colours the chart is drawn in, light or dark as its palette is, and the colour of
    // the line of series `index`.
    const ChartColours& Colours() const;
    QColor SeriesColour(int index) const;
    // The series' name as the legend shows it: "V DC", "V AC (second display)".
    QString SeriesName(int index) const;

    void SetTimeAxis(const TimeAxis& axis);
    const TimeAxis& Axis() const { return document_.Axis(); }

    bool SeriesShown(int index) const;
    void ShowSeries(int index, bool shown);

    // The panels shown, top to bottom, and the panel that draws series `index` (none for a
    // series left out).
    QList<QCPAxisRect*> Panels() const;
    QCPAxisRect* PanelOf(int index) const;

    // The reading numbers shown, across every panel.
    QCPRange ReadingRange() const;
    void SetReadingRange(const QCPRange& range);
    // Every panel back to all of its readings and values.
    void ShowWholeMemory();
    void ZoomBy(double factor);
    void PanBy(double fraction);

    // What hovering at `pixel` tells: the nearest drawn reading of the panel there, its time
    // on a time axis, its value and unit; empty when none is near.
    QString DescribePointAt(const QPointF& pixel) const;

  signals:
    // The reading numbers shown have changed: by a zoom, a pan or Whole memory.
    void readingRangeChanged(const QCPRange& range);
    // A series was shown or hidden, by ShowSeries or a click on its legend entry.
    void seriesShownChanged(int index, bool shown);
    // What the point under the resting pointer is (see DescribePointAt); empty off a point.
    void pointDescribed(const QString& point);
    // The chart's colours have changed with its palette: what is drawn on it takes them again.
    void coloursChanged();

  protected:
    void changeEvent(QEvent* event) override;
    // The chart is drawn at the density of the screen it is on, wherever it is moved.
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    struct Panel {
        std::string unit;
        QCPAxisRect* rect = nullptr;
    };

    const ReadingSeries& SeriesReadings(int index) const;
    void ClearPanels();
    QCPAxisRect* AddPanel(const QString& unit);
    void AddGraph(const DocumentSeries& series, QCPAxisRect* panel);
    void ApplyColours();
    void FollowScreenDensity();
    void ColourAxes(QCPAxisRect* panel) const;
    void MarkShown(int index, bool shown);
    void ArrangePanels();
    void FitValues(std::size_t panel);
    void OnPanelRangeChanged(const QCPRange& range);
    void RefreshDrawnPoints();
    void OnPress(QMouseEvent* event);
    void OnMove(QMouseEvent* event);
    void UpdateTimeLabels();

    ReadingsDocument& document_;
    std::vector<std::size_t> panelOfSeries_;
    std::vector<Panel> panels_;
    QCPLayoutGrid* panelGrid_ = nullptr;
    QCPMarginGroup* margins_ = nullptr;
    QSharedPointer<TimeTicker> ticker_;
    bool settingRange_ = false;
};

}  // namespace rv7342
