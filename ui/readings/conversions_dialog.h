#pragma once
// Conversions...: for each unit of the readings shown, the unit a sensor's readings stand for
// and the factor and offset that give it ("mV DC" into "deg C" as 1 x reading + 0). A row
// left without a new unit converts nothing. Two points... gives a row's factor and offset from
// two readings and the values they stand for. Keep... keeps a row's conversion by a name, and
// Apply puts a kept one into the row of its unit, in this or any other file.

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

#include "measuring/conversion.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace rv7342 {

// A number as typed in this desktop's language or with a period.
std::optional<double> NumberTyped(const QString& typed);

class ConversionsDialog : public QDialog {
    Q_OBJECT
  public:
    // `units` as read, each with its conversion in `conversions`, if any.
    ConversionsDialog(const std::vector<std::string>& units,
                      const std::vector<Conversion>& conversions, QWidget* parent = nullptr);

    // The conversions the rows give; a row that gives none that can be applied says why.
    [[nodiscard]] Failure Read(std::vector<Conversion>& conversions) const;

    struct Row {
        std::string unit;
        QLineEdit* newUnit = nullptr;
        QLineEdit* factor = nullptr;
        QLineEdit* offset = nullptr;
        QPushButton* twoPoints = nullptr;  // the factor and offset from two readings
        QPushButton* keep = nullptr;       // the row's conversion kept by a name
    };
    const std::vector<Row>& Rows() const { return rows_; }

    // The conversion of `row` kept as `name`, to apply to any file; a row that gives none that
    // can be applied says why.
    [[nodiscard]] Failure KeepRow(const Row& row, const QString& name);
    // The conversion kept as `name` into the row of its unit; none of that unit says so.
    [[nodiscard]] Failure ApplyKept(const QString& name);
    // The names of the conversions kept.
    QComboBox* Kept() const { return kept_; }

    void accept() override;

  private:
    // Two points... of the row: its factor and offset from a two-point calibration.
    void Calibrate(const Row& row);
    // The conversion the row gives, or why it gives none; none for a row without a new unit.
    Failure ReadRow(const Row& row, std::optional<Conversion>& conversion) const;
    void ListKept();
    void Warn(const Failure& failure);

    std::vector<Row> rows_;
    QComboBox* kept_ = nullptr;
};

}  // namespace rv7342
