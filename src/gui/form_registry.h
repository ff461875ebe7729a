#pragma once

#include <functional>

class QDialog;

namespace hollin::gui {

// Builds the controls of one dialog resource into an empty dialog (normally a uic-generated setupUi).
using FormSetup = std::function<void(QDialog& dialog)>;

// Makes `setup` the form of dialog resource `dialogId`, replacing any earlier one. The program's own
// forms are known from the start; tests add forms of their own.
void registerForm(int dialogId, FormSetup setup);

// Fills `dialog` with the form of `dialogId`; false (and the dialog left empty) when there is none.
bool setupForm(int dialogId, QDialog& dialog);

// The program's own forms (forms.cpp): calls `add` once per dialog resource.
void addBuiltinForms(const std::function<void(int dialogId, FormSetup setup)>& add);

}  // namespace hollin::gui
