#include "ui/readings/statistics_columns.h"

#include <QHeaderView>
#include <QMenu>
#include <QTableView>

#include "ui/readings/readings_settings.h"
#include "ui/readings/statistics_model.h"

namespace rv7342 {

StatisticsColumns::StatisticsColumns(QTableView* table, StatisticsModel* model)
    : QObject(table), table_(table), model_(model), hidden_(LoadHiddenStatisticsColumns()) {
    QHeaderView* header = table->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this, &StatisticsColumns::ShowMenu);
    connect(model, &QAbstractItemModel::modelReset, this, &StatisticsColumns::Apply);
    Apply();
}

void StatisticsColumns::SetHidden(const QString& heading, bool hidden) {
    hidden_.removeAll(heading);
    if (hidden) {
        hidden_ << heading;
    }
    SaveHiddenStatisticsColumns(hidden_);
    Apply();
}

// A tick for every column but the series' own, which names the row.
void StatisticsColumns::ShowMenu(const QPoint& at) {
    auto* menu = new QMenu(table_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (int column = 1; column < model_->columnCount(); ++column) {
        const QString heading = model_->Heading(column);
        QAction* shown = menu->addAction(heading);
        shown->setCheckable(true);
        shown->setChecked(!hidden_.contains(heading));
        connect(shown, &QAction::toggled, this,
                [this, heading](bool on) { SetHidden(heading, !on); });
    }
    menu->popup(table_->horizontalHeader()->mapToGlobal(at));
}

void StatisticsColumns::Apply() {
    for (int column = 1; column < model_->columnCount(); ++column) {
        table_->setColumnHidden(column, hidden_.contains(model_->Heading(column)));
    }
}

}  // namespace rv7342
