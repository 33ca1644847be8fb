#pragma once
// The main window's form-level state: plain data that the window owns for the whole run and
// that the frame decoder and the transfer work on, so both can be used without a window.

#include <array>
#include <cstdint>
#include <string>

#include "datafiles/unit_table.h"

namespace rv7342 {

struct FormState {
    std::string df;  // full path of the current data file
    int datano = 0;  // records written by the last transfer; wide enough for any memory
    std::int16_t UnitIndex = 0;
    std::int16_t Unit2Index = 0;  // set by the decoder for the record written next
    double Value1 = 0;
    double Value2 = 0;
    std::array<std::int16_t, 16> DigitBuffer{};
    UnitTable UnitNames{};
    bool fgComPortOpen = false;
    bool fgTransferOK = false;
    bool fg_Two_Display = false;  // belongs to the hidden two-display check box; unused
};

}  // namespace rv7342
