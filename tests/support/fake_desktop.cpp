#include "support/fake_desktop.h"

#include <algorithm>

namespace hollin::test {

namespace {

std::vector<int> buttonAnswers(ui::MessageButtons buttons) {
    switch (buttons) {
        case ui::MessageButtons::Ok:
            return {ui::kResultOk};
        case ui::MessageButtons::OkCancel:
            return {ui::kResultOk, ui::kResultCancel};
        case ui::MessageButtons::YesNo:
            return {ui::kResultYes, ui::kResultNo};
        case ui::MessageButtons::YesNoCancel:
            return {ui::kResultYes, ui::kResultNo, ui::kResultCancel};
        case ui::MessageButtons::RetryCancel:
            return {ui::kResultRetry, ui::kResultCancel};
    }
    return {ui::kResultOk};
}

}  // namespace

void FakeDesktop::script(int dialogId, Script script) {
    stands_.erase(dialogId);
    scripts_.erase(dialogId);
    if (script) {
        scripts_[dialogId] = std::move(script);
    }
}

void FakeDesktop::stand(int dialogId, Stand stand) {
    scripts_.erase(dialogId);
    stands_.erase(dialogId);
    if (stand) {
        stands_[dialogId] = std::move(stand);
    }
}

int FakeDesktop::runCount(int dialogId) const {
    return static_cast<int>(std::count_if(runs_.begin(), runs_.end(),
                                          [dialogId](const WindowRun& r) { return r.dialogId == dialogId; }));
}

FakeView* FakeDesktop::lastView(int dialogId) {
    for (auto it = runs_.rbegin(); it != runs_.rend(); ++it) {
        if (it->dialogId == dialogId) {
            return it->view;
        }
    }
    return nullptr;
}

FakeView& FakeDesktop::newView() {
    views_.push_back(std::make_unique<FakeView>(*this));
    return *views_.back();
}

int FakeDesktop::runModal(ui::Window& child, ui::Window* parent) {
    const int id = child.dialogId();
    const std::size_t slot = runs_.size();
    runs_.push_back({id, true, parent, nullptr, std::nullopt});

    if (auto st = stands_.find(id); st != stands_.end()) {
        const int result = st->second(child);
        runs_[slot].result = result;
        return result;
    }

    FakeView& view = newView();
    runs_[slot].view = &view;
    view.open(child);
    const auto sc = scripts_.find(id);
    if (sc != scripts_.end() && !view.ended()) {
        sc->second(view);
    }
    int result = unscriptedResult_;
    if (view.ended()) {
        result = *view.result();
    } else if (sc != scripts_.end()) {
        ADD_FAILURE() << "FakeDesktop: modal dialog " << id << " still open after its script";
    }
    // The run is over: the host's view of the child is gone.
    child.detach();
    view.release();
    runs_[slot].result = result;
    return result;
}

void FakeDesktop::openModeless(ui::Window& child, ui::Window* parent) {
    const int id = child.dialogId();
    const std::size_t slot = runs_.size();
    runs_.push_back({id, false, parent, nullptr, std::nullopt});
    if (auto st = stands_.find(id); st != stands_.end()) {
        st->second(child);
        return;
    }
    FakeView& view = newView();
    runs_[slot].view = &view;
    view.open(child);
    if (auto sc = scripts_.find(id); sc != scripts_.end() && !view.ended()) {
        sc->second(view);
    }
}

void FakeDesktop::answers(std::initializer_list<int> results) {
    answers_.insert(answers_.end(), results.begin(), results.end());
}

std::vector<MessageRecord> FakeDesktop::messagesOf(int ownerDialogId) const {
    std::vector<MessageRecord> out;
    std::copy_if(messages_.begin(), messages_.end(), std::back_inserter(out),
                 [ownerDialogId](const MessageRecord& m) { return m.ownerDialogId == ownerDialogId; });
    return out;
}

std::vector<std::string> FakeDesktop::messageTexts() const {
    std::vector<std::string> out;
    for (const auto& m : messages_) {
        out.push_back(m.text);
    }
    return out;
}

int FakeDesktop::showMessage(int ownerDialogId, std::string_view text, std::string_view caption,
                             ui::MessageButtons buttons, ui::MessageIcon icon) {
    const std::vector<int> possible = buttonAnswers(buttons);
    const auto isButton = [&possible](int a) {
        return std::find(possible.begin(), possible.end(), a) != possible.end();
    };
    // The default answer applies to the boxes that have that button; the others get their first one.
    int answer = defaultAnswer_ && isButton(*defaultAnswer_) ? *defaultAnswer_ : possible.front();
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
        if (!isButton(answer)) {
            ADD_FAILURE() << "FakeDesktop: answer " << answer << " is not a button of the message box \""
                          << text << "\"";
        }
    }
    messages_.push_back({std::string(text), std::string(caption), buttons, icon, ownerDialogId, answer});
    return answer;
}

int FakeDesktop::messageBox(std::string_view text, std::string_view caption, ui::MessageButtons buttons,
                            ui::MessageIcon icon) {
    return showMessage(0, text, caption, buttons, icon);
}

std::optional<std::string> FakeDesktop::browseFolder(std::string_view title, std::string_view start) {
    folderRequests_.push_back({std::string(title), std::string(start), {}});
    if (folders_.empty()) {
        return std::nullopt;
    }
    auto answer = std::move(folders_.front());
    folders_.pop_front();
    return answer;
}

std::optional<std::string> FakeDesktop::saveFileName(std::string_view title, std::string_view suggested,
                                                     std::string_view filter) {
    saveFileRequests_.push_back({std::string(title), std::string(suggested), std::string(filter)});
    if (saveFiles_.empty()) {
        return std::nullopt;
    }
    auto answer = std::move(saveFiles_.front());
    saveFiles_.pop_front();
    return answer;
}

}  // namespace hollin::test
