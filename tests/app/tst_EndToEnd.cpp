#include "model/ConfigurationStore.h"
#include "model/DemoData.h"
#include "support/BuiltPrograms.h"
#include "support/IntegrationTimeout.h"
#include "support/Mount.h"
#include "support/StartedProcess.h"
#include "support/TempDir.h"
#include "support/ui/ContrastRatio.h"
#include "support/ui/Screenshots.h"
#include "support/ui/XvfbDisplay.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <QtTest>

#include <algorithm>
#include <csignal>

using namespace mv;

namespace {

const int patience = int(test::integrationTimeout.count());

// xdotool's answer: its exit status and the lines it printed.
struct Answer {
    int status = -1;
    QStringList lines;
};

Answer xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    // A query about a window that goes away meanwhile may never answer: ask again rather than wait.
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return { process.exitCode(),
        QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts) };
}

// The rectangles of the program's visible windows: the tray icon, the panel, the dashboard. Read through
// several xdotool calls, so a window that maps or moves meanwhile can be missed once: wait on these with
// QTest::qWaitFor, which stops at the first true reading, never with QTRY_*, which reads again after it.
QList<QRect> visibleWindows()
{
    QList<QRect> windows;
    for (const QString& window : xdotool({ "search", "--onlyvisible", "--classname", "marrowvale" }).lines) {
        QMap<QString, int> at;
        for (const QString& line : xdotool({ "getwindowgeometry", "--shell", window }).lines)
            at.insert(line.section(u'=', 0, 0), line.section(u'=', 1).toInt());
        windows.append(QRect(at["X"], at["Y"], at["WIDTH"], at["HEIGHT"]));
    }
    return windows;
}

// The tray icon: the program's one small visible window.
QRect iconGeometry()
{
    QList<QRect> icons;
    for (const QRect& window : visibleWindows())
        if (!window.isEmpty() && window.width() <= 64 && window.height() <= 64)
            icons.append(window);
    return icons.size() == 1 ? icons.first() : QRect();
}

// The panel: the visible window of the panel root's width, or nothing.
QRect panelGeometry()
{
    for (const QRect& window : visibleWindows())
        if (window.width() == 452)
            return window;
    return {};
}

bool panelVisible()
{
    return panelGeometry().isValid();
}

// The dashboard: a visible window at least as wide as the dashboard's smallest size (the panel's window
// carries the same title).
bool dashboardVisible()
{
    const QList<QRect> windows = visibleWindows();
    return std::any_of(
        windows.begin(), windows.end(), [](const QRect& window) { return window.width() >= 880; });
}

// Waits until the panel stands still where it opened (the same place over several reads in a row): its slide
// in has ended, so it answers to a person.
bool panelSettles()
{
    QDeadlineTimer deadline(patience);
    QRect previous;
    int stillReads = 0;
    while (!deadline.hasExpired()) {
        const QRect now = panelGeometry();
        stillReads = now.isValid() && now == previous ? stillReads + 1 : 0;
        if (stillReads == 5)
            return true;
        previous = now;
        QCoreApplication::processEvents();
    }
    return false;
}

// A person's key presses and clicks, through the X server's test extension.
void press(const QString& keys)
{
    QCOMPARE(xdotool({ "key", keys }).status, 0);
}

// One node of a program's accessibility tree: a window, a label, a button, as a screen reader sees it.
struct Accessible {
    QString service;
    QString path;
    QString name;
};

// The accessibility bus, where programs show their widgets to screen readers. Asking for its address
// starts it; a Qt program started afterwards with QT_LINUX_ACCESSIBILITY_ALWAYS_ON joins it.
QDBusConnection accessibilityBus()
{
    const QString connectionName = QStringLiteral("accessibility");
    if (QDBusConnection(connectionName).isConnected())
        return QDBusConnection(connectionName);
    const QDBusMessage reply
        = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"),
            QStringLiteral("/org/a11y/bus"), QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
    return QDBusConnection::connectToBus(reply.arguments().value(0).toString(), connectionName);
}

QDBusMessage callAccessible(const Accessible& node, const QString& interface, const QString& method,
    const QVariantList& arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(node.service, node.path, interface, method);
    call.setArguments(arguments);
    return accessibilityBus().call(call, QDBus::Block, 5000);
}

