// The program's forms, one per dialog resource, compiled by uic.
#include <QDialog>

#include "gui/form_registry.h"
#include "ui_dialog_100.h"
#include "ui_dialog_102.h"
#include "ui_dialog_103.h"
#include "ui_dialog_106.h"
#include "ui_dialog_144.h"
#include "ui_dialog_157.h"
#include "ui_dialog_160.h"
#include "ui_dialog_163.h"
#include "ui_dialog_172.h"
#include "ui_dialog_178.h"

namespace hollin::gui {

namespace {

// A uic form class set up on a dialog; the generated object only holds pointers into the dialog.
template <typename Form>
void setUp(QDialog& dialog) {
    Form form;
    form.setupUi(&dialog);
}

}  // namespace

void addBuiltinForms(const std::function<void(int dialogId, FormSetup setup)>& add) {
    add(100, setUp<Ui::Dialog100>);  // About box
    add(102, setUp<Ui::Dialog102>);  // main window
    add(103, setUp<Ui::Dialog103>);  // Wi-Fi settings
    add(106, setUp<Ui::Dialog106>);  // status window
    add(144, setUp<Ui::Dialog144>);  // information window
    add(157, setUp<Ui::Dialog157>);  // font manager
    add(160, setUp<Ui::Dialog160>);  // font ID and target memory
    add(163, setUp<Ui::Dialog163>);  // Enterprise settings
    add(172, setUp<Ui::Dialog172>);  // advanced options
    add(178, setUp<Ui::Dialog178>);  // Bluetooth settings
}

}  // namespace hollin::gui
