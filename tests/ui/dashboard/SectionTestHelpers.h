#pragma once

#include <QAction>
#include <QMenu>
#include <QStringList>

#include <functional>

namespace mv::test {

// The items of a menu as `fill` makes it, "-" for a divider.
inline QStringList menuItems(const std::function<void(QMenu&)>& fill)
{
    QMenu menu;
    fill(menu);
    QStringList items;
    for (const QAction* action : menu.actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return items;
}

// Triggers the item of a menu as `fill` makes it whose text is `text`; false when there is none.
inline bool triggerMenuItem(const std::function<void(QMenu&)>& fill, const QString& text)
{
    QMenu menu;
    fill(menu);
    for (QAction* action : menu.actions()) {
        if (action->text() == text) {
            action->trigger();
            return true;
        }
    }
    return false;
}

} // namespace mv::test
