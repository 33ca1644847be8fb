#pragma once
// The statistics of the series as a table model: a row per series (its name, ticked while it
// is shown, and the figures of the readings in the range shown), and above it a line that says
// which readings those are. The table and Copy statistics both read it.

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include <vector>

#include "readings/statistics.h"

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

  private:
    QString CellText(int row, int column) const;

    std::vector<Series> series_;
    std::vector<SeriesStatistics> figures_;
    QString readings_;
};

}  // namespace rv7342
