#pragma once
// Form2 in a temporary program folder that holds the shipped unit-name table, with every
// message box answered and recorded.

#include <gtest/gtest.h>

#include <memory>

#include "tests/message_boxes.h"
#include "tests/temp_dir.h"
#include "ui/main_window.h"

namespace rv7342 {

class WindowTest : public testing::Test {
  protected:
    WindowTest() { dir.Write("unit2.dat", ReadFile(RV7342_SOURCE_DIR "/app/unit2.dat")); }

    // `listPorts` stands for the machine's list of serial ports.
    std::unique_ptr<Form2> OpenWindow(PortLister listPorts = MachinePorts) const {
        return std::make_unique<Form2>(QString::fromStdString(dir.Path()), nullptr,
                                       std::move(listPorts));
    }

    TempDir dir;
    MessageBoxAnswerer boxes;
};

}  // namespace rv7342
