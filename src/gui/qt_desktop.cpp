#include "gui/qt_desktop.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <algorithm>

#include "gui/message_box.h"
#include "gui/qt_dialog_view.h"
#include "gui/qt_text.h"

namespace hollin::gui {

QtDesktop::QtDesktop() = default;

QtDesktop::~QtDesktop() {
    for (auto& view : modeless_)
        view->window().detach();
}

QWidget* QtDesktop::widgetOf(const ui::Window* window) {
    if (window == nullptr)
        return nullptr;
    QtDialogView* view = QtDialogView::viewOf(window);
    return view != nullptr ? view->dialog() : nullptr;
}

std::unique_ptr<QtDialogView> QtDesktop::createView(ui::Window& child, ui::Window* parent) {
    auto view = std::make_unique<QtDialogView>(child, widgetOf(parent));
    child.attach(view.get(), this);
    child.onInit();
    return view;
}

int QtDesktop::runModal(ui::Window& child, ui::Window* parent) {
    auto view = createView(child, parent);
    const int result = view->runModal();
    child.detach();
    return result;
}

void QtDesktop::openModeless(ui::Window& child, ui::Window* parent) {
    auto view = createView(child, parent);
    QtDialogView* raw = view.get();
    QObject::connect(raw, &QtDialogView::finished, raw, [this, raw] {
        auto it =
            std::find_if(modeless_.begin(), modeless_.end(), [raw](const auto& v) { return v.get() == raw; });
        if (it == modeless_.end())
            return;
        raw->window().detach();
        // The view may be inside one of its own handlers: let it go once control is back in the loop.
        it->release()->deleteLater();
        modeless_.erase(it);
    });
    if (raw->ended()) {  // ended during onInit
        child.detach();
        return;
    }
    raw->showModeless();
    modeless_.push_back(std::move(view));
}

int QtDesktop::messageBox(std::string_view text, std::string_view caption, ui::MessageButtons buttons,
                          ui::MessageIcon icon) {
    return runMessageBox(nullptr, text, caption, buttons, icon);
}

std::optional<std::string> QtDesktop::browseFolder(std::string_view title, std::string_view start) {
    const QString folder =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), qs(title), qs(start));
    if (folder.isEmpty())
        return std::nullopt;
    return utf8(folder);
}

std::optional<std::string> QtDesktop::saveFileName(std::string_view title, std::string_view suggested,
                                                   std::string_view filter) {
    // A relative start is taken from the working folder, which the dialog leaves as it was.
    QString start = qs(suggested);
    if (!start.isEmpty() && QDir::isRelativePath(start))
        start = QDir::cleanPath(QDir::current().absoluteFilePath(start));
    const QString path =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), qs(title), start, qs(filter));
    if (path.isEmpty())
        return std::nullopt;
    return utf8(path);
}

}  // namespace hollin::gui