QString accessibleName(const QString& service, const QString& path)
{
    const QDBusMessage reply
        = callAccessible({ service, path, {} }, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"), { QStringLiteral("org.a11y.atspi.Accessible"), QStringLiteral("Name") });
    return reply.arguments().value(0).value<QDBusVariant>().variant().toString();
}

QList<Accessible> accessibleChildren(const Accessible& node)
{
    const QDBusMessage reply
        = callAccessible(node, QStringLiteral("org.a11y.atspi.Accessible"), QStringLiteral("GetChildren"));
    QList<Accessible> children;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return children;
    const QDBusArgument array = reply.arguments().first().value<QDBusArgument>();
    array.beginArray();
    while (!array.atEnd()) {
        QString service;
        QDBusObjectPath path;
        array.beginStructure();
        array >> service >> path;
        array.endStructure();
        children.append({ service, path.path(), accessibleName(service, path.path()) });
    }
    array.endArray();
    return children;
}

void addDescendants(const Accessible& node, QList<Accessible>& into, int depth)
{
    if (depth == 0)
        return;
    for (const Accessible& child : accessibleChildren(node)) {
        into.append(child);
        addDescendants(child, into, depth - 1);
    }
}

// What the running program shows a screen reader: for each of its windows, every node inside it.
QList<QList<Accessible>> programWindows()
{
    const QDBusConnection bus = accessibilityBus();
    const QString root = QStringLiteral("/org/a11y/atspi/accessible/root");
    for (const QString& service : bus.interface()->registeredServiceNames().value()) {
        if (!service.startsWith(u':') || accessibleName(service, root) != QStringLiteral("Marrowvale"))
            continue;
        QList<QList<Accessible>> windows;
        for (const Accessible& window : accessibleChildren({ service, root, {} })) {
            QList<Accessible> nodes { window };
            addDescendants(window, nodes, 30);
            windows.append(nodes);
        }
        return windows;
    }
    return {};
}

// The banner alert as a screen reader finds it: a window titled "Marrowvale" holding exactly `message`
// and its "OK" button, which is answered.
std::optional<Accessible> bannerButton(const QString& message)
{
    for (const QList<Accessible>& window : programWindows()) {
        auto named = [&](const QString& name) {
            return std::find_if(
                window.begin(), window.end(), [&](const Accessible& n) { return n.name == name; });
        };
        if (window.first().name == QStringLiteral("Marrowvale") && named(message) != window.end()
            && named(QStringLiteral("OK")) != window.end())
            return *named(QStringLiteral("OK"));
    }
    return std::nullopt;
}

} // namespace

class tst_EndToEnd : public QObject {
    Q_OBJECT

private:
    test::TempDir m_home;
    test::StartedProcess m_openbox;
    test::StartedProcess m_trayer;

    QProcessEnvironment programEnvironment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* variable : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
            environment.insert(variable, m_home.path());
        environment.insert("MARROWVALE_SUPPORT_DIR", m_home.path() + "/support");
        environment.insert("MARROWVALE_DEMO", "1");
        environment.insert("MARROWVALE_DEBUG_RUN", "1");
        environment.insert("MARROWVALE_REDUCE_MOTION", "1");
        environment.insert("QT_QPA_PLATFORM", "xcb");
        return environment;
    }

    int documentsSuccesses() const
    {
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"),
            { "-readonly", m_home.path() + "/support/history.sqlite",
                "SELECT count(*) FROM runs WHERE job_name = 'Documents' AND result = 'success'" });
        sqlite.waitForFinished(patience);
        return sqlite.exitCode() == 0 ? sqlite.readAllStandardOutput().trimmed().toInt() : -1;
    }

