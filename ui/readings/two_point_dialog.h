#pragma once
// Two points...: a unit's conversion from two readings and the values they stand for (a
// two-point calibration), for a sensor whose factor and offset are not known.

#include <QDialog>

#include <string>

#include "measuring/conversion.h"

class QLineEdit;

namespace rv7342 {

class TwoPointDialog : public QDialog {
    Q_OBJECT
  public:
    // Of the readings in `unit`.
    explicit TwoPointDialog(const std::string& unit, QWidget* parent = nullptr);

    // The factor and offset the two points give; two points that give none say why.
    [[nodiscard]] Failure Read(double& factor, double& offset) const;

    QLineEdit* reading1 = nullptr;
    QLineEdit* value1 = nullptr;
    QLineEdit* reading2 = nullptr;
    QLineEdit* value2 = nullptr;

    void accept() override;

  private:
    std::string unit_;
};

}  // namespace rv7342
