#pragma once
// Keeps the tooltips of the COM1 and COM2 buttons telling what each stands for: the device,
// the adapter's description and maker and its USB id, or that no serial port stands behind
// it. They are refreshed whenever one is about to show and at every open of the port.

#include <QObject>

#include <array>

class QRadioButton;

namespace rv7342 {

class SerialLink;
struct PortChoice;

class PortToolTips : public QObject {
    Q_OBJECT
  public:
    PortToolTips(const std::array<QRadioButton*, 2>& buttons, const SerialLink& link,
                 QObject* parent);

    void Show(const PortChoice& choice);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::array<QRadioButton*, 2> buttons_;
    const SerialLink& link_;
};

}  // namespace rv7342
