#pragma once

#include "ui/dialog_view.h"

namespace hollin::ui {

// Edit controls whose typed characters are restricted while they have the keyboard focus: the three
// margin fields take only hexadecimal digits, backspace and ".".
inline constexpr ControlId kFilteredMarginIds[] = {1200, 1201, 1202};

// The character filter of a FilteredEdit: decided by the control that has the keyboard focus.
// Characters typed into any other control pass unchanged.
constexpr bool filteredEditAccepts(ControlId focused, char32_t ch) {
    bool restricted = false;
    for (ControlId id : kFilteredMarginIds)
        restricted = restricted || id == focused;
    if (!restricted)
        return true;
    return (ch >= U'0' && ch <= U'9') || (ch >= U'A' && ch <= U'F') || ch == U'\b' || ch == U'.';
}

}  // namespace hollin::ui
