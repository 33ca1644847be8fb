#pragma once
// The one way every output is opened and written, by what stands at its path:
// - a regular file, or none yet, is made as FileCreation says; an export or a chart goes into a
//   temporary file in the target's folder, put in place by an atomic rename only once the
//   whole output has been written, flushed to disk and closed without error. On a failure, or
//   when SIGINT, SIGTERM or SIGHUP ends the program, the temporary file is removed and
//   whatever stood at the target before is untouched;
// - a symbolic link is followed, and stays a link to the file written;
// - a character device or a pipe (such as /dev/full, or a shell's process substitution) is
//   written as it stands: no temporary file, no rename, never removed;
// - "-" is the standard output where the output takes it (exports, charts, statistics);
// - a folder, or any other kind of file, is refused, and a missing folder is named.

#include <string>
#include <string_view>

#include "datafiles/failure.h"

namespace rv7342 {

// How an output that is a regular file, or none yet, is made. A device or a pipe is written as
// it stands whichever is chosen.
enum class FileCreation {
    Truncate,  // in place, created or emptied (the window's Start, after asking)
    New,       // in place, only where no file exists yet; Abandon removes it again
    Replace,   // into a temporary file beside it, which Commit renames over it
};

class OutputFile {
  public:
    static constexpr const char* kStandardOutput = "-";

    OutputFile() = default;
    // Abandons whatever Commit did not put in place.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // An export, a chart or statistics: "-" is the standard output, a file is replaced. The
    // reason for a failure names the path.
    [[nodiscard]] Failure Open(const std::string& path);
    // Readings (a data file, a capture of the meter's bytes), written as they arrive: "-" is a
    // file's name. The program stops its own work on a stop signal, so the signal leaves a
    // temporary file to it; one that cannot be put in place is kept, and the failure names it.
    [[nodiscard]] Failure OpenForReadings(const std::string& path, FileCreation creation);
    [[nodiscard]] Failure Write(std::string_view bytes);
    // Cuts a file back to its first `size` bytes; a device or a pipe keeps what it took.
    void CutTo(long long size);
    // Flushes, syncs and closes the file, and renames a temporary file over the target.
    [[nodiscard]] Failure Commit();
    // Removes a temporary file, and a new file made in place; the target stays as it was.
    void Abandon();

    // For a writer that writes only a regular file it can seek in, by its path (a workbook): a
    // device or a pipe gets a temporary file in the system's temporary folder, whose bytes
    // Commit copies into it.
    [[nodiscard]] Failure NeedFilePath();
    // The file written into, for a writer that takes a path or a descriptor of its own; it
    // must be done with it before Commit.
    const std::string& TemporaryPath() const { return temporary_; }
    int Descriptor() const { return fd_; }
    // The target as it is named in messages: the path, or "the standard output".
    const std::string& Name() const { return name_; }
    bool IsStandardOutput() const { return standardOutput_; }
    // A device or a pipe, written as it stands.
    bool IsStream() const { return stream_; }

  private:
    [[nodiscard]] Failure OpenNamed(const std::string& path, FileCreation creation);
    [[nodiscard]] Failure OpenStream();
    [[nodiscard]] Failure OpenRegular(FileCreation creation);
    [[nodiscard]] Failure CreateFailure(int errorNumber) const;
    [[nodiscard]] Failure WriteFailure(int errorNumber) const;
    // Why the temporary file did not take the target's place: `reason`, and where the
    // readings are when they are kept.
    [[nodiscard]] Failure CommitFailure(const std::string& what, int errorNumber);
    void ForgetTemporary();
    [[nodiscard]] Failure CopyIntoStream();

    std::string target_;     // where the output goes, a symbolic link followed
    std::string temporary_;  // empty once renamed or removed
    std::string created_;    // a new file made in place, until committed
    std::string name_;
    int fd_ = -1;
    int streamFd_ = -1;  // a device or a pipe, while fd_ is a temporary file (NeedFilePath)
    int slot_ = -1;      // where the signal handler finds temporary_
    bool standardOutput_ = false;
    bool stream_ = false;    // a device or a pipe, written directly
    bool readings_ = false;  // opened by OpenForReadings
};

}  // namespace rv7342
