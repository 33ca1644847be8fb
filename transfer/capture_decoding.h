#pragma once
// A capture of what the meter sent, decoded into a data file by the transfer machine a
// download runs, so that the file is the one a download of those bytes would have written.

#include <string>
#include <string_view>

#include "datafiles/data_file.h"
#include "datafiles/failure.h"

namespace rv7342 {

struct CaptureDecoding {
    bool complete = false;  // the end of the meter's memory was recognised
    int records = 0;
    int malformedRecords = 0;
    long long escapeCount = 0;
    Failure failure;  // the data file could not be created or written
};

// Writes the data file at `path`, created as `creation` says, from the bytes of `capture`;
// bytes after the end of the memory are not looked at, as a download stops reading there.
CaptureDecoding DecodeCapture(std::string_view capture, const std::string& path,
                              FileCreation creation = FileCreation::Truncate);

}  // namespace rv7342
