#include <QApplication>
#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>

#include "desktop/local_text.h"
#include "ui/main/main_window.h"

namespace {

const char kProgram[] = "rv7342";

void DescribeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Downloads the readings stored in an RV7342 data-logging meter over its serial cable\n"
        "and shows data files as a table and in readings windows."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Data files to open in readings windows."),
                                 QStringLiteral("[FILE...]"));
    // "-reverse" and the like are Qt's own options, not bundles of one-letter ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

QStringList LocalArguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
    rv7342::UseUtf8CharacterSet();
    QCoreApplication::setApplicationName(QString::fromLatin1(kProgram));
    QCoreApplication::setApplicationVersion(QStringLiteral(RV7342_VERSION));
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // --help and --version answer before any window, so that they need no display. Qt's
    // own options are not known yet and are looked at again below.
    (void)parser.parse(LocalArguments(argc, argv));
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Without an application object the parser cannot know the program's name.
        std::fputs(qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                        QString::fromLatin1(kProgram))),
                   stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", kProgram, RV7342_VERSION);
        return 0;
    }

    QApplication app(argc, argv);  // takes Qt's own options out of the arguments
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram,
                     qPrintable(parser.errorText()), kProgram);
        return 2;
    }
    rv7342::Form2 window(QCoreApplication::applicationDirPath());
    window.show();
    // Data files named on the command line, as a file manager's "Open With" passes them.
    window.OpenDataFiles(parser.positionalArguments());
    return app.exec();
}
