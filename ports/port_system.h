#pragma once
// What the system can tell about a serial device beyond the open call's error: who may open
// it, which program holds it, why reads from it stopped.

#include <optional>
#include <string>

#include "ports/port_messages.h"

namespace rv7342 {

DeviceAccess ReadDeviceAccess(const std::string& device);

// The program that holds a device: the process its lock file records, otherwise a process
// with the device open. No value when neither can be found (another user's processes cannot
// be looked into).
std::optional<PortHolder> FindPortHolder(const std::string& device);

// The name of a serial port's lock file, as serial programs share it: "LCK..ttyUSB0" for
// "/dev/ttyUSB0", "LCK..pts_3" for "/dev/pts/3".
std::string LockFileName(const std::string& device);
// The process a lock file records on its first line: "1234\n..." or "      1234\n".
std::optional<long> LockFilePid(const std::string& contents);
// The running process's name, empty when there is no such process.
std::string ProcessName(long pid);

// Whether the line of the open device `fd` has ended: hung up or failed, as a pseudo-terminal's
// does when its other side closes and an adapter's does when it is pulled.
bool LineEnded(int fd);

// Why reads from an open device stopped, asked of the system itself: the error of a fresh
// read, a hang-up, or the device file gone. Empty when the system reports nothing wrong.
std::string ReadFailureReason(int fd, const std::string& device);

}  // namespace rv7342
