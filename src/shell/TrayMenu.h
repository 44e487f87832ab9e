#pragma once

class QMenu;

namespace mv {

class Commands;

// The tray's right-click menu: Open Dashboard, Run All Jobs, Pause All, Settings…, Check for Updates… and
// Quit Marrowvale, with separators between the groups. The commands keep their own enabled states.
void fillTrayMenu(QMenu& menu, Commands& commands);

} // namespace mv
