#pragma once
// A pseudo-terminal standing in for the meter's serial line: the program under test opens the
// slave device by its path, the test writes the meter's bytes into the master. As a user's
// terminal it keeps its slave open too, so that it never hangs up, and reads what it was shown.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rv7342 {

class PseudoTerminal {
  public:
    explicit PseudoTerminal(bool keepSlaveOpen = false) {
        termios raw{};
        cfmakeraw(&raw);
        char name[128] = {};
        if (openpty(&master_, &slave_, name, &raw, nullptr) == 0) {
            path_ = name;
        }
        if (!keepSlaveOpen && slave_ >= 0) {
            ::close(slave_);
            slave_ = -1;
        }
    }
    ~PseudoTerminal() {
        CloseMaster();
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return path_; }

    bool Write(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t written = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (written <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(written);
        }
        return true;
    }

    // Everything written into the slave so far.
    const std::string& Shown() {
        char piece[4096];
        pollfd ready{master_, POLLIN, 0};
        for (ssize_t got;
             ::poll(&ready, 1, 0) > 0 && (got = ::read(master_, piece, sizeof piece)) > 0;) {
            shown_.append(piece, static_cast<std::size_t>(got));
        }
        return shown_;
    }

    // Like pulling the adapter out: the slave side reads fail from now on.
    void CloseMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

  private:
    int master_ = -1, slave_ = -1;
    std::string path_, shown_;
};

}  // namespace rv7342
