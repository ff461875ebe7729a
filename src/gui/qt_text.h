#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace hollin::gui {

// Presenters speak UTF-8; Qt speaks UTF-16.
inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string utf8(const QString& text) {
    return text.toStdString();
}

}  // namespace hollin::gui
