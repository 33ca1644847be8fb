#pragma once
// A capture of what the meter sent, decoded into a data file by the transfer machine a
// download runs, so that the file is the one a download of those bytes would have written.
// The bytes are fed as they are read, so that a capture of any length, or one that never
// ends, takes no more memory than the piece read.

#include <string>
#include <string_view>

#include "datafiles/data_file.h"
#include "datafiles/failure.h"
#include "transfer/frame_decoder.h"
#include "transfer/transfer_procedure.h"

namespace rv7342 {

struct CaptureDecoding {
    bool complete = false;  // the end of the meter's memory was recognised
    int records = 0;
    int malformedRecords = 0;
    long long escapeCount = 0;
    bool insideEndMarker = false;  // the bytes ended inside the end-of-memory marker
    Failure failure;               // the data file could not be created or written
};

class CaptureDecoder {
  public:
    CaptureDecoder();
    CaptureDecoder(const CaptureDecoder&) = delete;
    CaptureDecoder& operator=(const CaptureDecoder&) = delete;

    // Creates the data file at `path` as `creation` says.
    [[nodiscard]] Failure Open(const std::string& path, FileCreation creation);
    // Decodes the next bytes of the capture. False once the transfer has ended, at the end of
    // the memory or a failed write: the bytes after it are not looked at, as a download stops
    // reading there.
    bool Feed(std::string_view bytes);
    // Closes the data file, put in place when it holds a reading; how the decoding went.
    CaptureDecoding Finish();

  private:
    DataFileWriter file_;
    DecoderState decoder_;
    TransferMachine machine_;
    CaptureDecoding result_;
    bool ended_ = false;
};

}  // namespace rv7342
