#pragma once

#include <QIcon>
#include <QPixmap>
#include <QPushButton>

#include "ui/owner_drawn.h"

namespace hollin::gui {

// The program's push button: a raised 3-D button with a 32 x 32 icon left of its word-wrapped, centred
// caption, a black frame when it is the default or has the focus, a sunken look with icon and caption
// moved by one pixel while pressed, and a lighter background under the mouse pointer. It paints
// itself (no style, no style sheet); default-button behaviour, Enter, Space, clicks and double-clicks
// are the standard push button's.
//
// The check-box mode, the drop-down menu, the web link and the flat look that lights up under the
// pointer are not built: the program uses none of them. The flat flag is kept but paints the same.
class HoverButton : public QPushButton {
    Q_OBJECT

  public:
    explicit HoverButton(QWidget* parent = nullptr);
    explicit HoverButton(const QString& text, QWidget* parent = nullptr);

    // The icon shown normally; `out`, when given, while the pointer is elsewhere; `disabled`, when
    // given, while disabled (otherwise the normal icon greyed). Each is rendered once at 32 x 32 for
    // the screen's pixel ratio and kept; painting never loads an icon.
    void setIcons(const QIcon& normal, const QIcon& out = {}, const QIcon& disabled = {});
    // The six colours: "in" (hovered or pressed), "out" and focused, background and text.
    void setColours(const ui::HoverButtonColours& colours);
    const ui::HoverButtonColours& colours() const { return colours_; }
    // Back to the palette's: button colour and button text, with midlight as the "in" background.
    void resetColours();

    bool isHovered() const { return hovered_; }
    // What the next paint shows.
    ui::HoverButtonState paintState() const;
    // Where the next paint puts icon, caption and frame, in widget coordinates.
    ui::HoverButtonLayout paintLayout() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    const QPixmap& currentPixmap() const;
    void renderIcons();

    QIcon normal_, out_, disabled_;
    QPixmap normalPixmap_, outPixmap_, disabledPixmap_;
    qreal renderedRatio_ = 0;
    bool hovered_ = false;
    bool ownColours_ = false;
    ui::HoverButtonColours colours_;
};

}  // namespace hollin::gui
