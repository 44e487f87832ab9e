#include "support/IntegrationTimeout.h"
#include "support/TempDir.h"
#include "support/ui/UiTestMain.h"
#include "ui/kit/Motion.h"
#include "ui/kit/MotionSettings.h"
#include "ui/kit/ProgressBarView.h"
#include "ui/kit/StatusDot.h"

#include <QSignalSpy>
#include <QVBoxLayout>

#include <gio/gio.h>

using namespace mv;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name)
        , m_old(qgetenv(name))
        , m_wasSet(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
        MotionSettings::instance().refresh();
    }
    ~ScopedEnvironment()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
        MotionSettings::instance().refresh();
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_wasSet;
};

} // namespace

class tst_Motion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        MotionSettings::instance().refresh();
        QVERIFY(!MotionSettings::instance().reduceMotion());
    }

    void onlyExactlyOneTurnsReduceMotionOn_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("reduce");
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("true") << QByteArray("true") << false;
        QTest::newRow("yes") << QByteArray("yes") << false;
        QTest::newRow("blank before") << QByteArray(" 1") << false;
        QTest::newRow("empty") << QByteArray("") << false;
    }

    void onlyExactlyOneTurnsReduceMotionOn()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, reduce);
        QSignalSpy changes(&MotionSettings::instance(), &MotionSettings::reduceMotionChanged);
        ScopedEnvironment environment("MARROWVALE_REDUCE_MOTION", value);
        QCOMPARE(MotionSettings::instance().reduceMotion(), reduce);
        QCOMPARE(changes.count(), reduce ? 1 : 0);
    }

    void kdeAnimationSpeedZeroTurnsReduceMotionOn_data()
    {
        QTest::addColumn<QByteArray>("factor");
        QTest::addColumn<bool>("reduce");
        QTest::newRow("0") << QByteArray("0") << true;
        QTest::newRow("0.5") << QByteArray("0.5") << false;
        QTest::newRow("unreadable") << QByteArray("slow") << false;
    }

    void kdeAnimationSpeedZeroTurnsReduceMotionOn()
    {
        QFETCH(QByteArray, factor);
        QFETCH(bool, reduce);
        test::TempDir config;
        config.write(QStringLiteral("kdeglobals"), "[KDE]\nAnimationDurationFactor=" + factor + "\n");
        ScopedEnvironment environment("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        QCOMPARE(MotionSettings::instance().reduceMotion(), reduce);
    }

    void gnomeAnimationsOffTurnsReduceMotionOnWhileItLasts()
    {
        GSettings* settings = g_settings_new("org.gnome.desktop.interface");
        QSignalSpy changes(&MotionSettings::instance(), &MotionSettings::reduceMotionChanged);
        g_settings_set_boolean(settings, "enable-animations", FALSE);
        MV_TRY_VERIFY(MotionSettings::instance().reduceMotion());
        g_settings_set_boolean(settings, "enable-animations", TRUE);
        MV_TRY_VERIFY(!MotionSettings::instance().reduceMotion());
        QCOMPARE(changes.count(), 2);
        g_object_unref(settings);
    }

    void reduceMotionStopsTheProgressSliderAtTheTrailingEnd()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* bar = new ProgressBarView(std::nullopt, Palette::accent, 6);
        bar->setFixedWidth(300);
        layout->addWidget(bar);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        MV_TRY_COMPARE(bar->width(), 300);

        QVERIFY(bar->isSliding());
        const qreal start = bar->indicatorRect().x();
        MV_TRY_VERIFY(bar->indicatorRect().x() > start + 10);
        QCOMPARE(bar->indicatorRect().width(), 84.0);

        ScopedEnvironment environment("MARROWVALE_REDUCE_MOTION", "1");
        QVERIFY(!bar->isSliding());
        QCOMPARE(bar->indicatorRect(), QRectF(216, 0, 84, 6));

        // A known fraction replaces the slider at once, and the slider never starts again for it.
        bar->setFraction(0.25);
        QCOMPARE(bar->indicatorRect(), QRectF(0, 0, 75, 6));
    }

    void reduceMotionRemovesAPulseRingAtOnce()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* pulsing = new StatusDot(Palette::accent, true, 5);
        auto* still = new StatusDot(Palette::success, false, 5);
        layout->addWidget(pulsing);
        layout->addWidget(still);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(pulsing->isPulseShown());
        QVERIFY(!still->isPulseShown());
        QCOMPARE(pulsing->size(), QSize(5, 5));

        {
            ScopedEnvironment environment("MARROWVALE_REDUCE_MOTION", "1");
            QVERIFY(!pulsing->isPulseShown());
        }
        QVERIFY(pulsing->isPulseShown());
        pulsing->setPulsing(false);
        QVERIFY(!pulsing->isPulseShown());
    }

    void presetsHaveTheirCurvesAndDurations()
    {
        QCOMPARE(Motion::quick().durationMs, 120);
        QCOMPARE(Motion::quick().curve.type(), QEasingCurve::OutQuad);
        QCOMPARE(Motion::progress().durationMs, 250);
        QCOMPARE(Motion::progress().curve.type(), QEasingCurve::Linear);

        // The spring settles within its duration and overshoots its target only slightly.
        const MotionPreset spring = Motion::spring();
        QVERIFY(spring.durationMs > 320 && spring.durationMs < 600);
        QCOMPARE(spring.curve.valueForProgress(0), 0.0);
        QVERIFY(std::abs(spring.curve.valueForProgress(1) - 1) < 1e-3);
        qreal highest = 0;
        for (int step = 0; step <= 100; ++step)
            highest = std::max(highest, spring.curve.valueForProgress(step / 100.0));
        QVERIFY(highest > 1 && highest < 1.01);
    }
};

MV_UI_TEST_MAIN_ANIMATED(tst_Motion)
#include "tst_Motion.moc"
