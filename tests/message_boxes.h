#pragma once
// Answers the message boxes a window opens, so tests can drive the real dialogs, and keeps
// what each one showed.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "tests/deadline.h"

namespace rv7342 {

struct SeenMessageBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};

class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer() {
        QObject::connect(&poll_, &QTimer::timeout, [this] { AnswerOpenBox(); });
        poll_.start(10);
    }

    // The button pressed; a box without it gets its first button.
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    // When set, the key typed into the box instead, as a user answers from the keyboard.
    Qt::Key key = Qt::Key_unknown;
    std::vector<SeenMessageBox> seen;

  private:
    void AnswerOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            return;
        }
        QAbstractButton* defaultButton = box->defaultButton();
        seen.push_back(
            {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
             defaultButton ? box->standardButton(defaultButton) : QMessageBox::NoButton});
        if (key != Qt::Key_unknown) {
            // The box animates the click of the button whose letter was typed: it closes
            // once that has run. No other box is answered meanwhile.
            poll_.stop();
            QTest::keyClick(box, key);
            const bool answered = QTest::qWaitFor(
                [box] { return !box->isVisible(); },
                std::chrono::duration_cast<std::chrono::milliseconds>(kEventDeadline).count());
            poll_.start();
            if (answered) {
                return;
            }
            ADD_FAILURE() << "the key did not answer \"" << box->text().toStdString() << '"';
        }
        QAbstractButton* button = box->button(answer);
        if (!button) {
            button = box->buttons().value(0);
        }
        button->click();
    }

    QTimer poll_;
};

}  // namespace rv7342
