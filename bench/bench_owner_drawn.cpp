// Painting the main window's form off-screen with the owner-drawn buttons and group boxes, against the
// same form with stock Qt push buttons and group boxes in their places (goal: within 1.3 times), and
// the main window's first paint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <memory>

#include "bench/bench_iterations.h"
#include "gui/hover_button.h"
#include "gui/qt_desktop.h"
#include "gui/qt_dialog_view.h"
#include "gui/xp_group_box.h"
#include "main_window/main_window_look.h"
#include "ui/window.h"

namespace hollin {
namespace {

constexpr int kPaints = 100;

QApplication& application() {
    static int argc = 1;
    static char name[] = "hollin_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// The main window's form dressed as its presenter dresses it: button icons and group caption styles.
class MainForm final : public ui::Window {
  public:
    MainForm() : ui::Window(102) {}
    void onInit() override {
        for (const printer::ButtonIcon& b : printer::kMainButtonIcons)
            view().setIcon(b.button, b.icon);
        for (ui::ControlId id : printer::kMainGroups)
            view().setGroupCaptionStyle(id, printer::kGroupCaptionColour, true, printer::isCentredGroup(id));
    }
};

struct Shown {
    MainForm window;
    gui::QtDesktop desktop;
    std::unique_ptr<gui::QtDialogView> view;
    Shown() {
        application();
        view = std::make_unique<gui::QtDialogView>(window, nullptr);
        window.attach(view.get(), &desktop);
        window.onInit();
        view->showModeless();
    }
    ~Shown() { window.detach(); }
};

// Puts a stock push button or group box over every owner-drawn one, with its text, icon, font,
// geometry, default and enabled state, and hides the owner-drawn one.
void replaceWithStockControls(QDialog& dialog) {
    for (auto* hover : dialog.findChildren<gui::HoverButton*>()) {
        auto* stock = new QPushButton(hover->text(), hover->parentWidget());
        stock->setGeometry(hover->geometry());
        stock->setIcon(hover->icon());
        stock->setIconSize(hover->iconSize());
        stock->setDefault(hover->isDefault());
        stock->setEnabled(hover->isEnabled());
        stock->show();
        hover->hide();
    }
    for (auto* group : dialog.findChildren<gui::CXPGroupBox*>()) {
        auto* stock = new QGroupBox(group->title(), group->parentWidget());
        stock->setGeometry(group->geometry());
        stock->setFont(group->font());
        stock->setAlignment(group->alignment());
        stock->show();
        stock->lower();
        group->hide();
    }
}

using Ms = std::chrono::duration<double, std::milli>;

// From nothing to the first picture: the form built, dressed and painted once. The very first one in
// the process (fonts and icons not yet loaded) is reported apart.
void BM_MainWindowFirstPaint(benchmark::State& state) {
    application();
    static double firstMs = -1;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        Shown shown;
        QImage target(shown.view->dialog()->size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&target);
        shown.view->dialog()->render(&painter);
        benchmark::DoNotOptimize(target.bits());
        if (firstMs < 0)
            firstMs = Ms(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["first_in_process_ms"] = firstMs;
}
BENCHMARK(BM_MainWindowFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

double paint100(QDialog& dialog, QImage& target) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPaints; ++i) {
        QPainter painter(&target);
        dialog.render(&painter);
    }
    benchmark::DoNotOptimize(target.bits());
    return Ms(std::chrono::steady_clock::now() - start).count();
}

// Each iteration paints the owner-drawn form 100 times and the stock one 100 times; the counters give
// both times per 100 paints and their ratio.
void BM_PaintMainWindow100Times(benchmark::State& state) {
    Shown owner, stock;
    replaceWithStockControls(*stock.view->dialog());
    QImage target(owner.view->dialog()->size(), QImage::Format_ARGB32_Premultiplied);
    double ownerMs = 0, stockMs = 0;
    for (auto _ : state) {
        ownerMs += paint100(*owner.view->dialog(), target);
        stockMs += paint100(*stock.view->dialog(), target);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["owner_drawn_ms"] = ownerMs / n;
    state.counters["stock_ms"] = stockMs / n;
    state.counters["ratio"] = stockMs > 0 ? ownerMs / stockMs : 0;
}
BENCHMARK(BM_PaintMainWindow100Times)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(hollin::bench::iterations(10));

}  // namespace
}  // namespace hollin
