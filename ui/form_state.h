#pragma once
// The main window's form-level state: plain data that the window owns for the whole run. The
// decoder's part of it is what the frame decoder and the transfer work on.

#include <string>

#include "datafiles/unit_table.h"
#include "transfer/frame_decoder.h"

namespace rv7342 {

struct FormState : DecoderState {
    std::string df;  // full path of the current data file
    int datano = 0;  // records written by the last transfer; wide enough for any memory
    UnitTable UnitNames{};
    bool fgComPortOpen = false;
    bool fgTransferOK = false;
    bool fg_Two_Display = false;  // belongs to the hidden two-display check box; unused
};

}  // namespace rv7342
