#include "support/ui/AccessibleMenu.h"

#include <QAccessible>
#include <QMenu>

namespace mv::test {

QStringList accessibleMenuItems(QMenu& menu)
{
    QStringList items;
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(&menu);
    if (!tree)
        return { QStringLiteral("(no accessible menu)") };
    for (int i = 0; i < tree->childCount(); ++i) {
        QAccessibleInterface* item = tree->child(i);
        QAccessibleInterface* parent = item ? item->parent() : nullptr;
        if (!item || !item->isValid() || !parent || parent->object() != &menu)
            items << QStringLiteral("(detached)");
        else if (item->role() == QAccessible::Separator)
            items << QStringLiteral("-");
        else
            items << item->text(QAccessible::Name);
    }
    return items;
}

} // namespace mv::test
