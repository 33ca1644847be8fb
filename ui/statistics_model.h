#pragma once
// The statistics of the series as a table model: a row per series (its name, ticked while it
// is shown, and the figures of the readings in the range shown), and above it a line that says
// which readings those are. The table and Copy statistics both read it. While limits are
// shown, each row has its unit's lower and upper limit, editable, and how its readings keep
// to them.

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include <vector>

#include "datafiles/readings.h"
#include "datafiles/time_axis.h"
#include "measuring/limits.h"

namespace rv7342 {

class StatisticsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    struct Series {
        QString name;
        QColor colour;
        bool shown = false;
    };

    explicit StatisticsModel(QObject* parent = nullptr);

    void SetSeries(std::vector<Series> series);
    void SetShown(int row, bool shown);
    // Figures for every row, and which readings they are of.
    void SetFigures(std::vector<SeriesStatistics> figures, const QString& readings);
    const QString& Readings() const { return readings_; }
    // The columns Lower limit, Upper limit, Below, Above, Time outside and First outside.
    void ShowLimits(bool shown);
    bool LimitsShown() const { return limitsShown_; }
    // Each row's limits and how its readings keep to them; times on the axis' time.
    void SetLimitFigures(std::vector<Limits> limits, std::vector<LimitFigures> figures,
                         const TimeAxis& axis);
    // What the table shows as tab-separated text, the line of readings first.
    QString Text() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Ticking or unticking a series' name asks for it to be shown or hidden.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  signals:
    void showRequested(int row, bool shown);
    // A limit cell was edited: the row's unit should get these limits.
    void limitsRequested(int row, const Limits& limits);

  private:
    QString CellText(int row, int column) const;
    QString LimitCellText(int row, int column) const;
    bool SetLimit(int row, int column, const QString& text);

    std::vector<Series> series_;
    std::vector<SeriesStatistics> figures_;
    QString readings_;
    bool limitsShown_ = false;
    std::vector<Limits> limits_;
    std::vector<LimitFigures> limitFigures_;
    TimeAxis axis_;
};

}  // namespace rv7342
