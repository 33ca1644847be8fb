#pragma once
// The main window's form-level state: plain data that the window owns for the whole run.

#include <string>

#include "datafiles/unit_table.h"
#include "transfer/frame_decoder.h"

namespace rv7342 {

struct FormState {
    std::string df;        // full path of the current data file
    int datano = 0;        // records written by the last transfer; wide enough for any memory
    DecoderState decoder;  // the frame being decoded: DigitBuffer, UnitIndex, Value1, Value2
    UnitTable UnitNames{};
    bool fgComPortOpen = false;
    bool fgTransferOK = false;
    bool fg_Two_Display = false;  // belongs to the hidden two-display check box; unused
};

}  // namespace rv7342
