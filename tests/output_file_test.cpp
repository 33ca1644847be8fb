// Linux only: FIFOs and signals in forked child processes.
#include "datafiles/output_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "tests/child_process.h"
#include "tests/temp_dir.h"
#include "tests/text_contains.h"

namespace rv7342 {
namespace {

// The names in the folder: what a writer left behind.
std::vector<std::string> Names(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A writer that gives up, or one that is never committed, leaves the target as it was and
// nothing else in its folder. (A write that fails, and a stop signal, are tried on rv7342-cli's
// outputs.)
TEST(OutputFile, ReplacesTheTargetOnlyOnceTheWholeOutputIsWritten) {
    enum class End { Commit, Abandon, None };
    const struct {
        const char* what;
        std::string before;  // empty: no file there
        End end;
    } cases[] = {{"a new file", "", End::Commit},
                 {"an existing file", "old contents\n", End::Commit},
                 {"an abandoned write", "old contents\n", End::Abandon},
                 {"a write never committed", "old contents\n", End::None}};
    const std::string written = "new " + std::string(100000, 'x');
    for (const auto& [what, before, end] : cases) {
        SCOPED_TRACE(what);
        TempDir dir;
        if (!before.empty()) {
            dir.Write("out.csv", before);
            chmod(dir.Path("out.csv").c_str(), 0640);
        }
        {
            OutputFile out;
            ASSERT_EQ(out.Open(dir.Path("out.csv")), std::nullopt);
            ASSERT_EQ(out.Write("new "), std::nullopt);
            ASSERT_EQ(out.Write(written.substr(4)), std::nullopt);
            EXPECT_EQ(dir.Read("out.csv"), before) << "the target is untouched until the commit";
            if (end == End::Commit) {
                ASSERT_EQ(out.Commit(), std::nullopt);
            } else if (end == End::Abandon) {
                out.Abandon();
            }
        }
        EXPECT_EQ(dir.Read("out.csv"), end == End::Commit ? written : before);
        EXPECT_EQ(Names(dir), std::vector<std::string>{"out.csv"}) << "no temporary file left";
        struct stat info {};
        stat(dir.Path("out.csv").c_str(), &info);
        if (!before.empty()) {
            EXPECT_EQ(info.st_mode & 0777, 0640u) << "the permissions of the file replaced";
        }
    }
}

// A SIGHUP ignored, as under nohup, stays ignored while the output is written.
TEST(OutputFile, AnIgnoredHangUpStaysIgnored) {
    TempDir dir;
    const std::optional<int> status = RunInChild([&] {
        std::signal(SIGHUP, SIG_IGN);
        OutputFile out;
        if (out.Open(dir.Path("out.csv")) || out.Write("all")) {
            return 1;
        }
        raise(SIGHUP);
        return out.Commit() ? 2 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(dir.Read("out.csv"), "all");
}

// A device or a pipe is written as it stands (a pipe that no program reads fails at once) and
// never replaced; a folder is refused; a symbolic link stays a link to the file written; a
// missing folder is told.
TEST(OutputFile, EachKindOfTarget) {
    TempDir dir;
    mkfifo(dir.Path("fifo").c_str(), 0600);
    std::filesystem::create_directory(dir.Path("folder"));
    dir.Write("real.csv", "old");
    std::filesystem::create_symlink(dir.Path("real.csv"), dir.Path("link.csv"));
    const struct {
        std::string path;
        std::string reason;  // empty: written
    } cases[] = {
        {dir.Path("fifo"), "Cannot write " + dir.Path("fifo") + ": No such device or address"},
        {"/dev/null", ""},
        {dir.Path("folder"), "it is a folder"},
        {dir.Path("none/out.csv"), "Cannot create " + dir.Path("none/out.csv") + ": the folder " +
                                       dir.Path("none") + " does not exist"},
        {dir.Path("link.csv"), ""},
    };
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path);
        OutputFile out;
        const Failure failure = out.Open(path);
        EXPECT_EQ(failure.has_value(), !reason.empty());
        EXPECT_TRUE(Contains(failure.value_or(""), reason));
        if (!failure) {
            ASSERT_EQ(out.Write("new"), std::nullopt);
            ASSERT_EQ(out.Commit(), std::nullopt);
        }
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.csv")));
    EXPECT_EQ(dir.Read("real.csv"), "new");
    EXPECT_TRUE(std::filesystem::is_fifo(dir.Path("fifo")));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

// "-" is the standard output; a failure to write it is a failure, told by the write that
// reaches the device or, for what is still buffered, by the commit.
TEST(OutputFile, TheStandardOutputOnAFullDevice) {
    const struct {
        std::size_t bytes;
        std::string write, commit;  // the failures told
    } cases[] = {
        {1, "", "Cannot write the standard output: No space left on device"},
        {100000, "Cannot write the standard output: No space left on device", ""},
    };
    for (const auto& [bytes, write, commit] : cases) {
        SCOPED_TRACE(bytes);
        TempDir dir;
        const std::optional<int> status = RunInChild([&, bytes = bytes] {
            if (!std::freopen("/dev/full", "w", stdout)) {
                return 1;
            }
            OutputFile out;
            const Failure opened = out.Open("-");
            const Failure written = out.Write(std::string(bytes, 'x'));
            const Failure committed = written ? std::nullopt : out.Commit();
            dir.Write("told", opened.value_or("") + "|" + written.value_or("") + "|" +
                                  committed.value_or(""));
            return 0;
        });
        EXPECT_EQ(status, 0);
        EXPECT_EQ(dir.Read("told"), "|" + write + "|" + commit);
    }
}

}  // namespace
}  // namespace rv7342
