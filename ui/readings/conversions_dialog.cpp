#include "ui/readings/conversions_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "datafiles/text_fields.h"
#include "ui/readings/readings_settings.h"
#include "ui/readings/two_point_dialog.h"

namespace rv7342 {

std::optional<double> NumberTyped(const QString& typed) {
    bool ok = false;
    const double number = QLocale().toDouble(typed.trimmed(), &ok);
    return ok ? std::optional<double>(number) : ParseNumber(typed.trimmed().toStdString());
}

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
        Row row{unit,
                new QLineEdit(this),
                new QLineEdit(this),
                new QLineEdit(this),
                new QPushButton(QStringLiteral("Two points..."), this),
                new QPushButton(QStringLiteral("Keep..."), this)};
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
        grid->addWidget(row.twoPoints, at, 4);
        grid->addWidget(row.keep, at, 5);
        row.twoPoints->setAutoDefault(false);
        row.keep->setAutoDefault(false);
        connect(row.twoPoints, &QPushButton::clicked, this, [this, row] { Calibrate(row); });
        connect(row.keep, &QPushButton::clicked, this, [this, row] {
            const QString suggested =
                QStringLiteral("%1 \u2192 %2")
                    .arg(QString::fromStdString(row.unit), row.newUnit->text().trimmed());
            bool ok = false;
            const QString name = QInputDialog::getText(this, QStringLiteral("Keep conversion"),
                                                       QStringLiteral("Keep as:"),
                                                       QLineEdit::Normal, suggested, &ok);
            if (ok) {
                Warn(KeepRow(row, name));
            }
        });
        rows_.push_back(row);
    }
    layout->addLayout(grid);
    auto* keptLine = new QHBoxLayout;
    kept_ = new QComboBox(this);
    auto* keptLabel = new QLabel(QStringLiteral("&Kept conversions:"), this);
    keptLabel->setBuddy(kept_);
    auto* apply = new QPushButton(QStringLiteral("&Apply"), this);
    apply->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, [this] { Warn(ApplyKept(kept_->currentText())); });
    keptLine->addWidget(keptLabel);
    keptLine->addWidget(kept_, 1);
    keptLine->addWidget(apply);
    layout->addLayout(keptLine);
    ListKept();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConversionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConversionsDialog::reject);
    layout->addWidget(buttons);
}

void ConversionsDialog::Calibrate(const Row& row) {
    TwoPointDialog dialog(row.unit, this);
    double factor = 1;
    double offset = 0;
    if (dialog.exec() != QDialog::Accepted || dialog.Read(factor, offset)) {
        return;
    }
    row.factor->setText(QString::fromStdString(FormatDouble(factor)));
    row.offset->setText(QString::fromStdString(FormatDouble(offset)));
    row.newUnit->setFocus();
}

Failure ConversionsDialog::ReadRow(const Row& row, std::optional<Conversion>& conversion) const {
    conversion.reset();
    const QString newUnit = row.newUnit->text().trimmed();
    if (newUnit.isEmpty()) {
        return std::nullopt;
    }
    const std::optional<double> factor = NumberTyped(row.factor->text());
    const std::optional<double> offset = NumberTyped(row.offset->text());
    if (!factor || !offset) {
        return "the factor and the offset of the conversion of " + row.unit + " must be numbers";
    }
    const Conversion read{row.unit, PrintableText(newUnit.toStdString()), *factor, *offset};
    if (Failure failure = CheckConversion(read)) {
        return failure;
    }
    conversion = read;
    return std::nullopt;
}

Failure ConversionsDialog::Read(std::vector<Conversion>& conversions) const {
    std::vector<Conversion> read;
    for (const Row& row : rows_) {
        std::optional<Conversion> conversion;
        if (Failure failure = ReadRow(row, conversion)) {
            return failure;
        }
        if (conversion) {
            read.push_back(*conversion);
        }
    }
    conversions = std::move(read);
    return std::nullopt;
}

Failure ConversionsDialog::KeepRow(const Row& row, const QString& name) {
    std::optional<Conversion> conversion;
    if (Failure failure = ReadRow(row, conversion)) {
        return failure;
    }
    if (!conversion) {
        return "give the unit the readings of " + row.unit + " stand for, to keep the conversion";
    }
    if (name.trimmed().isEmpty()) {
        return std::string("a conversion is kept by a name");
    }
    KeepConversion(name.trimmed(), *conversion);
    ListKept();
    kept_->setCurrentText(name.trimmed());
    return std::nullopt;
}

Failure ConversionsDialog::ApplyKept(const QString& name) {
    const std::map<QString, Conversion> kept = LoadKeptConversions();
    const auto found = kept.find(name);
    if (found == kept.end()) {
        return "no conversion is kept as " + name.toStdString();
    }
    const Conversion& conversion = found->second;
    for (const Row& row : rows_) {
        if (row.unit == conversion.unit) {
            row.newUnit->setText(QString::fromStdString(conversion.newUnit));
            row.factor->setText(QString::fromStdString(FormatDouble(conversion.factor)));
            row.offset->setText(QString::fromStdString(FormatDouble(conversion.offset)));
            return std::nullopt;
        }
    }
    return "none of the readings is in " + conversion.unit + ", which " + name.toStdString() +
           " converts";
}

void ConversionsDialog::ListKept() {
    kept_->clear();
    for (const auto& [name, conversion] : LoadKeptConversions()) {
        kept_->addItem(name);
    }
}

void ConversionsDialog::Warn(const Failure& failure) {
    if (failure) {
        QMessageBox::warning(
            this, windowTitle(),
            QStringLiteral("Cannot convert: %1.").arg(QString::fromStdString(*failure)));
    }
}

void ConversionsDialog::accept() {
    std::vector<Conversion> conversions;
    if (const Failure failure = Read(conversions)) {
        Warn(failure);
        return;
    }
    QDialog::accept();
}

}  // namespace rv7342
