#include "gui/icons.h"

#include <QFile>

// The icons live in a static library: their resource must be registered by hand.
static void registerIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace hollin::gui {

QString iconPath(int iconId) {
    return QStringLiteral(":/icons/%1.svg").arg(iconId);
}

QIcon iconForId(int iconId) {
    static const bool registered = (registerIconResources(), true);
    (void)registered;
    const QString path = iconPath(iconId);
    if (!QFile::exists(path))
        return {};
    return QIcon(path);
}

}  // namespace hollin::gui
