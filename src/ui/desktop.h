#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/dialog_view.h"

namespace hollin::ui {

class Window;

// What a window needs from its surroundings. The Qt host and the tests' FakeDesktop implement it.
class Desktop {
  public:
    virtual ~Desktop() = default;

    // Runs `child` as a modal dialog over `parent` (may be null) and returns its result.
    virtual int runModal(Window& child, Window* parent) = 0;
    // Shows `child` modeless over `parent`; the caller keeps ownership and keeps it alive while shown.
    virtual void openModeless(Window& child, Window* parent) = 0;
    // A message box with no owner window (start-up failures, before any window exists).
    virtual int messageBox(std::string_view text, std::string_view caption, MessageButtons buttons,
                           MessageIcon icon) = 0;
    // Folder browser: the chosen folder, or nullopt when cancelled.
    virtual std::optional<std::string> browseFolder(std::string_view title, std::string_view start) = 0;
    // Save-file dialog: the chosen path, or nullopt when cancelled. `filter` like "Font files (*.tfd)".
    // `suggested` is the folder it opens on, or a file name in it; relative to the working folder.
    virtual std::optional<std::string> saveFileName(std::string_view title, std::string_view suggested,
                                                    std::string_view filter) = 0;
};

}  // namespace hollin::ui
