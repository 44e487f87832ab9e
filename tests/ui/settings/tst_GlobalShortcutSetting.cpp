#include "coordination/AppState.h"
#include "shell/TrayShell.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/RecordingPrompts.h"
#include "support/ui/XvfbDisplay.h"
#include "ui/kit/ToggleSwitch.h"
#include "ui/settings/GeneralSettingsTab.h"
#include "ui/settings/SettingsSectionView.h"

#include <QApplication>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace mv;

namespace {

struct Windows final : PanelPresenter, DashboardPresenter {
    bool isPanelVisible() const override { return false; }
    void showPanel(std::optional<QPoint>) override { }
    void hidePanel() override { }
    void openDashboard(DashboardSection) override { }
};

bool refused = false;

int noteRefusal(Display*, XErrorEvent* error)
{
    refused = refused || error->error_code == BadAccess;
    return 0;
}

// Whether another program could take Ctrl+Alt+Super+B now: the server refuses a second grab of a held key.
bool othersCanGrabTheShortcut()
{
    Display* other = XOpenDisplay(nullptr);
    if (!other)
        return false;
    const KeyCode key = XKeysymToKeycode(other, XK_b);
    const unsigned modifiers = ControlMask | Mod1Mask | Mod4Mask;
    refused = false;
    XErrorHandler previous = XSetErrorHandler(noteRefusal);
    XGrabKey(other, key, modifiers, DefaultRootWindow(other), True, GrabModeAsync, GrabModeAsync);
    XSync(other, False);
    XSetErrorHandler(previous);
    XCloseDisplay(other);
    return !refused;
}

} // namespace

class tst_GlobalShortcutSetting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The settings switch only writes the setting; the tray follows it by grabbing the key, and releasing it
    // when it is turned off.
    void switchGrabsAndReleasesTheKey()
    {
        test::AppStateHarness hub;
        hub.build();
        Windows windows;
        TrayShell shell(hub.context(), windows, windows);
        test::RecordingPrompts prompts;
        SettingsSectionView page(hub.context(), prompts);
        page.show();
        ToggleSwitch* shortcut = page.generalTab()->globalShortcutSwitch();
        QVERIFY(othersCanGrabTheShortcut());

        QTest::mouseClick(shortcut, Qt::LeftButton);
        QVERIFY(hub.state->store().config().settings.globalShortcutEnabled);
        QVERIFY(!othersCanGrabTheShortcut());

        QTest::mouseClick(shortcut, Qt::LeftButton);
        QVERIFY(!hub.state->store().config().settings.globalShortcutEnabled);
        QVERIFY(othersCanGrabTheShortcut());
    }
};

int main(int argc, char** argv)
{
    mv::test::XvfbDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "tst_GlobalShortcutSetting: Xvfb could not be started\n");
        return 1;
    }
    QApplication app(argc, argv);
    tst_GlobalShortcutSetting test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_GlobalShortcutSetting.moc"
