#pragma once

#include "model/Enumerations.h"
#include "ui/kit/KitButton.h"

namespace mv {

class SymbolImage;

// One choice of the backup mode: a radio mark, the mode's symbol and title ("Default" on incremental), and
// its description, which wraps. The whole row is the button.
class ModeRow : public KitButton {
    Q_OBJECT
public:
    ModeRow(BackupMode mode, std::function<void()> choose, QWidget* parent = nullptr);

    BackupMode mode() const { return m_mode; }
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BackupMode m_mode;
    bool m_selected = false;
    QWidget* m_mark;
    SymbolImage* m_symbol;
};

} // namespace mv
