#pragma once

#include <QString>

namespace mv {

// What the quit alert asks while backups run.
struct QuitQuestion {
    QString message; // "Quit while a backup is running?" for one run, "...backups are running?" for more
    QString informativeText;
    QString quitButton;
    QString keepButton;

    static QuitQuestion forActiveRuns(int count);
};

} // namespace mv
