#pragma once
// A pseudo-terminal standing in for the meter's serial line: the program under test opens the
// slave device by its path, the test writes the meter's bytes into the master.

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rv7342 {

class PseudoTerminal {
  public:
    PseudoTerminal() {
        int slave = -1;
        termios raw{};
        cfmakeraw(&raw);
        char name[128] = {};
        if (openpty(&master_, &slave, name, &raw, nullptr) == 0) {
            ::close(slave);
            path_ = name;
        }
    }
    ~PseudoTerminal() { CloseMaster(); }
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

    // Like pulling the adapter out: the slave side reads fail from now on.
    void CloseMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

  private:
    int master_ = -1;
    std::string path_;
};

}  // namespace rv7342
