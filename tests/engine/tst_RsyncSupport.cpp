#include "engine/RsyncSupport.h"
#include "support/ExecutableScript.h"
#include "support/TempDir.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

using namespace mv;
using namespace std::chrono_literals;

namespace {

QString script(const test::TempDir& dir, const QByteArray& body)
{
    return test::executableScript(dir, QStringLiteral("rsync"), body);
}

} // namespace

namespace QTest {
template <> char* toString(const std::optional<RsyncVersion>& version)
{
    return QTest::toString(version ? version->description() : QStringLiteral("none"));
}
} // namespace QTest

class TestRsyncSupport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Set here only: a probe that sees it was handed the test's own environment.
    void initTestCase() { qputenv("MV_PARENT_ONLY", "1"); }

    void readsTheVersion_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<std::optional<RsyncVersion>>("expected");
        QTest::newRow("3.0.9") << QByteArray("echo 'rsync  version 3.0.9  protocol version 30'")
                               << std::optional(RsyncVersion { 3, 0, 9 });
        QTest::newRow("3.1.0") << QByteArray("echo 'rsync  version 3.1.0  protocol version 31'")
                               << std::optional(RsyncVersion { 3, 1, 0 });
        QTest::newRow("protocol number not read")
            << QByteArray("echo 'rsync  version 3.2.7  protocol version 31'; echo '  Copyright'")
            << std::optional(RsyncVersion { 3, 2, 7 });
        QTest::newRow("on standard error, failing") << QByteArray(
            "echo 'openrsync: protocol version 29' >&2; echo 'rsync version 2.6.9 compatible' >&2; exit 1")
                                                    << std::optional(RsyncVersion { 2, 6, 9 });
        QTest::newRow("nothing") << QByteArray("exit 0") << std::optional<RsyncVersion>();
        QTest::newRow("two numbers") << QByteArray("echo 'rsync version 3.2'")
                                     << std::optional<RsyncVersion>();
        QTest::newRow("chatty after the version")
            << QByteArray("echo 'rsync  version 3.2.7'; head -c 3000000 /dev/zero")
            << std::optional(RsyncVersion { 3, 2, 7 });
        QTest::newRow("in the child environment")
            << QByteArray("[ -z \"$MV_PARENT_ONLY\" ] && [ \"$LC_ALL\" = C ] && echo 'rsync  version 3.2.7'")
            << std::optional(RsyncVersion { 3, 2, 7 });
    }
    void readsTheVersion()
    {
        QFETCH(QByteArray, body);
        QFETCH(std::optional<RsyncVersion>, expected);
        const test::TempDir dir;
        QCOMPARE(RsyncSupport::detect(script(dir, body)), expected);
    }

    // The cached probe starts a child only for an executable it has not seen answer in its present form.
    void cachedProbeRunsOncePerFile()
    {
        const test::TempDir dir;
        const QString counted = "echo x >> '" + dir.filePath("probes") + "'; echo 'rsync  version 3.2.";
        const QString rsync = script(dir, (counted + "7'").toUtf8());
        const auto probes = [&] { return test::TempDir::read(dir.filePath("probes")).count('\n'); };
        QCOMPARE(RsyncSupport::detectCached(rsync), std::optional(RsyncVersion { 3, 2, 7 }));
        QCOMPARE(RsyncSupport::detectCached(rsync), std::optional(RsyncVersion { 3, 2, 7 }));
        QCOMPARE(probes(), 1);

        QFile::remove(rsync);
        script(dir, (counted + "12'").toUtf8()); // another file, another size
        QCOMPARE(RsyncSupport::detectCached(rsync), std::optional(RsyncVersion { 3, 2, 12 }));
        QCOMPARE(probes(), 2);

        QFile::remove(rsync);
        QCOMPARE(RsyncSupport::detectCached(rsync), std::optional<RsyncVersion>());
    }

    void realRsyncIsRecentEnough()
    {
        const std::optional<RsyncVersion> version = RsyncSupport::detect(QStringLiteral("/usr/bin/rsync"));
        QVERIFY(version);
        QVERIFY((*version <=> RsyncVersion { 3, 1, 0 }) > 0);
    }

    void versionsCompareInOrder()
    {
        QVERIFY((RsyncVersion { 3, 0, 9 } < RsyncVersion { 3, 1, 0 }));
        QVERIFY((RsyncVersion { 3, 1, 0 } < RsyncVersion { 3, 1, 1 }));
        QVERIFY((RsyncVersion { 2, 9, 9 } < RsyncVersion { 3, 0, 0 }));
        QCOMPARE(RsyncVersion({ 3, 2, 7 }).description(), QStringLiteral("3.2.7"));
    }

    void givesUpOnExecutablesThatDoNotAnswer()
    {
        const test::TempDir dir;
        QVERIFY(!RsyncSupport::detect(dir.filePath(QStringLiteral("missing"))));

        // One that never exits (and ignores the polite request) is killed with what it started.
        const QString hanging = script(dir, "trap '' TERM; echo 'rsync  version 3.2.7'; sleep 600 & wait");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(RsyncSupport::detect(hanging, 500ms), std::optional<RsyncVersion>());
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestRsyncSupport)
#include "tst_RsyncSupport.moc"
