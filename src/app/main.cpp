#include "app/AskpassMode.h"
#include "app/ProgramViews.h"
#include "coordination/AppEnvironment.h"
#include "google/SecretBackend.h"
#include "model/AppPaths.h"
#include "model/ConfigurationStore.h"
#include "model/DemoData.h"
#include "model/DemoSeeder.h"
#include "platform/FileManager.h"
#include "platform/SystemLog.h"
#include "platform/TerminationSignals.h"
#include "platform/UrlOpener.h"
#include "shell/AppDelegate.h"
#include "shell/SingleInstance.h"
#include "ui/kit/DesktopUrlOpener.h"
#include "ui/kit/KitStyle.h"

#include <QApplication>
#include <QDBusConnection>

#include <cstdio>
#include <optional>

using namespace mv;

int main(int argc, char** argv)
{
    // ssh runs this program to ask for a key's passphrase: answer before anything else exists.
    AskpassMode::handleIfRequested(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marrowvale"));
    QApplication::setApplicationVersion(QStringLiteral(MV_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Marrowvale"));
    QApplication::setDesktopFileName(QStringLiteral("marrowvale"));
    QApplication::setStyle(new KitStyle);
    // Closing the dashboard leaves the program in the tray.
    QApplication::setQuitOnLastWindowClosed(false);

    // Before everything it outlives, so that its bound on the ending covers their teardown too.
    TerminationSignals termination;

    const QString supportFolder = AppPaths::supportDirectory();
    try {
        AppPaths::ensureDirectories(supportFolder);
    } catch (...) {
        // Saving says what is wrong with the folder, where the person can see it.
    }
    SingleInstance instance(supportFolder);
    switch (instance.acquire()) {
    case SingleInstance::Claim::heldElsewhere:
        if (instance.askToReopen())
            return 0;
        std::fputs("Marrowvale is already running, but did not answer a request to show itself.\n", stderr);
        return 1;
    case SingleInstance::Claim::unavailable:
    case SingleInstance::Claim::acquired:
        // A folder that cannot be written is no other instance: the program runs, and the configuration
        // and the history tell the user what they cannot save.
        if (!instance.problem().isEmpty())
            SystemLog::system().write(instance.problem());
        break;
    }

    ConfigurationStore store(supportFolder);
    std::optional<DemoSeeder> demo;
    if (DemoData::requested()) {
        demo.emplace(store);
        demo->seedConfigurationIfNeeded();
    }
    KeyringSecretBackend secrets;
    XdgOpenUrlOpener xdgOpen;
    DesktopUrlOpener urlOpener(xdgOpen);
    DesktopFileManager fileManager(QDBusConnection::sessionBus());
    SystemLog& log = SystemLog::system();
    const AppEnvironment environment { Clock::system(), QDBusConnection::sessionBus(),
        QDBusConnection::systemBus(), secrets, urlOpener, fileManager, log,
        GoogleEndpoints::fromEnvironment(log), demo ? &*demo : nullptr };

    ProgramViews views(fileManager, urlOpener);
    AppDelegate delegate(store, environment, {}, LaunchSwitches::fromEnvironment());
    delegate.setViews(views.factories(delegate));
    // The delegate has saved and stopped; exit() ends the loop without first closing every window, which
    // quit() does and which costs as much as their teardown.
    QObject::connect(
        &delegate, &AppDelegate::finished, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    QObject::connect(&instance, &SingleInstance::reopenRequested, &delegate, &AppDelegate::reopen);
    QObject::connect(
        &termination, &TerminationSignals::received, &delegate, [&delegate] { delegate.terminate(); });

    delegate.launch();
    return QApplication::exec();
}
