#pragma once
// Form2 in a temporary program folder that holds the shipped unit-name table, with every
// message box answered and recorded; readings windows of files in a temporary folder; the menus
// and the drops a user reaches them by.

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QDate>
#include <QDropEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>

#include "tests/deadline.h"
#include "tests/message_boxes.h"
#include "tests/shown_text.h"
#include "tests/temp_dir.h"
#include "ui/chart/readings_chart.h"
#include "ui/main/main_window.h"
#include "ui/readings/readings_window_set.h"

namespace rv7342 {

// Environment variables set or removed for one test, and put back as they were when it ends,
// also when an assertion ended it early.
class TestEnvironment {
  public:
    TestEnvironment() = default;
    ~TestEnvironment() {
        for (const auto& [name, value] : earlier_) {
            value ? qputenv(name.c_str(), *value) : qunsetenv(name.c_str());
        }
    }
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    // `name` is put back as it is now, whatever changes it later.
    void Keep(const std::string& name) {
        if (!earlier_.count(name)) {
            earlier_[name] = qEnvironmentVariableIsSet(name.c_str())
                                 ? std::optional<QByteArray>(qgetenv(name.c_str()))
                                 : std::nullopt;
        }
    }
    void Set(const std::string& name, const std::string& value) {
        Keep(name);
        qputenv(name.c_str(), QByteArray::fromStdString(value));
    }
    void Remove(const std::string& name) {
        Keep(name);
        qunsetenv(name.c_str());
    }

  private:
    std::map<std::string, std::optional<QByteArray>> earlier_;
};

// The event deadline for Qt's waits, which count milliseconds.
inline constexpr int kWindowDeadlineMs =
    std::chrono::duration_cast<std::chrono::milliseconds>(kEventDeadline).count();

// The data file name made from today's date, as 261207.dat on 7 December 2026. A window
// opened at midnight may propose the day before's: take it before and after opening.
inline std::string TodaysFileName() {
    return QDate::currentDate().toString(QStringLiteral("yyMMdd")).toStdString() + ".dat";
}

class WindowTest : public testing::Test {
  protected:
    // The ports' variables are put back as they were before the test, which may set them.
    WindowTest() {
        environment.Keep("RV7342_COM1");
        environment.Keep("RV7342_COM2");
        dir.Write("unit2.dat", ReadFile(RV7342_SOURCE_DIR "/app/unit2.dat"));
    }

    // `listPorts` stands for the machine's list of serial ports.
    std::unique_ptr<Form2> OpenWindow(PortLister listPorts = MachinePorts) const {
        return std::make_unique<Form2>(QString::fromStdString(dir.Path()), nullptr,
                                       std::move(listPorts));
    }

    TestEnvironment environment;
    TempDir dir;
    MessageBoxAnswerer boxes;
};

// Readings windows of the files in `dir`, owned as the main window owns them, with the shipped
// unit names and no settings left by an earlier test.
class ReadingsWindowsTest : public testing::Test {
  protected:
    ReadingsWindowsTest() {
        EXPECT_EQ(LoadUnitTable(RV7342_SOURCE_DIR "/app/unit2.dat", names), std::nullopt);
        QSettings(QStringLiteral("rv7342"), QStringLiteral("readings")).clear();
    }

    QString Path(const std::string& name) const { return QString::fromStdString(dir.Path(name)); }

    // The window, shown and drawn, as a user sees it; null when the file shows none.
    ReadingsWindow* Open(const std::string& name) {
        ReadingsWindow* window = windows.OpenDataFile(Path(name));
        if (window) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window, kWindowDeadlineMs));
            window->Chart()->replot();
        }
        return window;
    }

    // The window of the file closed, as a user closes it, and the file opened again.
    ReadingsWindow* Reopen(ReadingsWindow* window, const std::string& name) {
        window->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(windows.Find(Path(name)), nullptr) << "closed";
        return Open(name);
    }

    UnitTable names{};
    TempDir dir;
    QWidget owner;
    ReadingsWindowSet windows{names, &owner};
};

// The entries of a menu, by their text, separators left out.
inline std::map<QString, QAction*> Entries(const QMenu& menu) {
    std::map<QString, QAction*> entries;
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator()) {
            entries[action->text()] = action;
        }
    }
    return entries;
}

inline QMenu* MenuTitled(const QMainWindow& window, const QString& title) {
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

// The letter after the '&' of a text, lower case; none for a text without.
inline QChar Mnemonic(const QString& text) {
    const qsizetype amp = text.indexOf(QLatin1Char('&'));
    return amp >= 0 && amp + 1 < text.size() ? text.at(amp + 1).toLower() : QChar();
}

// The texts of `actions` that have no mnemonic or share one, separators left out: empty when
// each can be reached by a letter of its own.
inline QStringList MnemonicClashes(const QList<QAction*>& actions) {
    std::map<QChar, QStringList> texts;
    for (const QAction* action : actions) {
        if (!action->isSeparator()) {
            texts[Mnemonic(action->text())] << action->text();
        }
    }
    QStringList clashes;
    for (const auto& [letter, shared] : texts) {
        if (letter.isNull() || shared.size() > 1) {
            clashes << shared;
        }
    }
    return clashes;
}

// Drags `data` over `target`, as from a file manager, and drops it there if it is taken:
// whether it was.
inline bool Drop(QWidget* target, const QMimeData& data) {
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return true;
}

inline bool DropFile(QWidget* target, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    return Drop(target, data);
}

}  // namespace rv7342
