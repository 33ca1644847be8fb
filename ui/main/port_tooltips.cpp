#include "ui/main/port_tooltips.h"

#include <QEvent>
#include <QRadioButton>

#include "desktop/local_text.h"
#include "ports/port_messages.h"
#include "transfer/serial_link.h"

namespace rv7342 {

PortToolTips::PortToolTips(const std::array<QRadioButton*, 2>& buttons, const SerialLink& link,
                           QObject* parent)
    : QObject(parent), buttons_(buttons), link_(link) {
    for (QRadioButton* button : buttons_) {
        button->installEventFilter(this);
    }
    connect(&link, &SerialLink::portsChosen, this, &PortToolTips::Show);
    Show(link_.CurrentChoice());
}

void PortToolTips::Show(const PortChoice& choice) {
    for (int port = 1; port <= 2; ++port) {
        buttons_[port - 1]->setToolTip(FromLocalText(PortToolTip(port, choice)));
    }
}

// Runs before the button handles the event, so the tooltip it shows is the fresh one.
bool PortToolTips::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        Show(link_.CurrentChoice());
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace rv7342
