#pragma once
// The data file: one reading a line, five comma-separated fields, lines ended by CR LF.
//   number, first value, first unit code, second value, second unit code

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// Writes a data file. Every record is handed to the operating system as soon as it is
// appended, so a program that dies later leaves it on disk. Failures are returned as a
// reason naming the path; an empty text means success.
class DataFileWriter {
  public:
    std::string Open(const std::string& path);
    std::string Append(const Record& record);
    std::string Close();
    bool IsOpen() const { return file_ != nullptr; }

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::string path_;
};

// What reading a data file gave: the records read, in file order, and, when fewer than the
// wanted number could be read, the reason (which line, what was wrong).
struct RecordReading {
    std::vector<Record> records;
    std::string error;
};

// Reads `count` records from the text of a data file.
RecordReading ReadRecordsFromText(std::string_view text, int count);

// Reads a whole file; the reason for a failure names the path.
bool ReadWholeFile(const std::string& path, std::string& contents, std::string& error);
// The C library's text for an errno value.
std::string SystemReason(int errorNumber);

}  // namespace rv7342
