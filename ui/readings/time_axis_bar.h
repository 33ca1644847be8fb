#pragma once
// The controls of the time axis above the chart: the meter's logging interval, the date and
// time logging started at, and which horizontal axis to draw.

#include <QWidget>

#include "readings/time_axis.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;

namespace rv7342 {

class TimeAxisBar : public QWidget {
    Q_OBJECT
  public:
    explicit TimeAxisBar(QWidget* parent = nullptr);

    // Shows `axis` without reporting it as chosen.
    void SetAxis(const TimeAxis& axis);
    const TimeAxis& Axis() const { return axis_; }

    QLineEdit* IntervalField() const { return interval_; }
    QCheckBox* StartBox() const { return startBox_; }
    QDateTimeEdit* StartField() const { return start_; }
    QComboBox* AxisChoice() const { return choice_; }
    // Shows the axis of `kind`, as choosing it in the list does, where the interval and start
    // allow it.
    void ChooseAxis(AxisKind kind);

  signals:
    // The user changed the interval, the start or the axis.
    void axisChosen(const TimeAxis& axis);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void OnIntervalEdited(const QString& text);
    void OnStartChosen();
    void ShowState();

    TimeAxis axis_;
    QLineEdit* interval_ = nullptr;
    QCheckBox* startBox_ = nullptr;
    QDateTimeEdit* start_ = nullptr;
    QComboBox* choice_ = nullptr;
};

}  // namespace rv7342
