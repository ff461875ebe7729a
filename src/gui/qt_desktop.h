#pragma once

#include <memory>
#include <vector>

#include "ui/desktop.h"

class QWidget;

namespace hollin::gui {

class QtDialogView;

// The Qt surroundings of the windows: modal and modeless dialogs built from their forms, message
// boxes without an owner, the folder browser and the save-file dialog.
class QtDesktop : public ui::Desktop {
  public:
    QtDesktop();
    ~QtDesktop() override;
    QtDesktop(const QtDesktop&) = delete;
    QtDesktop& operator=(const QtDesktop&) = delete;

    // Builds the child's form, attaches the child, runs onInit() and then the dialog until the child
    // ends it; detaches the child and returns the result.
    int runModal(ui::Window& child, ui::Window* parent) override;
    // The same up to onInit(), then shows the dialog and returns; the dialog goes away when the child
    // ends it (or with this desktop).
    void openModeless(ui::Window& child, ui::Window* parent) override;
    int messageBox(std::string_view text, std::string_view caption, ui::MessageButtons buttons,
                   ui::MessageIcon icon) override;
    std::optional<std::string> browseFolder(std::string_view title, std::string_view start) override;
    std::optional<std::string> saveFileName(std::string_view title, std::string_view suggested,
                                            std::string_view filter) override;

  private:
    static QWidget* widgetOf(const ui::Window* window);
    std::unique_ptr<QtDialogView> createView(ui::Window& child, ui::Window* parent);

    std::vector<std::unique_ptr<QtDialogView>> modeless_;
};

}  // namespace hollin::gui
