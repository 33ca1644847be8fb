#pragma once
// The statistics of a readings document as a table model: a row per series (its name, ticked
// while it is shown, and the figures of the readings in the range shown), and above it a line
// that says which readings those are. The table and Copy statistics both read it. While limits
// are shown, each row has its unit's lower and upper limit, editable, and how its readings keep
// to them.

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include <vector>

#include "document/readings_document.h"

namespace rv7342 {

class StatisticsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // `document` must outlive the model.
    explicit StatisticsModel(const ReadingsDocument& document, QObject* parent = nullptr);

    // The document's series were replaced: a row a colour, the colour of the series' line.
    void ShowSeries(std::vector<QColor> colours);
    // The lines' colours have changed with the theme; the rows stay.
    void ShowColours(std::vector<QColor> colours);
    // Series `row` was shown or hidden.
    void ShowShown(int row);
    // The range shown, and with it the figures, has changed.
    void ShowFigures();
    QString Readings() const;
    // The columns Lower limit, Upper limit, Below, Above, Time outside and First outside.
    void ShowLimits(bool shown);
    bool LimitsShown() const { return limitsShown_; }
    // What the table shows as tab-separated text, the line of readings first, under the
    // columns' full headings.
    QString Text() const;
    // The column's full heading, "Std. deviation"; the table's heading is a short one, "SD",
    // so that every column fits, and gives the full one as its tooltip.
    QString Heading(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Ticking or unticking a series' name asks for it to be shown or hidden.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  signals:
    void showRequested(int row, bool shown);
    // A limit cell was edited: the unit of series `row` should get these limits.
    void limitsRequested(int row, const Limits& limits);

  private:
    QString CellText(int row, int column) const;
    QString LimitCellText(int row, int column) const;
    bool SetLimit(int row, int column, const QString& text);

    const ReadingsDocument& document_;
    std::vector<QColor> colours_;
    bool limitsShown_ = false;
};

}  // namespace rv7342
