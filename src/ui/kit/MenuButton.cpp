#include "ui/kit/MenuButton.h"

#include <QMenu>

namespace mv {

MenuButton::MenuButton(
    const QString& symbol, const QString& help, qreal size, std::function<void(QMenu&)> fill, QWidget* parent)
    : IconButton(symbol, help, false, std::nullopt, size, {}, parent)
    , m_fill(std::move(fill))
{
    setAction([this] { popUp(); });
}

void MenuButton::popUp()
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_fill(*menu);
    menu->popup(mapToGlobal(QPoint(0, height())));
}

} // namespace mv
