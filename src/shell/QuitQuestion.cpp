#include "shell/QuitQuestion.h"

namespace mv {

QuitQuestion QuitQuestion::forActiveRuns(int count)
{
    return { count == 1 ? QStringLiteral("Quit while a backup is running?")
                        : QStringLiteral("Quit while backups are running?"),
        QStringLiteral("The transfer will stop. Files already copied stay at the destination, and the run is "
                       "recorded as cancelled."),
        QStringLiteral("Quit and Stop"), QStringLiteral("Keep Backing Up") };
}

} // namespace mv