private Q_SLOTS:
    // A tray at the bottom right: in the theme's light grey, or drawn in `tint` (a dark panel).
    void startTray(const QString& tint = {})
    {
        if (m_trayer.process.state() != QProcess::NotRunning) {
            m_trayer.process.kill();
            m_trayer.process.waitForFinished();
            QTRY_VERIFY_WITH_TIMEOUT(xdotool({ "search", "--classname", "trayer" }).status != 0, patience);
        }
        QStringList arguments { "--edge", "bottom", "--align", "right", "--widthtype", "request", "--height",
            "32", "--SetDockType", "true" };
        if (tint.isEmpty())
            arguments << "--transparent"
                      << "false"
                      << "--tint"
                      << "0x404040";
        else
            arguments << "--transparent"
                      << "true"
                      << "--alpha"
                      << "0"
                      << "--tint" << tint;
        m_trayer.process.start(QStringLiteral("trayer"), arguments);
        QVERIFY(m_trayer.process.waitForStarted(patience));
        QTRY_VERIFY_WITH_TIMEOUT(xdotool({ "search", "--classname", "trayer" }).status == 0, patience);
    }

    void initTestCase()
    {
        m_openbox.process.start(QStringLiteral("openbox"), { "--sm-disable" });
        QVERIFY(m_openbox.process.waitForStarted(patience));
        startTray();
    }

    // The real program in a real session: its icon in the tray, a click opens the panel and its button the
    // dashboard, a second start shows the first's panel, the global shortcut brings it back from another
    // program and closes it again, the demo's debug run backs up "Documents", and the system's request to
    // end closes it calmly.
    void aDayWithTheProgram()
    {
        // The debug run adds one success for each of the first demo job's destinations.
        const QList<BackupJob> demoJobs
            = DemoData::makeJobs(m_home.path() + "/layout", QDateTime::currentDateTimeUtc());
        qsizetype expected = demoJobs.first().destinations.size();
        for (const BackupRunRecord& record :
            DemoData::historyRecords(demoJobs, QDateTime::currentDateTimeUtc()))
            expected += record.jobName == demoJobs.first().name && record.result == RunResult::success;

        // The person has switched the global shortcut on; the demo fills in the jobs.
        {
            QDir().mkpath(m_home.path() + "/support");
            ConfigurationStore store(m_home.path() + "/support");
            AppConfiguration config = store.config();
            config.settings.globalShortcutEnabled = true;
            store.setConfig(config);
            QVERIFY(store.saveNow());
        }

        test::StartedProcess program;
        program.process.setProcessEnvironment(programEnvironment());
        program.process.setProcessChannelMode(QProcess::ForwardedChannels);
        program.process.start(test::builtProgram("marrowvale"));
        QVERIFY(program.process.waitForStarted(patience));

        // The icon is in the tray once it sits in the tray's strip at the bottom of the screen.
        QRect icon;
        QVERIFY(QTest::qWaitFor(
            [&] {
                icon = iconGeometry();
                return icon.center().y() > QGuiApplication::primaryScreen()->geometry().height() * 3 / 4;
            },
            patience));
        const QPoint centre = icon.center();

        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        QVERIFY(screen.save(test::screenshotFolder() + QStringLiteral("/end-to-end-tray.png")));
        // The glyph is drawn: the icon's square is not one flat colour.
        const QImage iconImage = screen.copy(icon);
        QSet<QRgb> colours;
        for (int y = 0; y < iconImage.height(); ++y)
            for (int x = 0; x < iconImage.width(); ++x)
                colours.insert(iconImage.pixel(x, y));
        QVERIFY(colours.size() > 2);

        auto click = [](QPoint at) {
            QCOMPARE(xdotool({ "mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1" })
                         .status,
                0);
        };
        click(centre);
        QVERIFY(panelSettles());
        QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(
            test::screenshotFolder() + QStringLiteral("/end-to-end-panel.png")));

        // The footer's dashboard button: the dashboard opens and the panel goes, even while it still slides
        // in.
        const QRect panel = panelGeometry();
        click(panel.topLeft() + QPoint(353, 611));
        QVERIFY(QTest::qWaitFor(dashboardVisible, patience));
        QVERIFY(QTest::qWaitFor([] { return !panelVisible(); }, patience));

        // A second start shows the first one's panel and ends.
        QProcess second;
        second.setProcessEnvironment(programEnvironment());
        second.start(test::builtProgram("marrowvale"));
        QVERIFY(second.waitForFinished(patience));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(panelSettles());

        // Another program's window takes the focus, and the panel goes with it; the shortcut brings it back.
        QWidget other;
        other.setWindowTitle(QStringLiteral("Another program"));
        other.resize(300, 200);
        other.show();
        other.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(other.isActiveWindow(), patience);
        QVERIFY(QTest::qWaitFor([] { return !panelVisible(); }, patience));
        press(QStringLiteral("ctrl+alt+super+b"));
        QVERIFY(panelSettles());
        // The panel made the program active; the same key closes it again.
        press(QStringLiteral("ctrl+alt+super+b"));
        QVERIFY(QTest::qWaitFor([] { return !panelVisible(); }, patience));

        QTRY_COMPARE_WITH_TIMEOUT(documentsSuccesses(), int(expected), patience);

        ::kill(pid_t(program.process.processId()), SIGTERM);
        QVERIFY(program.process.waitForFinished(patience));
        QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process.exitCode(), 0);
    }

    // A support folder the program cannot fully use is told in the banner over the panel, one message after
    // another, read and answered as a screen reader user would: a config.json cut short (the jobs are gone
    // from view, and where the damaged copy was kept is said), or a folder on a read-only disk (which is no
    // other instance: the program starts).
    void storageProblemsAreToldAtLaunch_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("config.json cut short") << false;
        QTest::newRow("read-only support folder") << true;
    }

    void storageProblemsAreToldAtLaunch()
    {
        QFETCH(bool, readOnly);
        if (readOnly && !test::inPrivateMountNamespace())
            QSKIP("a read-only support folder needs a mount");
        const QString support = m_home.mkdir(QStringLiteral("support-%1").arg(readOnly));
        std::optional<test::Mount> disk;
        if (readOnly)
            disk.emplace(test::Mount::tmpfs(support, "size=1m"));
        {
            ConfigurationStore store(support);
            store.addJob(
                DemoData::makeJobs(m_home.path() + "/layout", QDateTime::currentDateTimeUtc()).first());
            QVERIFY(store.saveNow());
        }
        const QString config = support + "/config.json";
        if (readOnly) {
            disk->remountReadOnly();
        } else {
            QFile file(config);
            QVERIFY(file.resize(file.size() / 2));
        }

        QVERIFY(accessibilityBus().isConnected());
        QProcessEnvironment environment = programEnvironment();
        environment.insert("MARROWVALE_SUPPORT_DIR", support);
        environment.remove("MARROWVALE_DEMO");
        environment.remove("MARROWVALE_DEBUG_RUN");
        environment.insert("MARROWVALE_SHOW_PANEL", "1");
        environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        test::StartedProcess program;
        program.process.setProcessEnvironment(environment);
        program.process.setProcessChannelMode(QProcess::ForwardedChannels);
        program.process.start(test::builtProgram("marrowvale"));
        QVERIFY(program.process.waitForStarted(patience));

        QStringList messages;
        if (readOnly) {
            messages << "The configuration could not be saved: “" + config
                    + "” could not be written: Existing file " + config + " is not writable."
                     << "The run history “" + support
                    + "/history.sqlite” could not be opened: unable to open database file. Nothing was "
                      "written "
                      "to it; runs are recorded in memory until Marrowvale quits.";
        } else {
            QVERIFY(QTest::qWaitFor(
                [&] { return !QDir(support).entryList({ "config.corrupt-*.json" }).isEmpty(); }, patience));
            messages << "The saved configuration could not be read. A copy was kept at " + support + "/"
                    + QDir(support).entryList({ "config.corrupt-*.json" }).first() + ".";
        }
        // The configuration and the history are checked apart, so their banners may come in either order:
        // each is shown in turn, after the one before it was dismissed.
        QStringList waiting = messages;
        QString last;
        while (!waiting.isEmpty()) {
            std::optional<Accessible> ok;
            const bool shown = QTest::qWaitFor(
                [&] {
                    for (const QString& message : waiting) {
                        if ((ok = bannerButton(message))) {
                            last = message;
                            return true;
                        }
                    }
                    return false;
                },
                patience);
            QVERIFY2(shown, qPrintable(waiting.join('\n')));
            const QDBusMessage pressed = callAccessible(
                *ok, QStringLiteral("org.a11y.atspi.Action"), QStringLiteral("DoAction"), { 0 });
            QCOMPARE(pressed.type(), QDBusMessage::ReplyMessage);
            waiting.removeOne(last);
        }
        QVERIFY(QTest::qWaitFor([&] { return !bannerButton(last); }, patience));
        QCOMPARE(program.process.state(), QProcess::Running);

        ::kill(pid_t(program.process.processId()), SIGTERM);
        QVERIFY(program.process.waitForFinished(patience));
        QCOMPARE(program.process.exitCode(), 0);
    }

    // The tray icon reads on a light and on a dark tray whatever appearance the program is set to: the
    // glyph is drawn for the panel, and a good part of it stands out from the panel by at least 4.5:1.
    void iconReadsOnLightAndDarkTrays_data()
    {
        QTest::addColumn<QString>("tint"); // none: the theme's light grey
        QTest::addColumn<bool>("darkAppearance");
        QTest::newRow("light tray, dark appearance") << QString() << true;
        QTest::newRow("light tray, light appearance") << QString() << false;
        QTest::newRow("dark tray, dark appearance") << "0x202020" << true;
        QTest::newRow("dark tray, light appearance") << "0x202020" << false;
    }

    void iconReadsOnLightAndDarkTrays()
    {
        QFETCH(QString, tint);
        QFETCH(bool, darkAppearance);
        startTray(tint);
        const QString support = m_home.mkdir("support-" + QString::fromLatin1(QTest::currentDataTag()));
        {
            ConfigurationStore store(support);
            AppConfiguration config = store.config();
            config.settings.appearance
                = darkAppearance ? AppearancePreference::dark : AppearancePreference::light;
            config.jobs
                = { DemoData::makeJobs(m_home.path() + "/layout", QDateTime::currentDateTimeUtc()).first() };
            store.setConfig(config);
            QVERIFY(store.saveNow());
        }
        QProcessEnvironment environment = programEnvironment();
        environment.insert("MARROWVALE_SUPPORT_DIR", support);
        environment.remove("MARROWVALE_DEMO");
        environment.remove("MARROWVALE_DEBUG_RUN");
        test::StartedProcess program;
        program.process.setProcessEnvironment(environment);
        program.process.setProcessChannelMode(QProcess::ForwardedChannels);
        program.process.start(test::builtProgram("marrowvale"));
        QVERIFY(program.process.waitForStarted(patience));

        const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
        QRect icon;
        QVERIFY(QTest::qWaitFor(
            [&] {
                icon = iconGeometry();
                return icon.center().y() > screenHeight * 3 / 4;
            },
            patience));
        // The icon is painted once the tray has shown it: wait until the square holds the glyph.
        QImage square;
        QColor panel;
        QVERIFY(QTest::qWaitFor(
            [&] {
                square = QGuiApplication::primaryScreen()->grabWindow(0).toImage().copy(icon);
                panel = square.pixelColor(0, 0);
                QSet<QRgb> colours;
                for (int y = 0; y < square.height(); ++y)
                    for (int x = 0; x < square.width(); ++x)
                        colours.insert(square.pixel(x, y));
                return colours.size() > 2;
            },
            patience));
        QVERIFY(square.save(test::screenshotFolder() + "/end-to-end-tray-icon-"
            + QString::fromLatin1(QTest::currentDataTag()).replace(", ", "-").replace(' ', '-') + ".png"));
        // The tray's own colour shows behind the glyph, not one of the program's.
        QCOMPARE(panel.lightness() < 128, !tint.isEmpty());
        const double strongest = test::contrastOfStrongest(square, panel, 1);
        const double twentieth = test::contrastOfStrongest(square, panel, 20);
        qInfo("tray %s: strongest pixel %.2f:1, 20th strongest %.2f:1", qPrintable(panel.name()), strongest,
            twentieth);
        QVERIFY2(twentieth >= 4.5, qPrintable(QString::number(twentieth)));

        ::kill(pid_t(program.process.processId()), SIGTERM);
        QVERIFY(program.process.waitForFinished(patience));
    }
};

int main(int argc, char** argv)
{
    // Before any thread exists: a thread made earlier would stay in the old mount namespace.
    mv::test::enterPrivateMountNamespace();
    mv::test::XvfbDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "tst_EndToEnd: Xvfb could not be started\n");
        return 1;
    }
    QApplication app(argc, argv);
    tst_EndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_EndToEnd.moc"
