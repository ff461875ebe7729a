#include "gui/xp_group_box.h"

#include <QPainter>

namespace hollin::gui {

CXPGroupBox::CXPGroupBox(QWidget* parent) : CXPGroupBox(QString(), parent) {}

CXPGroupBox::CXPGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    const QPalette& pal = palette();
    frame_ = pal.color(QPalette::Dark);
    captionText_ = pal.color(QPalette::WindowText);
    captionBackground_ = bodyBackground_ = pal.color(QPalette::Window);
}

void CXPGroupBox::setFrameColour(const QColor& colour) {
    frame_ = colour;
    update();
}

void CXPGroupBox::setCaptionTextColour(const QColor& colour) {
    captionText_ = colour;
    update();
}

void CXPGroupBox::setBackgroundColours(const QColor& caption, const QColor& body) {
    captionBackground_ = caption;
    bodyBackground_ = body;
    update();
}

void CXPGroupBox::setBackgroundColour(const QColor& colour) {
    setBackgroundColours(colour, colour);
}

void CXPGroupBox::setCaptionText(const QString& text) {
    setTitle(text);
    update();
}

void CXPGroupBox::changeFont(const std::function<void(QFont&)>& change) {
    QFont f = font();
    change(f);
    setFont(f);
    update();
}

void CXPGroupBox::setBold(bool bold) {
    changeFont([bold](QFont& f) { f.setWeight(bold ? QFont::Bold : QFont::Normal); });
}

void CXPGroupBox::setFontName(const QString& family) {
    changeFont([&family](QFont& f) { f.setFamily(family); });
}

void CXPGroupBox::setUnderline(bool underline) {
    changeFont([underline](QFont& f) { f.setUnderline(underline); });
}

void CXPGroupBox::setItalic(bool italic) {
    changeFont([italic](QFont& f) { f.setItalic(italic); });
}

void CXPGroupBox::setFontSize(int points) {
    changeFont([points](QFont& f) { f.setPointSize(points); });
}

void CXPGroupBox::setFontDescription(const QFont& description) {
    changeFont([&description](QFont& f) { f = description; });
}

void CXPGroupBox::setCaptionAlignment(ui::CaptionAlignment alignment) {
    alignment_ = alignment;
    setAlignment(alignment == ui::CaptionAlignment::Centre  ? Qt::AlignHCenter
                 : alignment == ui::CaptionAlignment::Right ? Qt::AlignRight
                                                            : Qt::AlignLeft);
    update();
}

QString CXPGroupBox::caption() const {
    const QString text = title();
    return text.isEmpty() ? QString() : QLatin1Char(' ') + text + QLatin1Char(' ');
}

ui::GroupBoxLayout CXPGroupBox::paintLayout() const {
    const QString text = caption();
    ui::Size size;
    if (!text.isEmpty()) {
        const QFontMetrics metrics(font());
        size = {metrics.horizontalAdvance(QString(text).remove(QLatin1Char('&'))), metrics.height()};
    }
    return ui::groupBoxLayout({0, 0, width(), height()}, size, alignment_);
}

void CXPGroupBox::paintEvent(QPaintEvent* /*event*/) {
    const ui::GroupBoxLayout layout = paintLayout();
    QPainter p(this);
    p.setPen(QPen(frame_, 1));
    p.setBrush(Qt::NoBrush);
    const ui::Rect& f = layout.frame;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRoundedRect(QRectF(f.left, f.top, f.width() - 1, f.height() - 1), layout.cornerDiameter / 2.0,
                      layout.cornerDiameter / 2.0);

    const QString text = caption();
    if (text.isEmpty())
        return;
    const ui::Rect& c = layout.caption;
    const QRect band(c.left, c.top, c.width(), c.height());
    p.setClipRect(band);
    p.fillRect(band, captionBackground_);
    p.setFont(font());
    p.setPen(captionText_);
    p.drawText(
        band, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine | Qt::TextDontClip | Qt::TextShowMnemonic,
        text);
}

}  // namespace hollin::gui
