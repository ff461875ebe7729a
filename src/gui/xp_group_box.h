#pragma once

#include <QColor>
#include <QGroupBox>
#include <functional>

#include "ui/owner_drawn.h"

namespace hollin::gui {

// The program's group box: a 1-pixel frame with 10 x 10 rounded corners whose top line runs through
// the middle of the caption, and the caption (the title between two blanks) over it on a band of its
// own background, in a colour and font of its own. It paints itself (no style, no style sheet) and
// always draws its current title. Every setter repaints it. Only the frame look is built.
class CXPGroupBox : public QGroupBox {
    Q_OBJECT

  public:
    explicit CXPGroupBox(QWidget* parent = nullptr);
    explicit CXPGroupBox(const QString& title, QWidget* parent = nullptr);

    void setFrameColour(const QColor& colour);
    void setCaptionTextColour(const QColor& colour);
    void setBackgroundColours(const QColor& caption, const QColor& body);
    void setBackgroundColour(const QColor& colour);  // caption and body alike
    void setCaptionText(const QString& text);        // the title
    void setBold(bool bold);                         // weight 700, or 400 when off
    void setFontName(const QString& family);
    void setUnderline(bool underline);
    void setItalic(bool italic);
    void setFontSize(int points);
    void setFontDescription(const QFont& font);
    void setCaptionAlignment(ui::CaptionAlignment alignment);

    QColor frameColour() const { return frame_; }
    QColor captionTextColour() const { return captionText_; }
    QColor captionBackground() const { return captionBackground_; }
    QColor bodyBackground() const { return bodyBackground_; }
    ui::CaptionAlignment captionAlignment() const { return alignment_; }
    // The caption as drawn: one blank, the title, one blank; empty without a title.
    QString caption() const;
    // Where the next paint puts caption and frame, in widget coordinates.
    ui::GroupBoxLayout paintLayout() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void changeFont(const std::function<void(QFont&)>& change);

    QColor frame_, captionText_, captionBackground_, bodyBackground_;
    ui::CaptionAlignment alignment_ = ui::CaptionAlignment::Left;
};

}  // namespace hollin::gui
