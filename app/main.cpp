#include <QApplication>
#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <string>

#include "datafiles/text_fields.h"
#include "desktop/local_text.h"
#include "ui/main/main_window.h"
#include "ui/theme/theme.h"

namespace {

const char kProgram[] = "rv7342";

void DescribeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "Downloads the readings stored in an RV7342 data-logging meter over its serial cable\n"
        "and shows data files as a table and in readings windows."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Data files to open in readings windows."),
                                 QStringLiteral("[FILE...]"));
    parser.addOption(QCommandLineOption(
        QStringLiteral("theme"),
        QStringLiteral("The windows' colours for this run: system (the desktop's), light or dark. "
                       "View > Theme in a readings window chooses them for good."),
        QStringLiteral("THEME")));
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

int UsageError(const QString& error) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram,
                 qPrintable(error), kProgram);
    return 2;
}

// The theme the command line names, else the one the user chose last; none for a wrong name.
std::optional<rv7342::Theme> ChosenTheme(const QCommandLineParser& parser) {
    const QString option = QStringLiteral("theme");
    return parser.isSet(option) ? rv7342::ThemeNamed(parser.value(option)) : rv7342::LoadTheme();
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

    // A wrong theme is told before any window, so that it needs no display either.
    const std::optional<rv7342::Theme> theme = ChosenTheme(parser);
    if (!theme) {
        // Told as printable text: a control character in it would drive the terminal.
        const std::string named = parser.value(QStringLiteral("theme")).toStdString();
        return UsageError(QStringLiteral("unknown theme '%1': choose system, light or dark")
                              .arg(QString::fromStdString(rv7342::PrintableText(named))));
    }

    QApplication app(argc, argv);  // takes Qt's own options out of the arguments
    if (!parser.parse(QCoreApplication::arguments())) {
        return UsageError(parser.errorText());
    }
    rv7342::ApplyTheme(*theme);
    rv7342::Form2 window(QCoreApplication::applicationDirPath());
    window.show();
    // Data files named on the command line, as a file manager's "Open With" passes them.
    window.OpenDataFiles(parser.positionalArguments());
    return app.exec();
}
