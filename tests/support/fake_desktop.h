#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/fake_view.h"
#include "ui/desktop.h"
#include "ui/window.h"

namespace hollin::test {

// One message box as the operator saw it.
struct MessageRecord {
    std::string text;
    std::string caption;
    ui::MessageButtons buttons = ui::MessageButtons::Ok;
    ui::MessageIcon icon = ui::MessageIcon::None;
    int ownerDialogId = 0;  // dialog id of the window that showed it; 0 for an owner-less box
    int answer = 0;         // the button "pressed"
};

// One child window run through the desktop.
struct WindowRun {
    int dialogId = 0;
    bool modal = true;
    ui::Window* parent = nullptr;
    FakeView* view = nullptr;   // the child's view, kept by the desktop for inspection after the run
    std::optional<int> result;  // modal: what runModal returned
};

// A folder-browser or save-file request.
struct FileRequest {
    std::string title;
    std::string start;   // start folder, or the suggested file name
    std::string filter;  // save-file only
};

// A Desktop for tests: records message boxes and answers them from a script; runs child windows on
// FakeViews driven by per-dialog scripts; answers folder and save-file requests from queues.
class FakeDesktop : public ui::Desktop {
  public:
    // Drives a child window: the child is attached to a fresh FakeView and initialised, then the script
    // acts on the view; the run's result is the view's endDialog result.
    using Script = std::function<void(FakeView&)>;
    // Stands in for the whole run of a modal child (no view, no onInit); returns the result.
    using Stand = std::function<int(ui::Window&)>;

    FakeDesktop() = default;
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    // --- child windows, by dialog id (the last call for an id wins, and holds for every run; an
    // empty function removes it)
    void script(int dialogId, Script script);
    void stand(int dialogId, Stand stand);
    // A modal child with neither: initialised on a FakeView and closed with this result (default
    // Cancel) without any further action.
    void setUnscriptedResult(int result) { unscriptedResult_ = result; }

    const std::deque<WindowRun>& runs() const { return runs_; }
    int runCount(int dialogId) const;
    FakeView* lastView(int dialogId);  // the view of the latest run of dialogId, null when none

    // --- message boxes
    void answer(int result) { answers_.push_back(result); }  // queue the next answer
    void answers(std::initializer_list<int> results);
    // The answer when the queue is empty, for boxes that have that button; otherwise (and by default)
    // a box is answered with its first button.
    void setDefaultAnswer(std::optional<int> result) { defaultAnswer_ = result; }
    int pendingAnswers() const { return static_cast<int>(answers_.size()); }
    const std::vector<MessageRecord>& messages() const { return messages_; }
    std::vector<MessageRecord> messagesOf(int ownerDialogId) const;  // 0: owner-less ones
    std::vector<std::string> messageTexts() const;
    void clearMessages() { messages_.clear(); }
    // Called by FakeView::messageBox; records the box and returns its answer.
    int showMessage(int ownerDialogId, std::string_view text, std::string_view caption,
                    ui::MessageButtons buttons, ui::MessageIcon icon);

    // --- folder browser and save-file dialog (empty queue: cancelled)
    void answerFolder(std::optional<std::string> folder) { folders_.push_back(std::move(folder)); }
    void answerSaveFile(std::optional<std::string> path) { saveFiles_.push_back(std::move(path)); }
    const std::vector<FileRequest>& folderRequests() const { return folderRequests_; }
    const std::vector<FileRequest>& saveFileRequests() const { return saveFileRequests_; }

    // --- Desktop
    int runModal(ui::Window& child, ui::Window* parent) override;
    void openModeless(ui::Window& child, ui::Window* parent) override;
    int messageBox(std::string_view text, std::string_view caption, ui::MessageButtons buttons,
                   ui::MessageIcon icon) override;
    std::optional<std::string> browseFolder(std::string_view title, std::string_view start) override;
    std::optional<std::string> saveFileName(std::string_view title, std::string_view suggested,
                                            std::string_view filter) override;

  private:
    FakeView& newView();

    std::map<int, Script> scripts_;
    std::map<int, Stand> stands_;
    int unscriptedResult_ = ui::kResultCancel;
    std::deque<WindowRun> runs_;
    std::deque<std::unique_ptr<FakeView>> views_;
    std::deque<int> answers_;
    std::optional<int> defaultAnswer_;
    std::vector<MessageRecord> messages_;
    std::deque<std::optional<std::string>> folders_;
    std::deque<std::optional<std::string>> saveFiles_;
    std::vector<FileRequest> folderRequests_;
    std::vector<FileRequest> saveFileRequests_;
};

}  // namespace hollin::test
