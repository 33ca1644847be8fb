#pragma once
// The program's colours: the desktop's own (System), Light or Dark, for every window, dialog and
// message box. The choice is kept in the user's settings.

#include <QPalette>
#include <QString>

#include <optional>

namespace rv7342 {

enum class Theme { System, Light, Dark };
inline constexpr Theme kThemes[] = {Theme::System, Theme::Light, Theme::Dark};

// "system", "light" or "dark", as the command line names them.
QString NameOf(Theme theme);
std::optional<Theme> ThemeNamed(const QString& name);

Theme LoadTheme();
void SaveTheme(Theme theme);

// Gives the running application the theme's style and palette; windows that colour parts of
// themselves do it again on the QEvent::PaletteChange that follows.
void ApplyTheme(Theme theme);
// The theme last applied: System before any.
Theme AppliedTheme();

// Whether the palette draws light text on a dark background.
bool IsDark(const QPalette& palette);

}  // namespace rv7342
