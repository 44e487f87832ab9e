#include "shell/QuitRequest.h"

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"

#include <QPointer>

namespace mv {

QuitQuestion QuitQuestion::forActiveRuns(int count)
{
    return { count == 1 ? QStringLiteral("Quit while a backup is running?")
                        : QStringLiteral("Quit while backups are running?"),
        QStringLiteral("The transfer will stop. Files already copied stay at the destination, and the run is "
                       "recorded as cancelled."),
        QStringLiteral("Quit and Stop"), QStringLiteral("Keep Backing Up") };
}

QCoro::Task<bool> requestQuit(AppState& state, std::function<QCoro::Task<bool>(QuitQuestion)> confirm)
{
    QPointer<AppState> alive(&state);
    const qsizetype active = state.coordinator().activeRuns().size();
    if (active > 0) {
        QCoro::Task<bool> asking = confirm(QuitQuestion::forActiveRuns(int(active)));
        const bool quit = co_await asking;
        if (!quit || !alive)
            co_return false;
    }
    // A copy of the implicitly shared jobs, not a deep one.
    const AppConfiguration saved = state.store().config();
    const bool written = state.store().saveNow();
    QCoro::Task<> stopping = state.coordinator().shutdown();
    co_await stopping;
    if (!alive)
        co_return false;
    // The runs' endings wrote their destinations' results after that save; a debounced save would be lost
    // with the process. Writing an unchanged document again would only hold the ending of a large one.
    if (!written || state.store().config() != saved)
        state.store().saveNow();
    // The endings' history rows, the launch's pruning and its stopping of leftovers end here, while the
    // event loop still turns, and not in the destructors after it.
    QCoro::Task<> finishing = state.finishBackgroundWork();
    co_await finishing;
    co_return !alive.isNull();
}

} // namespace mv
