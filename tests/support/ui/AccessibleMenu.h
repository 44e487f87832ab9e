#pragma once

#include <QStringList>

class QMenu;

namespace mv::test {

// The items of `menu` as the accessibility tree reads them: each item's name, "-" for a separator, and
// "(detached)" for an item that is not a valid child of this very menu (what a screen reader cannot read).
QStringList accessibleMenuItems(QMenu& menu);

} // namespace mv::test
