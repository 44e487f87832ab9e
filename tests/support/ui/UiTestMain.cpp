#include "support/ui/UiTestMain.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cstdlib>
#include <unistd.h>

namespace mv::test {

void prepareUiTest(Motion motion)
{
    // The screen description outlives the test; one file per process keeps parallel tests apart.
    const QString config = QDir::temp().filePath(QStringLiteral("marrowvale-screen-%1.json").arg(::getpid()));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(R"({"screens": [{"name": "screen0", "x": 0, "y": 0, "width": 1920, "height": 1080,
            "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    std::atexit([] {
        QFile::remove(QDir::temp().filePath(QStringLiteral("marrowvale-screen-%1.json").arg(::getpid())));
    });

    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    qputenv("LANG", "en_US.UTF-8");
    qputenv("LC_ALL", "en_US.UTF-8");
    // GNOME's setting is read through GIO: an explicit in-memory backend keeps it at its default and quiet.
    qputenv("GSETTINGS_BACKEND", "memory");
    if (motion == Motion::reduced)
        qputenv("MARROWVALE_REDUCE_MOTION", "1");
    else
        qunsetenv("MARROWVALE_REDUCE_MOTION");
}

} // namespace mv::test
