#include "shell/ShellActions.h"

#include <QMenu>

namespace mv {

namespace {

void define(QAction& action, const char* name, const QString& text, const QKeySequence& shortcut = {})
{
    action.setObjectName(QString::fromLatin1(name));
    action.setText(text);
    action.setShortcut(shortcut);
}

} // namespace

ShellActions::ShellActions(QObject* parent)
    : QObject(parent)
{
    define(openDashboard, "openDashboard", QStringLiteral("Open Dashboard"),
        QKeySequence(QStringLiteral("Ctrl+D")));
    define(runAll, "runAll", QStringLiteral("Run All Jobs"), QKeySequence(QStringLiteral("Ctrl+R")));
    define(pauseAll, "pauseAll", QStringLiteral("Pause All"));
    define(openSettings, "openSettings", QStringLiteral("Settings\u2026"),
        QKeySequence(QStringLiteral("Ctrl+,")));
    define(checkForUpdates, "checkForUpdates", QStringLiteral("Check for Updates\u2026"));
    define(quit, "quit", QStringLiteral("Quit Marrowvale"), QKeySequence(QStringLiteral("Ctrl+Q")));
}

void fillTrayMenu(QMenu& menu, ShellActions& actions, const TrayMenuState& state)
{
    menu.clear();
    // Enabled by whether anything could run: a menu that offered it only while runs are going would never
    // let a person start the first one.
    actions.runAll.setEnabled(state.enabledJobCount > 0);
    actions.pauseAll.setEnabled(state.anyActiveRun);
    menu.addAction(&actions.openDashboard);
    menu.addSeparator();
    menu.addAction(&actions.runAll);
    menu.addAction(&actions.pauseAll);
    menu.addSeparator();
    menu.addAction(&actions.openSettings);
    menu.addSeparator();
    menu.addAction(&actions.checkForUpdates);
    menu.addSeparator();
    menu.addAction(&actions.quit);
}

} // namespace mv
