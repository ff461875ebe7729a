#include "gui/message_box.h"

#include "gui/qt_text.h"

namespace hollin::gui {

QMessageBox::StandardButtons standardButtons(ui::MessageButtons buttons) {
    switch (buttons) {
        case ui::MessageButtons::Ok:
            return QMessageBox::Ok;
        case ui::MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case ui::MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case ui::MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case ui::MessageButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(ui::MessageIcon icon) {
    switch (icon) {
        case ui::MessageIcon::None:
            return QMessageBox::NoIcon;
        case ui::MessageIcon::Error:
            return QMessageBox::Critical;
        case ui::MessageIcon::Warning:
            return QMessageBox::Warning;
        case ui::MessageIcon::Information:
            return QMessageBox::Information;
        case ui::MessageIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

int dialogResult(QMessageBox::StandardButton pressed) {
    switch (pressed) {
        case QMessageBox::Ok:
            return ui::kResultOk;
        case QMessageBox::Cancel:
            return ui::kResultCancel;
        case QMessageBox::Abort:
            return ui::kResultAbort;
        case QMessageBox::Retry:
            return ui::kResultRetry;
        case QMessageBox::Ignore:
            return ui::kResultIgnore;
        case QMessageBox::Yes:
            return ui::kResultYes;
        case QMessageBox::No:
            return ui::kResultNo;
        default:
            return ui::kResultCancel;
    }
}

int runMessageBox(QWidget* parent, std::string_view text, std::string_view caption,
                  ui::MessageButtons buttons, ui::MessageIcon icon) {
    QMessageBox box(messageIcon(icon), qs(caption), qs(text), standardButtons(buttons), parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    // exec() returns the pressed standard button; a box closed without one reports no button.
    return dialogResult(box.standardButton(box.clickedButton()));
}

}  // namespace hollin::gui
