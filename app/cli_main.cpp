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

// An environment variable set to `value` for as long as it lives, then as it was.
class VariableSet {
  public:
    VariableSet(const char* name, const char* value)
        : name_(name), was_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~VariableSet() {
        if (was_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }
    VariableSet(const VariableSet&) = delete;
    VariableSet& operator=(const VariableSet&) = delete;

  private:
    const char* name_;
    bool was_;
    QByteArray old_;
};

// Qt's own diagnostics are lines of this program's messages too, except its words about the
// runtime folder, which the program never uses.
void SayQtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg &&
        !text.startsWith(QLatin1String("QStandardPaths: "))) {
        rv7342::cli::Say(text);
    }
}

// The application: one that draws for plot, which needs it, otherwise one without a display.
std::unique_ptr<QCoreApplication> MakeApplication(bool plot, int& argc, char* argv[]) {
    if (!plot) {
        return std::make_unique<QCoreApplication>(argc, argv);
    }
#ifndef _WIN32
    // Qt asks for the session's runtime folder while a drawing application starts, to see
    // whether it runs in a sandbox; where XDG_RUNTIME_DIR is not set or not usable (cron, su)
    // it creates one in the temporary folder and warns. A command-line program creates nothing
    // but its outputs: while Qt starts, both name places below /dev/null, which cannot be made.
    const VariableSet runtime("XDG_RUNTIME_DIR", "/dev/null/runtime");
    const VariableSet temporary("TMPDIR", "/dev/null");
#endif
    return std::make_unique<QApplication>(argc, argv);
}

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
    qInstallMessageHandler(SayQtMessage);
    rv7342::UseUtf8CharacterSet();
    const std::unique_ptr<QCoreApplication> app = MakeApplication(plot, argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rv7342-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RV7342_VERSION));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString first = arguments.value(0);
    if (first == QStringLiteral("--help") || first == QStringLiteral("-h")) {
        return PrintOutput(std::string(kHelp) + kExitStatusHelp, kDone);
    }
    if (first == QStringLiteral("--version")) {
        return PrintOutput(std::string("rv7342-cli ") + RV7342_VERSION + "\n", kDone);
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
