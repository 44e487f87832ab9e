#include "shell/TrayMenu.h"

#include "ui/kit/Commands.h"

#include <QMenu>

namespace mv {

void fillTrayMenu(QMenu& menu, Commands& commands)
{
    menu.clear();
    menu.addAction(&commands.openDashboard);
    menu.addSeparator();
    menu.addAction(&commands.runAll);
    menu.addAction(&commands.pauseAll);
    menu.addSeparator();
    menu.addAction(&commands.openSettings);
    menu.addSeparator();
    menu.addAction(&commands.checkForUpdates);
    menu.addSeparator();
    menu.addAction(&commands.quit);
}

} // namespace mv
