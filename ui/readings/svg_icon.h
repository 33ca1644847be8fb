#pragma once
// Icons drawn from the SVG pictures bundled with the program, at whatever size and pixel
// density they are shown, without an image plugin or a desktop theme.

#include <QIcon>
#include <QString>

namespace rv7342 {

// The icon of a bundled picture by its name: "zoom-in" is :/icons/zoom-in.svg. A name that is
// not bundled gives a null icon.
QIcon BundledIcon(const QString& name);

}  // namespace rv7342
