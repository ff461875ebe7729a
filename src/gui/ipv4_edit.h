#pragma once

#include <QWidget>
#include <array>
#include <optional>

#include "ui/dialog_view.h"

class QLineEdit;

namespace hollin::gui {

// An IPv4 address control: four fields of 0..255 separated by dots. All four blank means "no address".
class Ipv4Edit : public QWidget {
    Q_OBJECT

  public:
    explicit Ipv4Edit(QWidget* parent = nullptr);

    void setAddress(const ui::Ipv4& address);  // from code: does not emit edited()
    void clear();                              // from code: does not emit edited()
    // nullopt when every field is blank; a blank field among filled ones reads as 0.
    std::optional<ui::Ipv4> address() const;
    QLineEdit* field(int index) const { return fields_[static_cast<std::size_t>(index)]; }
    // Names the four fields "<label> 1" to "<label> 4" for screen readers.
    void setFieldNames(const QString& label);

  signals:
    // The operator changed a field.
    void edited();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::array<QLineEdit*, 4> fields_{};
};

}  // namespace hollin::gui
