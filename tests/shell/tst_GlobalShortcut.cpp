#include "shell/GlobalShortcut.h"
#include "support/IntegrationTimeout.h"
#include "support/ui/XvfbDisplay.h"

#include <QApplication>
#include <QProcess>
#include <QWidget>
#include <QtTest>

using namespace mv;

namespace {

// Presses keys as a person would, through the X server's test extension.
void press(const QString& keys)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), { QStringLiteral("key"), keys }), 0);
}

} // namespace

class tst_GlobalShortcut : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Ctrl+Alt+Super+B reaches the program whichever program is active, its own too (so that the key can
    // close the panel it opened); with Shift it is another key. The "nothing" is shown by a later press that
    // does arrive, alone: the server delivers in order.
    void reachesTheProgramWhoeverIsActive()
    {
        GlobalShortcut shortcut;
        QVERIFY(shortcut.install());
        QSignalSpy activated(&shortcut, &GlobalShortcut::activated);

        press(QStringLiteral("ctrl+alt+super+b"));
        QVERIFY(activated.wait(int(test::integrationTimeout.count())));
        QCOMPARE(activated.size(), 1);

        press(QStringLiteral("shift+ctrl+alt+super+b"));
        press(QStringLiteral("ctrl+alt+super+b"));
        QVERIFY(activated.wait(int(test::integrationTimeout.count())));
        QCOMPARE(activated.size(), 2);

        QWidget window;
        window.resize(200, 100);
        window.show();
        window.activateWindow();
        MV_TRY_COMPARE(QGuiApplication::applicationState(), Qt::ApplicationActive);
        press(QStringLiteral("ctrl+alt+super+b"));
        QVERIFY(activated.wait(int(test::integrationTimeout.count())));
        QCOMPARE(activated.size(), 3);
        QCOMPARE(QGuiApplication::applicationState(), Qt::ApplicationActive);

        shortcut.remove();
        QVERIFY(!shortcut.isInstalled());
    }
};

int main(int argc, char** argv)
{
    mv::test::XvfbDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "tst_GlobalShortcut: Xvfb could not be started\n");
        return 1;
    }
    QApplication app(argc, argv);
    tst_GlobalShortcut test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_GlobalShortcut.moc"
