#pragma once

#include <QIcon>
#include <QString>

namespace hollin::gui {

// Icons are resources by numeric id (":/icons/<id>.svg"), drawn for the buttons and the window.
QString iconPath(int iconId);
// The icon of `iconId`; a null icon for an id that has no picture (a harmless blank).
QIcon iconForId(int iconId);

// Side of the icons on buttons, in pixels.
inline constexpr int kButtonIconSize = 32;

}  // namespace hollin::gui
