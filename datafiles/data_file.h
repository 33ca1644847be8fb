#pragma once
// The data file: one reading a line, five comma-separated fields, lines ended by CR LF.
//   number, first value, first unit code, second value, second unit code

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datafiles/failure.h"
#include "datafiles/output_file.h"

namespace rv7342 {

struct Record {
    long long number = 0;
    double value1 = 0;
    int unit1 = 0;
    double value2 = 0;
    int unit2 = 0;
};

// One record as its line in the file, CR LF included.
std::string FormatRecord(const Record& record);

// Writes a data file through OutputFile, made as `creation` says: a new file (New) is
// removed again, and a file to replace (Replace) stays as it was, when no record was written;
// a device or a pipe is written as it stands. Every record is handed to the operating system
// as soon as it is appended, so a program that dies later leaves it on disk; a record that
// cannot be written whole is cut off again, so that the file holds only whole lines. A
// failure's reason names the path.
class DataFileWriter {
  public:
    [[nodiscard]] Failure Open(const std::string& path,
                               FileCreation creation = FileCreation::Truncate);
    [[nodiscard]] Failure Append(const Record& record);
    [[nodiscard]] Failure Close();
    // Records appended whole since Open.
    int Records() const { return records_; }

  private:
    OutputFile file_;
    bool open_ = false;
    long long wholeSize_ = 0;  // bytes of the whole records written
    int records_ = 0;
};

class LineReader;

// Reads records line by line: the first `count`, or all when `count` has no value. Each line
// holds exactly five fields; empty lines at the end are the end of the file. Stops at the
// first line that is not a record, keeping the records before it, and the reason names that
// line and what it holds; with a count, a file that ends early is a failure too.
[[nodiscard]] Failure ReadRecords(LineReader& lines, std::optional<int> count,
                                  std::vector<Record>& records);

// Reads `count` records from the text of a data file into `records`, in file order. When
// fewer can be read, the records before the fault are kept and the reason names its line.
[[nodiscard]] Failure ReadRecordsFromText(std::string_view text, int count,
                                          std::vector<Record>& records);
// Reads every record of the text, however many, into `records`. Stops at the first line that
// is not a record, keeping the records before it; the reason then names that line.
[[nodiscard]] Failure ReadAllRecordsFromText(std::string_view text, std::vector<Record>& records);

// Reads a data file as it goes, holding no more of it than one line.
class DataFileReader {
  public:
    // The reason for a failure names the path.
    [[nodiscard]] Failure Open(const std::string& path);
    // Reads as ReadRecords does. The reason for a faulty line names only the line; when the
    // file could not be read, ReadFailed() is true and the reason names the path.
    [[nodiscard]] Failure Read(std::optional<int> count, std::vector<Record>& records);
    bool ReadFailed() const { return readFailed_; }

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::string path_;
    bool readFailed_ = false;
};

// Reads every record of the data file at `path`. On a failure the records before the faulty
// line stay in `records`, and the reason names the file and, where one is at fault, the line.
// A file without a single record is a failure too.
[[nodiscard]] Failure ReadDataFile(const std::string& path, std::vector<Record>& records);
// Reads the first `count` records of the data file at `path`, as the table of readings does.
[[nodiscard]] Failure ReadDataFileRecords(const std::string& path, int count,
                                          std::vector<Record>& records);

}  // namespace rv7342
