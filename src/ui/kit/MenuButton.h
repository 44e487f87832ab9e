#pragma once

#include "ui/kit/IconButton.h"

#include <functional>

class QMenu;

namespace mv {

// A glyph button that drops a menu below itself, filled afresh at each press by `fill`, so the items always
// match the state of the moment.
class MenuButton : public IconButton {
    Q_OBJECT
public:
    MenuButton(const QString& symbol, const QString& help, qreal size, std::function<void(QMenu&)> fill,
        QWidget* parent = nullptr);

    // The menu a press shows, for reading its items.
    void fillMenu(QMenu& menu) const { m_fill(menu); }

private:
    void popUp();

    std::function<void(QMenu&)> m_fill;
};

} // namespace mv
