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
        const bool quit = co_await confirm(QuitQuestion::forActiveRuns(int(active)));
        if (!quit || !alive)
            co_return false;
    }
    // A copy of the implicitly shared jobs, not a deep one.
    const AppConfiguration saved = state.store().config();
    const bool written = state.store().saveNow();
    co_await state.coordinator().shutdown();
    // The runs' endings wrote their destinations' results after that save; a debounced save would be lost
    // with the process. Writing an unchanged document again would only hold the ending of a large one.
    if (alive && (!written || state.store().config() != saved))
        state.store().saveNow();
    co_return !alive.isNull();
}

} // namespace mv
