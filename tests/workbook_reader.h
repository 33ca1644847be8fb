#pragma once
// A workbook as openpyxl, an independent reader, gives it back (tests/xlsx_read_back.py): one
// line a row, each cell as its type and value, each sheet after a line naming it.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/child_process.h"
#include "tests/deadline.h"

namespace rv7342 {

// The workbook at `path` as read back; a reader that fails fails the test, saying why.
inline std::string ReadWorkbook(const std::string& path) {
    ChildProcess reader(RV7342_PYTHON, {RV7342_SOURCE_DIR "/tests/xlsx_read_back.py", path});
    const std::optional<int> status = reader.Wait(kEventDeadline);
    EXPECT_EQ(status, 0) << "the reader failed on " << path << ":\n" << reader.Errors();
    return reader.Output();
}

}  // namespace rv7342
