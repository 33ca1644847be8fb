#include "ui/theme/theme.h"

#include <QApplication>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleHints>

#include <optional>

namespace rv7342 {

namespace {

Theme applied = Theme::System;

QSettings ProgramSettings() {
    return QSettings(QStringLiteral("rv7342"), QStringLiteral("rv7342"));
}

// The style and palette the desktop gave the program, taken before any theme changed them.
struct DesktopLook {
    QString style;
    QPalette palette;
};

const DesktopLook& Desktop() {
    static const DesktopLook look{QApplication::style()->name(), QApplication::palette()};
    return look;
}

// Whether the desktop is in a dark mode that its palette may not show: Qt 6.4 darkens only
// the title bars on Windows, leaving the palette light.
bool DesktopIsDark() {
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    if (QGuiApplication::styleHints()->colorScheme() == Qt::ColorScheme::Dark) {
        return true;
    }
#endif
#ifdef Q_OS_WIN
    const QSettings personalize(
        QStringLiteral(
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize"),
        QSettings::NativeFormat);
    if (personalize.value(QStringLiteral("AppsUseLightTheme"), 1).toInt() == 0) {
        return true;
    }
#endif
    return IsDark(Desktop().palette);
}

QPalette DarkPalette() {
    const QColor window(43, 43, 43), base(30, 30, 30), text(230, 230, 230), faint(128, 128, 128);
    QPalette dark(text, window);  // buttons, light and shadow shades derived from the window
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, QColor(38, 38, 38));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::BrightText, QColor(255, 100, 100));
    dark.setColor(QPalette::ToolTipBase, QColor(60, 60, 60));
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, faint);
    dark.setColor(QPalette::Highlight, QColor(42, 98, 180));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(110, 170, 255));
    dark.setColor(QPalette::LinkVisited, QColor(180, 140, 255));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText}) {
        dark.setColor(QPalette::Disabled, role, faint);
    }
    return dark;
}

// Switches to the style named (when it is not the one in use) and gives the application the
// palette, the style's own when none is given.
void UseStyle(const QString& name, std::optional<QPalette> palette = std::nullopt) {
    if (QApplication::style()->name().compare(name, Qt::CaseInsensitive) != 0) {
        QApplication::setStyle(QStyleFactory::create(name));
    }
    QApplication::setPalette(palette.value_or(QApplication::style()->standardPalette()));
}

}  // namespace

QString NameOf(Theme theme) {
    switch (theme) {
        case Theme::Light:
            return QStringLiteral("light");
        case Theme::Dark:
            return QStringLiteral("dark");
        case Theme::System:
            break;
    }
    return QStringLiteral("system");
}

std::optional<Theme> ThemeNamed(const QString& name) {
    for (const Theme theme : kThemes) {
        if (NameOf(theme) == name) {
            return theme;
        }
    }
    return std::nullopt;
}

Theme LoadTheme() {
    return ThemeNamed(ProgramSettings().value(QStringLiteral("theme")).toString())
        .value_or(Theme::System);
}

void SaveTheme(Theme theme) {
    ProgramSettings().setValue(QStringLiteral("theme"), NameOf(theme));
}

void ApplyTheme(Theme theme) {
    const DesktopLook& desktop = Desktop();
    const QString fusion = QStringLiteral("fusion");
    const bool desktopDark = DesktopIsDark();
    if (theme == Theme::Dark ||
        (theme == Theme::System && desktopDark && !IsDark(desktop.palette))) {
        UseStyle(fusion, DarkPalette());
    } else if (theme == Theme::Light && IsDark(desktop.palette)) {
        UseStyle(fusion);
    } else {
        UseStyle(desktop.style, desktop.palette);
    }
    applied = theme;
}

Theme AppliedTheme() {
    return applied;
}

bool IsDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

}  // namespace rv7342
