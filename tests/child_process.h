#pragma once
// A built program run as a user runs it: a child process with its own arguments and
// environment, its standard output and error in files. It is killed when the test process
// ends, so a failing test leaves no process behind.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/temp_dir.h"

namespace rv7342 {

class ChildProcess {
  public:
    // `environment`: variables to set ("NAME=value") or to remove ("NAME").
    ChildProcess(const std::string& program, std::vector<std::string> args,
                 const std::vector<std::string>& environment = {},
                 const std::string& workingDir = {}) {
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
        const std::string out = dir_.Path("stdout"), err = dir_.Path("stderr");
        // Only async-signal-safe calls between fork and exec: the parent may run threads.
        if ((pid_ = ::fork()) == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0) {
                ::_exit(126);
            }
            ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
            ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT, 0600), STDOUT_FILENO);
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT, 0600), STDERR_FILENO);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
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
    std::optional<int> Wait(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (!status_ && std::chrono::steady_clock::now() < end) {
            if (::wait4(pid_, &status, WNOHANG, &usage_) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        return status_;
    }
    // True once its standard error holds `text`; false when it does not within `limit`.
    bool WaitForError(const std::string& text,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (Errors().find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    void Signal(int signal) const { ::kill(pid_, signal); }
    // The most memory it held at once, in kilobytes, once it has ended.
    long PeakKilobytes() const { return usage_.ru_maxrss; }

    std::string Output() const { return dir_.Read("stdout"); }
    std::string Errors() const { return dir_.Read("stderr"); }

  private:
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
