#pragma once
// The one way an output file is written (exports, charts, statistics): into a temporary file
// in the target's folder, put in place by an atomic rename only once the whole output has been
// written, flushed to disk and closed without error. On a failure, or when SIGINT, SIGTERM or
// SIGHUP ends the program, the temporary file is removed and whatever stood at the target
// before is untouched. A character device or a pipe (such as /dev/full, or a shell's
// process substitution) is written as it stands and never removed or replaced, and so is "-",
// the standard output; a folder or any other kind of file is refused.

#include <string>
#include <string_view>

#include "datafiles/failure.h"

namespace rv7342 {

class OutputFile {
  public:
    static constexpr const char* kStandardOutput = "-";

    OutputFile() = default;
    // Removes the temporary file unless Commit put it in place.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Makes the temporary file beside `path`. The reason for a failure names the path.
    [[nodiscard]] Failure Open(const std::string& path);
    [[nodiscard]] Failure Write(std::string_view bytes);
    // Flushes, syncs and closes the temporary file and renames it over the target.
    [[nodiscard]] Failure Commit();
    // Removes the temporary file; the target stays as it was.
    void Abandon();

    // The file written into, for a writer that takes a path or a descriptor of its own; it
    // must be done with it before Commit.
    const std::string& TemporaryPath() const { return temporary_; }
    int Descriptor() const { return fd_; }
    // The target as it is named in messages: the path, or "the standard output".
    const std::string& Name() const { return name_; }
    bool IsStandardOutput() const { return standardOutput_; }

  private:
    [[nodiscard]] Failure WriteFailure(int errorNumber) const;
    [[nodiscard]] Failure OpenStream();

    std::string target_;     // where the output goes, a symbolic link followed
    std::string temporary_;  // empty once renamed or removed
    std::string name_;
    int fd_ = -1;
    int slot_ = -1;  // where the signal handler finds temporary_
    bool standardOutput_ = false;
    bool stream_ = false;  // a device or a pipe, written directly
};

}  // namespace rv7342
