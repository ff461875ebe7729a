#include "gui/form_registry.h"

#include <map>
#include <utility>

namespace hollin::gui {

namespace {

std::map<int, FormSetup>& forms() {
    static std::map<int, FormSetup> table = [] {
        std::map<int, FormSetup> builtins;
        addBuiltinForms(
            [&builtins](int dialogId, FormSetup setup) { builtins[dialogId] = std::move(setup); });
        return builtins;
    }();
    return table;
}

}  // namespace

void registerForm(int dialogId, FormSetup setup) {
    forms()[dialogId] = std::move(setup);
}

bool setupForm(int dialogId, QDialog& dialog) {
    auto it = forms().find(dialogId);
    if (it == forms().end())
        return false;
    it->second(dialog);
    return true;
}

}  // namespace hollin::gui
