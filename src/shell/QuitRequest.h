#pragma once

#include <QString>

#include <functional>

#include <qcoro/qcorotask.h>

namespace mv {

class AppState;

// What the quit alert asks while backups run.
struct QuitQuestion {
    QString message; // "Quit while a backup is running?" for one run, "...backups are running?" for more
    QString informativeText;
    QString quitButton;
    QString keepButton;

    static QuitQuestion forActiveRuns(int count);
};

// Quits calmly: with runs going, asks first (`confirm` answers true for "Quit and Stop"); then saves the
// configuration at once, stops every run, each recorded as cancelled, saves what their endings changed and
// waits, without holding the event loop, for the state's background work and history writes, before
// answering true, after which the caller ends the event loop. Answers false, changing
// nothing, when the person keeps backing up.
QCoro::Task<bool> requestQuit(AppState& state, std::function<QCoro::Task<bool>(QuitQuestion)> confirm);

} // namespace mv
