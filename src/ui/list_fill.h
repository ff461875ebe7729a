#pragma once

#include <span>
#include <string>
#include <string_view>

#include "ui/dialog_view.h"

namespace hollin::ui {

// Empties list or combo `id`, fills it with `entries` in order and selects `selected` (silently).
inline void fillList(DialogView& view, ControlId id, std::span<const std::string_view> entries,
                     int selected) {
    view.clearItems(id);
    for (std::string_view entry : entries)
        view.addItem(id, entry);
    view.setSelection(id, selected);
}

// Empties list or combo `id` and fills it with the numbers `from` to `to` as text; nothing selected.
inline void fillNumberList(DialogView& view, ControlId id, int from, int to) {
    view.clearItems(id);
    for (int n = from; n <= to; ++n)
        view.addItem(id, std::to_string(n));
}

}  // namespace hollin::ui
