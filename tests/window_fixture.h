#pragma once
// Form2 in a temporary program folder that holds the shipped unit-name table, with every
// message box answered and recorded.

#include <QByteArray>
#include <QDate>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>

#include "tests/deadline.h"
#include "tests/message_boxes.h"
#include "tests/temp_dir.h"
#include "ui/main_window.h"

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

}  // namespace rv7342
