#include "gui/ipv4_edit.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace hollin::gui {

Ipv4Edit::Ipv4Edit(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (i > 0)
            row->addWidget(new QLabel(QStringLiteral("."), this));
        auto* field = new QLineEdit(this);
        field->setMaxLength(3);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(new QIntValidator(0, 255, field));
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            // Three digits typed: go on to the next field, as an address control does.
            if (text.size() == 3 && i + 1 < fields_.size() && fields_[i]->cursorPosition() == 3)
                fields_[i + 1]->setFocus();
            emit edited();
        });
        fields_[i] = field;
        row->addWidget(field, 1);
    }
    setFocusProxy(fields_[0]);
}

void Ipv4Edit::setFieldNames(const QString& label) {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        fields_[i]->setAccessibleName(QStringLiteral("%1 %2").arg(label).arg(i + 1));
}

bool Ipv4Edit::eventFilter(QObject* watched, QEvent* event) {
    // "." moves to the next field.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->text() == QStringLiteral(".")) {
        for (std::size_t i = 0; i + 1 < fields_.size(); ++i) {
            if (watched == fields_[i]) {
                fields_[i + 1]->setFocus();
                fields_[i + 1]->selectAll();
                return true;
            }
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Ipv4Edit::setAddress(const ui::Ipv4& address) {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        fields_[i]->setText(QString::number(address[i]));
}

void Ipv4Edit::clear() {
    for (QLineEdit* field : fields_)
        field->clear();
}

std::optional<ui::Ipv4> Ipv4Edit::address() const {
    ui::Ipv4 out{};
    bool any = false;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const QString text = fields_[i]->text();
        if (text.isEmpty())
            continue;
        any = true;
        out[i] = static_cast<std::uint8_t>(std::min(text.toInt(), 255));
    }
    if (!any)
        return std::nullopt;
    return out;
}

}  // namespace hollin::gui
