#pragma once
// Child processes for tests: a built program run as a user runs it, with its own arguments and
// environment, its standard output and error in files; or a piece of the test run in a forked
// child, where it may change the process (limits, signals, the standard output) freely. Either
// is killed when the test process ends, so a failing test leaves no process behind, and every
// wait for one ends by kEventDeadline.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/deadline.h"
#include "tests/temp_dir.h"

namespace rv7342 {

// The exit status of the child `pid` (128 + the signal when a signal ended it) once it has
// ended; nothing when it does not end within `limit`. `usage` gets what it used.
inline std::optional<int> WaitForChild(pid_t pid, std::chrono::milliseconds limit,
                                       rusage* usage = nullptr) {
    int status = 0;
    if (!WaitUntil([&] { return ::wait4(pid, &status, WNOHANG, usage) == pid; }, limit)) {
        return std::nullopt;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs `work` in a forked child process: its exit status is what `work` returns, or 128 + the
// signal that ended it; nothing, and the child killed, when it does not end within
// kEventDeadline.
inline std::optional<int> RunInChild(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::_exit(work());
    }
    if (child < 0) {
        return std::nullopt;
    }
    const std::optional<int> status = WaitForChild(child, kEventDeadline);
    if (!status) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    return status;
}

// Descriptors a child's standard input and output are taken from (pipes, say); -1 for
// /dev/null as its input and a file as its output.
struct ChildStreams {
    int input = -1;
    int output = -1;
};

class ChildProcess {
  public:
    // `environment`: variables to set ("NAME=value") or to remove ("NAME").
    ChildProcess(const std::string& program, std::vector<std::string> args,
                 const std::vector<std::string>& environment = {},
                 const std::string& workingDir = {}, ChildStreams streams = {}) {
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> variables = Environment(environment);
        std::vector<char*> envp;
        for (std::string& variable : variables) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        const int in =
            streams.input >= 0 ? streams.input : ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        const int out = streams.output >= 0 ? streams.output : OpenFile("stdout");
        const int err = OpenFile("stderr");
        // Only async-signal-safe calls between fork and exec: the parent may run threads.
        if ((pid_ = ::fork()) == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0) {
                ::_exit(126);
            }
            ::dup2(in, STDIN_FILENO);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        CloseOwn(in, streams.input);
        CloseOwn(out, streams.output);
        ::close(err);
    }
    ~ChildProcess() {
        if (!status_ && pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Its exit status (128 + the signal when a signal ended it); nothing when it does not end
    // within `limit`.
    std::optional<int> Wait(std::chrono::milliseconds limit = kEventDeadline) {
        if (!status_) {
            status_ = WaitForChild(pid_, limit, &usage_);
        }
        return status_;
    }
    // True once its standard error holds `text`; false when it does not within `limit`.
    bool WaitForError(const std::string& text,
                      std::chrono::milliseconds limit = kEventDeadline) const {
        return WaitUntil([&] { return Errors().find(text) != std::string::npos; }, limit);
    }
    void Signal(int signal) const { ::kill(pid_, signal); }
    // The most memory it held at once (its peak resident set), in MB, once it has ended.
    double PeakMegabytes() const { return static_cast<double>(usage_.ru_maxrss) / 1024; }

    std::string Output() const { return dir_.Read("stdout"); }
    std::string Errors() const { return dir_.Read("stderr"); }

  private:
    int OpenFile(const std::string& name) const {
        return ::open(dir_.Path(name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    }
    // Closes a descriptor opened here for the child; one the caller gave stays the caller's.
    static void CloseOwn(int fd, int given) {
        if (fd != given) {
            ::close(fd);
        }
    }

    // This process's environment with `changes` made.
    static std::vector<std::string> Environment(const std::vector<std::string>& changes) {
        std::vector<std::string> variables;
        for (char** variable = environ; *variable; ++variable) {
            variables.emplace_back(*variable);
        }
        for (const std::string& change : changes) {
            const std::string name = change.substr(0, change.find('='));
            variables.erase(std::remove_if(variables.begin(), variables.end(),
                                           [&](const std::string& variable) {
                                               return variable.rfind(name + "=", 0) == 0;
                                           }),
                            variables.end());
            if (change.find('=') != std::string::npos) {
                variables.push_back(change);
            }
        }
        return variables;
    }

    TempDir dir_;
    pid_t pid_ = -1;
    std::optional<int> status_;
    rusage usage_{};
};

}  // namespace rv7342
