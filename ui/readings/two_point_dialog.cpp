#include "ui/readings/two_point_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>

#include "ui/readings/conversions_dialog.h"

namespace rv7342 {

TwoPointDialog::TwoPointDialog(const std::string& unit, QWidget* parent)
    : QDialog(parent),
      reading1(new QLineEdit(this)),
      value1(new QLineEdit(this)),
      reading2(new QLineEdit(this)),
      value2(new QLineEdit(this)),
      unit_(unit) {
    const QString name = QString::fromStdString(unit);
    setWindowTitle(QStringLiteral("Two points: %1").arg(name));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Reading &1 (%1):").arg(name), reading1);
    form->addRow(QStringLiteral("stands for:"), value1);
    form->addRow(QStringLiteral("Reading &2 (%1):").arg(name), reading2);
    form->addRow(QStringLiteral("stands for:"), value2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TwoPointDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TwoPointDialog::reject);
    form->addRow(buttons);
}

Failure TwoPointDialog::Read(double& factor, double& offset) const {
    const std::optional<double> numbers[] = {
        NumberTyped(reading1->text()), NumberTyped(value1->text()), NumberTyped(reading2->text()),
        NumberTyped(value2->text())};
    for (const std::optional<double>& number : numbers) {
        if (!number) {
            return "the two readings of " + unit_ +
                   " and the values they stand for must be numbers";
        }
    }
    // The new unit is named in the row of the conversion, not here.
    Conversion conversion{unit_, "new unit", factor, offset};
    if (Failure failure =
            TwoPointConversion(*numbers[0], *numbers[1], *numbers[2], *numbers[3], conversion)) {
        return failure;
    }
    factor = conversion.factor;
    offset = conversion.offset;
    return std::nullopt;
}

void TwoPointDialog::accept() {
    double factor = 1;
    double offset = 0;
    if (const Failure failure = Read(factor, offset)) {
        QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("Cannot calibrate: %1.").arg(QString::fromStdString(*failure)));
        return;
    }
    QDialog::accept();
}

}  // namespace rv7342
