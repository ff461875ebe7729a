#pragma once

#include <span>

#include "ui/dialog_view.h"

namespace hollin::ui {

// The icon a window gives one of its buttons when it opens.
struct ButtonIcon {
    ControlId button;
    int icon;
};

inline void setButtonIcons(DialogView& view, std::span<const ButtonIcon> icons) {
    for (const ButtonIcon& b : icons)
        view.setIcon(b.button, b.icon);
}

}  // namespace hollin::ui
