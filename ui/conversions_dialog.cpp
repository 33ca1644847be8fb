#include "ui/conversions_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QVBoxLayout>

#include "datafiles/text_fields.h"

namespace rv7342 {

namespace {

// A number as typed in this desktop's language or with a period.
std::optional<double> NumberTyped(const QString& typed) {
    bool ok = false;
    const double number = QLocale().toDouble(typed.trimmed(), &ok);
    return ok ? std::optional<double>(number) : ParseNumber(typed.trimmed().toStdString());
}

}  // namespace

ConversionsDialog::ConversionsDialog(const std::vector<std::string>& units,
                                     const std::vector<Conversion>& conversions, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Conversions"));
    auto* layout = new QVBoxLayout(this);
    auto* explanation = new QLabel(
        QStringLiteral("Readings of a unit become factor \u00d7 reading + offset in the new unit. "
                       "Leave the new unit empty for none."),
        this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    auto* grid = new QGridLayout;
    const QString headers[] = {QStringLiteral("Unit"), QStringLiteral("New unit"),
                               QStringLiteral("Factor"), QStringLiteral("Offset")};
    for (int column = 0; column < 4; ++column) {
        grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(headers[column]), this), 0,
                        column);
    }
    for (const std::string& unit : units) {
        const Conversion* conversion = ConversionOf(conversions, unit);
        Row row{unit, new QLineEdit(this), new QLineEdit(this), new QLineEdit(this)};
        row.newUnit->setText(conversion ? QString::fromStdString(conversion->newUnit) : QString());
        row.factor->setText(
            QString::fromStdString(FormatDouble(conversion ? conversion->factor : 1)));
        row.offset->setText(
            QString::fromStdString(FormatDouble(conversion ? conversion->offset : 0)));
        const int at = static_cast<int>(rows_.size()) + 1;
        auto* name = new QLabel(QString::fromStdString(unit), this);
        name->setBuddy(row.newUnit);
        grid->addWidget(name, at, 0);
        grid->addWidget(row.newUnit, at, 1);
        grid->addWidget(row.factor, at, 2);
        grid->addWidget(row.offset, at, 3);
        rows_.push_back(row);
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConversionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConversionsDialog::reject);
    layout->addWidget(buttons);
}

Failure ConversionsDialog::Read(std::vector<Conversion>& conversions) const {
    std::vector<Conversion> read;
    for (const Row& row : rows_) {
        const QString newUnit = row.newUnit->text().trimmed();
        if (newUnit.isEmpty()) {
            continue;
        }
        const std::optional<double> factor = NumberTyped(row.factor->text());
        const std::optional<double> offset = NumberTyped(row.offset->text());
        if (!factor || !offset) {
            return "the factor and the offset of the conversion of " + row.unit +
                   " must be numbers";
        }
        const Conversion conversion{row.unit, newUnit.toStdString(), *factor, *offset};
        if (Failure failure = CheckConversion(conversion)) {
            return failure;
        }
        read.push_back(conversion);
    }
    conversions = std::move(read);
    return std::nullopt;
}

void ConversionsDialog::accept() {
    std::vector<Conversion> conversions;
    if (const Failure failure = Read(conversions)) {
        QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("Cannot convert: %1.").arg(QString::fromStdString(*failure)));
        return;
    }
    QDialog::accept();
}

}  // namespace rv7342
