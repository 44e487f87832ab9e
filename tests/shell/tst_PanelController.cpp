#include "coordination/JobActions.h"
#include "shell/AlertPresenter.h"
#include "shell/MenuBarPanel.h"
#include "shell/PanelController.h"
#include "shell/PanelRootView.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/UiTestMain.h"

#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <QtTest>

#include <unistd.h>

using namespace mv;
using State = PanelController::State;

namespace {

constexpr int stateTimeoutMs = 10'000;

// A window of ours that is not the panel, noting the keys that reach it.
class OtherWindow : public QWidget {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.append(event->key()); }
};

} // namespace

class tst_PanelController : public QObject {
    Q_OBJECT

    std::optional<test::AppStateHarness> m_hub;
    test::ManualClock m_clock;

    bool settlesIn(PanelController& panel, State state)
    {
        return QTest::qWaitFor([&] { return panel.state() == state; }, stateTimeoutMs);
    }
    bool showAndSettle(PanelController& panel, std::optional<QPoint> anchor = QPoint(1800, 12))
    {
        panel.showPanel(anchor);
        return settlesIn(panel, State::shown);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_hub.emplace();
        m_hub->addJob("Docs", { { "ssd", BackupMode::incremental } });
        m_hub->build();
        QCOMPARE(QGuiApplication::screens().size(), 2);
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1920, 1080));
    }

    // Calls during an animation change nothing: a second show, a hide while showing, a show while hiding.
    void callsDuringAnAnimationAreIgnored()
    {
        PanelController panel(m_hub->context(), m_clock);
        QCOMPARE(panel.state(), State::hidden);
        panel.showPanel(QPoint(1800, 12));
        QCOMPARE(panel.state(), State::showing);
        QVERIFY(panel.isPanelVisible());
        QVERIFY(panel.root().isVisible());
        panel.showPanel(QPoint(300, 12));
        panel.hidePanel();
        QCOMPARE(panel.state(), State::showing);
        QVERIFY(settlesIn(panel, State::shown));
        QCOMPARE(panel.root().x(), 1920 - 8 - 452);
        QCOMPARE(panel.root().windowOpacity(), 1.0);

        panel.hidePanel();
        QCOMPARE(panel.state(), State::hiding);
        QVERIFY(!panel.isPanelVisible());
        panel.showPanel(QPoint(1800, 12));
        QCOMPARE(panel.state(), State::hiding);
        QVERIFY(settlesIn(panel, State::hidden));
        QVERIFY(!panel.root().isVisible());

        QVERIFY(showAndSettle(panel));
    }

    // The dashboard opening during the show animation still hides the panel, once the animation ends.
    void dismissDuringShowHidesAfterIt()
    {
        PanelController panel(m_hub->context(), m_clock);
        QList<State> states;
        connect(&panel, &PanelController::stateChanged, this, [&](State state) { states.append(state); });
        panel.showPanel(QPoint(1800, 12));
        panel.dismissPanel();
        QCOMPARE(panel.state(), State::showing);
        QVERIFY(settlesIn(panel, State::hidden));
        QCOMPARE(states, (QList { State::showing, State::shown, State::hiding, State::hidden }));

        QVERIFY(showAndSettle(panel));
        panel.dismissPanel();
        QCOMPARE(panel.state(), State::hiding);
    }

    // Escape hides the panel and reaches nothing else; a click in another of our windows hides it, one in
    // the panel or in its own dialog does not.
    void escapeAndClicks()
    {
        PanelController panel(m_hub->context(), m_clock);
        AlertPresenter alerts(m_hub->context());
        alerts.addHost(&panel.root());
        OtherWindow other;
        other.setGeometry(100, 300, 200, 100);
        other.show();

        QVERIFY(showAndSettle(panel));
        QTest::keyClick(&other, Qt::Key_Escape);
        QCOMPARE(panel.state(), State::hiding);
        QVERIFY(other.keys.isEmpty());
        QVERIFY(settlesIn(panel, State::hidden));
        QTest::keyClick(&other, Qt::Key_Escape);
        QCOMPARE(other.keys, QList { int(Qt::Key_Escape) });

        QVERIFY(showAndSettle(panel));
        QTest::mouseClick(&panel.root(), Qt::LeftButton, {}, QPoint(200, 30));
        QCOMPARE(panel.state(), State::shown);

        m_hub->context().jobs.setPendingDeletion(m_hub->store.config().jobs.first());
        auto* dialog = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QTest::mouseClick(dialog, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClick(dialog, Qt::Key_Escape);
        MV_TRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(panel.state(), State::shown);
        QCOMPARE(m_hub->store.config().jobs.size(), 1);

        QTest::mouseClick(&other, Qt::RightButton, {}, QPoint(10, 10));
        QCOMPARE(panel.state(), State::hiding);
        QVERIFY(settlesIn(panel, State::hidden));
    }

    // Losing focus hides the panel; the tray click that caused it (within 300 ms and 70 px) does not reopen
    // it, a later or farther one does.
    void focusLossAndTheClickThatCausedIt()
    {
        PanelController panel(m_hub->context(), m_clock);
        QCursor::setPos(QPoint(1805, 10));
        QVERIFY(showAndSettle(panel));
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        QVERIFY(settlesIn(panel, State::hidden));
        m_clock.advance(std::chrono::milliseconds(250));
        panel.showPanel(QPoint(1800, 12));
        QCOMPARE(panel.state(), State::hidden);
        // Only once: the next click is a new one.
        QVERIFY(showAndSettle(panel));

        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        QVERIFY(settlesIn(panel, State::hidden));
        m_clock.advance(PanelController::reopenGuardTime + std::chrono::milliseconds(1));
        QVERIFY(showAndSettle(panel));

        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        QVERIFY(settlesIn(panel, State::hidden));
        QVERIFY(showAndSettle(panel, QPoint(1800 - PanelController::reopenGuardDistance, 12)));
    }

    void notShownWhileTheIconIsHidden()
    {
        PanelController panel(m_hub->context(), m_clock);
        bool hidden = true;
        panel.isStatusItemHidden = [&] { return hidden; };
        panel.showPanel(QPoint(1800, 12));
        QCOMPARE(panel.state(), State::hidden);
        hidden = false;
        QVERIFY(showAndSettle(panel));
    }

    void placement_data()
    {
        QTest::addColumn<std::optional<QPoint>>("anchor");
        QTest::addColumn<std::optional<QRect>>("tray");
        QTest::addColumn<QRect>("expected");
        const auto frame = [](int x, int y) { return QRect(QPoint(x, y), QSize(452, 652)); };
        // The card's top edge 6 px below the screen's top: the window starts 16 - 6 px above it.
        QTest::newRow("near the right edge: 8 px inside")
            << std::optional(QPoint(1900, 12)) << std::optional<QRect>() << frame(1460, -10);
        QTest::newRow("centred under the anchor")
            << std::optional(QPoint(960, 12)) << std::optional<QRect>() << frame(734, -10);
        QTest::newRow("near the left edge: 8 px inside")
            << std::optional(QPoint(10, 12)) << std::optional<QRect>() << frame(8, -10);
        QTest::newRow("no anchor: under the tray the owner knows")
            << std::optional<QPoint>() << std::optional(QRect(788, 0, 24, 24)) << frame(574, -10);
        QTest::newRow("no anchor, a tray without width: max x - 60")
            << std::optional<QPoint>() << std::optional(QRect(788, 0, 0, 24)) << frame(1920 - 8 - 452, -10);
        QTest::newRow("no anchor, a tray at the left edge: max x - 60")
            << std::optional<QPoint>() << std::optional(QRect(-30, 0, 24, 24)) << frame(1920 - 8 - 452, -10);
        QTest::newRow("no anchor at all: max x - 60")
            << std::optional<QPoint>() << std::optional<QRect>() << frame(1920 - 8 - 452, -10);
        // 2320 - 8 - 452: the right edge wins and the left one leaves the screen.
        QTest::newRow("a screen narrower than the panel")
            << std::optional(QPoint(2100, 12)) << std::optional<QRect>() << frame(1860, -10);
        QTest::newRow("a tray at the bottom opens upward") << std::optional(
            QPoint(1800, 1070)) << std::optional<QRect>() << frame(1460, 1080 - 6 + 16 - 652);
        QTest::newRow("a tray at the bottom of the narrow screen")
            << std::optional(QPoint(2300, 790)) << std::optional<QRect>() << frame(1860, 800 - 6 + 16 - 652);
    }

    // Where the panel stands once shown, on the configured screens: 1920×1080 and, right of it, 400×800.
    void placement()
    {
        QFETCH(std::optional<QPoint>, anchor);
        QFETCH(std::optional<QRect>, tray);
        QFETCH(QRect, expected);
        PanelController panel(m_hub->context(), m_clock);
        if (tray)
            panel.anchorProvider = [tray] { return tray; };
        QVERIFY(showAndSettle(panel, anchor));
        QCOMPARE(panel.root().geometry(), expected);
    }
};

int main(int argc, char** argv)
{
    test::prepareUiTest(test::Motion::reduced);
    // Two screens side by side: a wide primary one and one narrower than the panel.
    const QString config
        = QDir::temp().filePath(QStringLiteral("marrowvale-panel-screens-%1.json").arg(::getpid()));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    file.write(R"({"screens": [
        {"name": "a-wide", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "b-narrow", "x": 1920, "y": 0, "width": 400, "height": 800, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    int result = 0;
    {
        QApplication app(argc, argv);
        app.setAttribute(Qt::AA_Use96Dpi, true);
        tst_PanelController test;
        QTEST_SET_MAIN_SOURCE_PATH
        result = QTest::qExec(&test, argc, argv);
    }
    QFile::remove(config);
    return result;
}

#include "tst_PanelController.moc"
