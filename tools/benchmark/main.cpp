// The benchmark program. Windows go to the offscreen platform unless another one is chosen;
// RV7342_THEME=light or dark draws them in that theme (light when unset).

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>

#include "ui/theme/theme.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QString themeName = qEnvironmentVariable("RV7342_THEME", QStringLiteral("light"));
    const std::optional<rv7342::Theme> theme = rv7342::ThemeNamed(themeName);
    if (!theme) {
        std::fprintf(stderr, "rv7342_benchmark: unknown theme '%s'\n", qPrintable(themeName));
        return 2;
    }
    rv7342::ApplyTheme(*theme);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
