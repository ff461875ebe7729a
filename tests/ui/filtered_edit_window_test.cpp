#include <gtest/gtest.h>

#include "support/fake_desktop.h"
#include "support/fake_view.h"
#include "ui/filtered_edit.h"
#include "ui/window.h"

namespace hollin::ui {
namespace {

// A window whose edits are FilteredEdits, as the margin fields' windows use them.
class MarginWindow : public Window {
  public:
    MarginWindow() : Window(999) {}
    bool acceptChar(ControlId, ControlId focused, char32_t ch) override {
        return filteredEditAccepts(focused, ch);
    }
};

TEST(FilteredEditWindow, TypingIntoAMarginFieldDropsLowerCaseWhileOtherEditsKeepIt) {
    test::FakeDesktop desktop;
    test::FakeView view(desktop);
    view.declare({1201, 1300});
    MarginWindow window;
    view.open(window);
    view.type(1201, "aA1.-");
    EXPECT_EQ(view.text(1201), "A1.");
    view.type(1300, "aA1.-");
    EXPECT_EQ(view.text(1300), "aA1.-");
}

}  // namespace
}  // namespace hollin::ui
