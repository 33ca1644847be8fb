#pragma once
// Conversions...: for each unit of the readings shown, the unit a sensor's readings stand for
// and the factor and offset that give it ("mV DC" into "deg C" as 1 x reading + 0). A row
// left without a new unit converts nothing.

#include <QDialog>

#include <string>
#include <vector>

#include "measuring/conversion.h"

class QLineEdit;

namespace rv7342 {

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
    };
    const std::vector<Row>& Rows() const { return rows_; }

    void accept() override;

  private:
    std::vector<Row> rows_;
};

}  // namespace rv7342
