#include "gui/icons.h"

#include <QFile>
#include <map>

// The icons live in a static library: their resource must be registered by hand.
static void registerIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace hollin::gui {

QString iconPath(int iconId) {
    return QStringLiteral(":/icons/%1.svg").arg(iconId);
}

QIcon iconForId(int iconId) {
    // One icon object per id for the whole program: its renderings are kept with it, so a picture is
    // drawn from its SVG once per size.
    static std::map<int, QIcon> loaded;
    static const bool registered = (registerIconResources(), true);
    (void)registered;
    if (auto it = loaded.find(iconId); it != loaded.end())
        return it->second;
    const QString path = iconPath(iconId);
    QIcon icon = QFile::exists(path) ? QIcon(path) : QIcon();
    loaded.emplace(iconId, icon);
    return icon;
}

}  // namespace hollin::gui
