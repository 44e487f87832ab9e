#include "ui/kit/MenuPopup.h"

#include <QMenu>

namespace mv {

namespace {

// An item of `menu` that looks like `command` at this moment and triggers it.
QAction* itemFor(QAction& command, QMenu& menu)
{
    auto* item = new QAction(command.icon(), command.text(), &menu);
    item->setObjectName(command.objectName());
    item->setEnabled(command.isEnabled());
    item->setCheckable(command.isCheckable());
    item->setChecked(command.isChecked());
    item->setToolTip(command.toolTip());
    QObject::connect(item, &QAction::triggered, &command, [&command] { command.trigger(); });
    return item;
}

} // namespace

QMenu* popUpMenu(QWidget& owner, const QPoint& globalPos, const std::function<void(QMenu&)>& fill)
{
    auto* menu = new QMenu(&owner);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fill(*menu);
    for (QAction* action : menu->actions()) {
        // Separators are the menu's own already.
        if (action->parent() == menu)
            continue;
        menu->insertAction(action, itemFor(*action, *menu));
        menu->removeAction(action);
    }
    menu->popup(globalPos);
    return menu;
}

} // namespace mv
