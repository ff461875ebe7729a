#include "ui/window.h"

namespace hollin::ui {

bool Window::dispatch(ControlId id, Notification n) {
    if (auto it = map_.find({id, n}); it != map_.end()) {
        it->second();
        return true;
    }
    if (n == Notification::Clicked && id == IDOK) {
        onOk();
        return true;
    }
    if (n == Notification::Clicked && id == IDCANCEL) {
        onCancel();
        return true;
    }
    return false;
}

}  // namespace hollin::ui
