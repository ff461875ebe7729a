#pragma once

#include <QMessageBox>
#include <string_view>

#include "ui/dialog_view.h"

class QWidget;

namespace hollin::gui {

// How the dialog framework's message boxes map onto QMessageBox.
QMessageBox::StandardButtons standardButtons(ui::MessageButtons buttons);
QMessageBox::Icon messageIcon(ui::MessageIcon icon);
// The DialogResult of the button pressed; kResultCancel when the box closed without one.
int dialogResult(QMessageBox::StandardButton pressed);

// A modal message box over `parent` (null: no owner). Returns the DialogResult of the answer.
// The text is shown as plain text, never as markup.
int runMessageBox(QWidget* parent, std::string_view text, std::string_view caption,
                  ui::MessageButtons buttons, ui::MessageIcon icon);

}  // namespace hollin::gui
