#pragma once

#include <QPoint>

#include <functional>

class QMenu;
class QWidget;

namespace mv {

// Pops up at `globalPos` a menu of `owner` that lives until it closes, filled by `fill`.
//
// The menu shows items of its own that trigger the actions `fill` adds: Qt ties an action's accessible item
// to the first menu that showed it, so an action shared by menus that come and go would read blank on the
// accessibility bus from the second menu on.
QMenu* popUpMenu(QWidget& owner, const QPoint& globalPos, const std::function<void(QMenu&)>& fill);

} // namespace mv
