// rv7342-cli: downloads, statistics, exports and charts of the RV7342 meter's data files from
// the command line, by the routines the window uses.

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "app/cli.h"
#include "desktop/local_text.h"

namespace {

constexpr char kHelp[] = R"(Usage: rv7342-cli COMMAND [OPTION]... [FILE]
The RV7342 data-logging meter's jobs from the command line.

Commands:
  download FILE   download the meter's memory into the data file FILE
  decode CAPTURE FILE
                  the data file FILE from CAPTURE, the bytes the meter sent
  ports           list the serial ports and the COM each stands for
  stats FILE      the statistics of each series of readings in FILE
  export FILE     FILE as an XLSX workbook or as CSV
  plot FILE       the chart of FILE as a PNG, SVG or PDF image

'rv7342-cli COMMAND --help' tells a command's options.

Options:
  -h, --help      show this help
  --version       show the program's version

)";

}  // namespace

int main(int argc, char* argv[]) {
    using namespace rv7342::cli;
    // A full disk, a file-size limit or a closed pipe is told as a failure to write, with its
    // reason, rather than ending the program without a word (Windows has no such signals).
#ifndef _WIN32
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const std::map<QString, int (*)(const QStringList&)> commands = {
        {QStringLiteral("download"), Download}, {QStringLiteral("decode"), Decode},
        {QStringLiteral("ports"), Ports},       {QStringLiteral("stats"), Stats},
        {QStringLiteral("export"), Export},     {QStringLiteral("plot"), Plot},
    };
    // Only plot draws; it needs no display, so it draws offscreen unless told otherwise.
    const bool plot = argc > 1 && std::strcmp(argv[1], "plot") == 0;
    if (plot && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    KeepRawArguments(argc, argv);
    // Qt's own diagnostics are lines of this program's messages too.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg) {
            Say(text);
        }
    });
    rv7342::UseUtf8CharacterSet();
    const std::unique_ptr<QCoreApplication> app =
        plot ? std::make_unique<QApplication>(argc, argv)
             : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rv7342-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RV7342_VERSION));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString first = arguments.value(0);
    if (first == QStringLiteral("--help") || first == QStringLiteral("-h")) {
        std::printf("%s%s", kHelp, kExitStatusHelp);
        return kDone;
    }
    if (first == QStringLiteral("--version")) {
        std::printf("rv7342-cli %s\n", RV7342_VERSION);
        return kDone;
    }
    if (first.isEmpty()) {
        return UsageError({}, QStringLiteral("a command is missing"));
    }
    const auto command = commands.find(first);
    if (command == commands.end()) {
        return UsageError({}, QStringLiteral("'%1' is not a command").arg(first));
    }
    return command->second(arguments);
}
