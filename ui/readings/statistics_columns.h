#pragma once
// The columns of the statistics table the user shows or hides from its header's context menu,
// by their full headings; the choice is remembered and kept while the table's columns change
// (the limit columns come and go).

#include <QObject>
#include <QPoint>
#include <QStringList>

class QTableView;

namespace rv7342 {

class StatisticsModel;

class StatisticsColumns : public QObject {
    Q_OBJECT
  public:
    StatisticsColumns(QTableView* table, StatisticsModel* model);

    void SetHidden(const QString& heading, bool hidden);
    const QStringList& Hidden() const { return hidden_; }

  private:
    void ShowMenu(const QPoint& at);
    void Apply();

    QTableView* table_;
    StatisticsModel* model_;
    QStringList hidden_;
};

}  // namespace rv7342
