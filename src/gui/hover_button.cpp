#include "gui/hover_button.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyle>

#include "gui/icons.h"

namespace hollin::gui {

namespace {

// The longest caption the button shows.
constexpr int kMaxCaption = 255;

QRect toQt(const ui::Rect& r) {
    return {r.left, r.top, r.width(), r.height()};
}

QColor fromRgb(ui::Rgb rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

ui::Rgb toRgb(const QColor& c) {
    return static_cast<ui::Rgb>(c.rgb() & 0xFFFFFFu);
}

// A 1-pixel line along the inside of `r`, top and left in `topLeft`, bottom and right in `bottomRight`.
void draw3dRect(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.fillRect(r.left(), r.top(), r.width() - 1, 1, topLeft);
    p.fillRect(r.left(), r.top(), 1, r.height() - 1, topLeft);
    p.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
    p.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
}

}  // namespace

HoverButton::HoverButton(QWidget* parent) : QPushButton(parent) {
    resetColours();
}

HoverButton::HoverButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    resetColours();
}

void HoverButton::setIcons(const QIcon& normal, const QIcon& out, const QIcon& disabled) {
    normal_ = normal;
    out_ = out;
    disabled_ = disabled;
    renderedRatio_ = 0;
    setIcon(normal);  // what accessibility and size hints see
    setIconSize(QSize(kButtonIconSize, kButtonIconSize));
    renderIcons();
    update();
}

void HoverButton::renderIcons() {
    const qreal ratio = devicePixelRatioF();
    if (ratio == renderedRatio_)
        return;
    renderedRatio_ = ratio;
    const QSize size(kButtonIconSize, kButtonIconSize);
    const auto render = [&](const QIcon& icon, QIcon::Mode mode) {
        return icon.isNull() ? QPixmap() : icon.pixmap(size, ratio, mode);
    };
    normalPixmap_ = render(normal_, QIcon::Normal);
    outPixmap_ = render(out_, QIcon::Normal);
    disabledPixmap_ =
        disabled_.isNull() ? render(normal_, QIcon::Disabled) : render(disabled_, QIcon::Normal);
}

void HoverButton::setColours(const ui::HoverButtonColours& colours) {
    colours_ = colours;
    ownColours_ = true;
    update();
}

void HoverButton::resetColours() {
    const QPalette& pal = palette();
    const ui::Rgb face = toRgb(pal.color(QPalette::Button));
    const ui::Rgb text = toRgb(pal.color(QPalette::ButtonText));
    colours_ = {toRgb(pal.color(QPalette::Midlight)), text, face, text, face, text};
    ownColours_ = false;
    update();
}

ui::HoverButtonState HoverButton::paintState() const {
    return {.pressed = isDown() || isChecked(),
            .focused = hasFocus(),
            .isDefault = isDefault(),
            .hovered = hovered_ && isEnabled(),
            .disabled = !isEnabled()};
}

ui::HoverButtonLayout HoverButton::paintLayout() const {
    return ui::hoverButtonLayout({0, 0, width(), height()}, {kButtonIconSize, kButtonIconSize},
                                 !text().isEmpty(), paintState());
}

const QPixmap& HoverButton::currentPixmap() const {
    if (!isEnabled())
        return disabledPixmap_;
    if (!paintState().hovered && !isDown() && !outPixmap_.isNull())
        return outPixmap_;
    return normalPixmap_;
}

void HoverButton::paintEvent(QPaintEvent* /*event*/) {
    renderIcons();  // only when the pixel ratio changed since the last rendering
    const ui::HoverButtonState state = paintState();
    const ui::HoverButtonLayout layout = paintLayout();
    const ui::PaintColours colours = ui::hoverButtonColours(state, colours_);
    const QPalette& pal = palette();
    QPainter p(this);

    if (layout.blackFrame) {
        const QRect frame = toQt(layout.frame);
        draw3dRect(p, frame, Qt::black, Qt::black);
    }
    const QRect fill = toQt(layout.fill);
    p.fillRect(fill, fromRgb(colours.background));
    const QColor light = pal.color(QPalette::Light), shadow = pal.color(QPalette::Dark);
    if (layout.sunken)
        draw3dRect(p, fill, shadow, light);
    else
        draw3dRect(p, fill, light, shadow);

    const QPixmap& pixmap = currentPixmap();
    if (!pixmap.isNull())
        p.drawPixmap(layout.icon.x, layout.icon.y, pixmap);

    if (!text().isEmpty()) {
        const QString caption = text().left(kMaxCaption);
        const int mnemonic = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this)
                                 ? Qt::TextShowMnemonic
                                 : Qt::TextHideMnemonic;
        const int flags = Qt::AlignCenter | Qt::TextWordWrap | mnemonic;
        const QRect area = toQt(layout.caption);
        p.setFont(font());
        if (state.disabled) {
            p.setPen(light);
            p.drawText(area.translated(1, 1), flags, caption);
            p.setPen(shadow);
        } else {
            p.setPen(fromRgb(colours.text));
        }
        p.drawText(area, flags, caption);
    }

    if (layout.focusRect) {
        QPen dots(fromRgb(colours.text), 1, Qt::DotLine);
        p.setPen(dots);
        p.setBrush(Qt::NoBrush);
        const QRect focus = toQt(layout.focus);
        p.drawRect(focus.adjusted(0, 0, -1, -1));
    }
}

void HoverButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QPushButton::enterEvent(event);
}

void HoverButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QPushButton::leaveEvent(event);
}

void HoverButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange && !ownColours_)
        resetColours();
    QPushButton::changeEvent(event);
}

}  // namespace hollin::gui
