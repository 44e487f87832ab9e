#include "shell/LaunchSwitches.h"

#include <QtTest>

using namespace mv;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::optional<std::chrono::milliseconds>)
Q_DECLARE_METATYPE(DashboardSection)

namespace {

// Sets (or, for a null text, removes) one variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QString& value)
        : m_name(name)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toUtf8());
    }
    ~ScopedVariable() { qunsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
};

} // namespace

class tst_LaunchSwitches : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void switchIsOnOnlyForOne_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("on");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("true") << "true" << false;
        QTest::newRow("1 and a blank") << "1 " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("unset") << QString() << false;
    }
    void switchIsOnOnlyForOne()
    {
        QFETCH(QString, value);
        QFETCH(bool, on);
        const ScopedVariable panel("MARROWVALE_SHOW_PANEL", value);
        QCOMPARE(LaunchSwitches::fromEnvironment().showPanel, on);
    }

    void showPanelDelay_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<std::chrono::milliseconds>>("delay");
        const std::optional<std::chrono::milliseconds> none;
        QTest::newRow("3") << "3" << std::optional(3000ms);
        QTest::newRow("0.5") << "0.5" << std::optional(500ms);
        QTest::newRow("1e1") << "1e1" << std::optional(10000ms);
        QTest::newRow("leading blank") << " 3" << none;
        QTest::newRow("trailing blank") << "3 " << none;
        QTest::newRow("a unit") << "3s" << none;
        QTest::newRow("inf") << "inf" << none;
        QTest::newRow("nan") << "nan" << none;
        QTest::newRow("negative") << "-1" << none;
        QTest::newRow("hexadecimal") << "0x10" << none;
        QTest::newRow("empty") << "" << none;
    }
    void showPanelDelay()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<std::chrono::milliseconds>, delay);
        QCOMPARE(delayFromText(text), delay);
        const ScopedVariable variable("MARROWVALE_DEBUG_SHOW_PANEL", text);
        QCOMPARE(LaunchSwitches::fromEnvironment().debugShowPanelAfter, delay);
    }

    void debugSection_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<DashboardSection>("section");
        QTest::newRow("destinations") << "destinations" << DashboardSection::destinations;
        QTest::newRow("support") << "support" << DashboardSection::support;
        QTest::newRow("settings") << "settings" << DashboardSection::settings;
        QTest::newRow("wrong case") << "Destinations" << DashboardSection::overview;
        QTest::newRow("unknown") << "billing" << DashboardSection::overview;
        QTest::newRow("unset") << QString() << DashboardSection::overview;
    }
    void debugSection()
    {
        QFETCH(QString, name);
        QFETCH(DashboardSection, section);
        const ScopedVariable variable("MARROWVALE_DEBUG_SECTION", name);
        QCOMPARE(LaunchSwitches::fromEnvironment().debugSection, section);
    }

    // The debug run needs the demo: it runs the first job, which outside demo mode is someone's real one.
    void debugRunOnlyInTheDemo()
    {
        const ScopedVariable run("MARROWVALE_DEBUG_RUN", "1");
        QVERIFY(!LaunchSwitches::fromEnvironment().debugRun);
        const ScopedVariable demo("MARROWVALE_DEMO", "1");
        QVERIFY(LaunchSwitches::fromEnvironment().debugRun);
    }
};

QTEST_GUILESS_MAIN(tst_LaunchSwitches)
#include "tst_LaunchSwitches.moc"
