#pragma once

namespace hollin::printer {

// What the main window knows of an automation client's proxy: while one holds the window, the window
// hides instead of closing, and it tells the proxy when it is destroyed first.
class AutomationHold {
  public:
    // The main window is going away while the proxy still exists.
    virtual void mainWindowDestroyed() = 0;

  protected:
    ~AutomationHold() = default;
};

}  // namespace hollin::printer
