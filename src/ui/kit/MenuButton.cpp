#include "ui/kit/MenuButton.h"

#include "ui/kit/MenuPopup.h"

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
    popUpMenu(*this, mapToGlobal(QPoint(0, height())), m_fill);
}

} // namespace mv
