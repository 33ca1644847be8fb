// The port tests' other program: what they need done in a process of its own, where Qt runs
// from the start rather than in a fork of the multi-threaded test process. COM2 is the device
// RV7342_COM2 names.
//   port_helper hold            opens COM2 and holds it until killed
//   port_helper modem-lines     opens COM2 and tells which modem lines were asked for
//   port_helper start FOLDER    as user "nobody": Start in a window on FOLDER, each message
//                               box on standard output after a line "[message]"
// Progress and failures go to standard error; the exit status is 0 when it did its part.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <dlfcn.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "tests/message_boxes.h"
#include "transfer/serial_link.h"
#include "ui/main/main_window.h"

namespace {

bool recordModemLines = false;

void RecordModemLines(unsigned long request, int bits) {
    const auto line = [&](int bit, const char* name) {
        if (bits & bit) {
            std::fprintf(stderr, "%s %s\n", name,
                         request == TIOCMBIS   ? "on"
                         : request == TIOCMBIC ? "off"
                                               : "set");
        }
    };
    line(TIOCM_DTR, "DTR");
    line(TIOCM_RTS, "RTS");
}

}  // namespace

// Every ioctl of the process passes through here to the system's, which answers it; the modem
// line requests are told on the way. A pseudo-terminal has no modem lines and refuses them, so
// what was asked is all a test can see of them.
extern "C" int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    using Ioctl = int (*)(int, unsigned long, void*);
    static const auto system = reinterpret_cast<Ioctl>(dlsym(RTLD_NEXT, "ioctl"));
    if (recordModemLines && (request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET) &&
        argument) {
        RecordModemLines(request, *static_cast<const int*>(argument));
    }
    return system(fd, request, argument);
}

namespace {

using rv7342::SerialLink;

int Hold() {
    SerialLink link([] { return std::vector<rv7342::MachinePort>{}; });
    if (const std::optional<QString> failure = link.OpenCommPort(2)) {
        std::cerr << failure->toStdString() << std::endl;
        return 1;
    }
    std::cerr << "holding" << std::endl;
    ::pause();
    return 0;
}

int ModemLines() {
    SerialLink link([] { return std::vector<rv7342::MachinePort>{}; });
    recordModemLines = true;
    const std::optional<QString> failure = link.OpenCommPort(2);
    recordModemLines = false;
    if (failure) {
        std::cerr << failure->toStdString() << std::endl;
        return 1;
    }
    std::cerr << "open" << std::endl;
    link.CloseCommPort();
    return 0;
}

int StartAsNobody(int argc, char* argv[]) {
    QApplication app(argc, argv);
    rv7342::MessageBoxAnswerer boxes;
    rv7342::Form2 window(QString::fromLocal8Bit(argv[2]));
    window.Text1->setText(QStringLiteral("run.dat"));
    window.Command1[0]->click();
    while (window.TransferRunning()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    for (const rv7342::SeenMessageBox& box : boxes.seen) {
        std::cout << "[message]\n" << box.text.toStdString() << '\n';
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "hold" || mode == "modem-lines") {
        QCoreApplication app(argc, argv);
        return mode == "hold" ? Hold() : ModemLines();
    }
    if (mode == "start" && argc == 3) {
        // Before any thread starts: the user "nobody", in no group.
        if (::setgid(65534) != 0 || ::setgroups(0, nullptr) != 0 || ::setuid(65534) != 0) {
            std::perror("port_helper: cannot become nobody");
            return 2;
        }
        return StartAsNobody(argc, argv);
    }
    std::cerr << "usage: port_helper hold | modem-lines | start FOLDER" << std::endl;
    return 64;
}
