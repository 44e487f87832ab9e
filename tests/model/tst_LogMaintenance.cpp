#include "model/AppPaths.h"
#include "model/LogMaintenance.h"
#include "support/ManualClock.h"
#include "support/TempDir.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mv;

namespace {

// Sets the entry's own modification time; a link's, not its target's.
void setModified(const QString& path, const QDateTime& when)
{
    const qint64 ms = when.toMSecsSinceEpoch();
    const timespec times[2]
        = { { ms / 1000, (ms % 1000) * 1'000'000 }, { ms / 1000, (ms % 1000) * 1'000'000 } };
    if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
        qFatal("cannot set the time of %s", qPrintable(path));
}

bool exists(const QString& path)
{
    struct stat info { };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace

class tst_LogMaintenance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void removesEntriesOlderThanTheCutOff()
    {
        test::TempSupportDir support;
        AppPaths::ensureDirectories();
        test::ManualClock clock;
        const QDateTime cutOff = clock.now().addDays(-30);
        const QString logs = AppPaths::logsDirectory();

        const QString atCutOff = support.write("Logs/at-cut-off.log", "x");
        const QString secondOlder = support.write("Logs/second-older.log", "x");
        const QString recent = support.write("Logs/recent.log", "x");
        const QString hidden = support.write("Logs/.hidden", "x");
        const QString folder = support.write("Logs/old-folder/inner.log", "x");
        setModified(atCutOff, cutOff);
        setModified(secondOlder, cutOff.addSecs(-1));
        setModified(recent, clock.now());
        setModified(hidden, cutOff.addDays(-5));
        setModified(logs + "/old-folder", cutOff.addDays(-1));

        LogMaintenance::prune(30, clock);

        QVERIFY(exists(atCutOff));
        QVERIFY(exists(recent));
        QVERIFY(!exists(secondOlder));
        QVERIFY(!exists(hidden));
        QVERIFY(!exists(folder));
        QVERIFY(!exists(logs + "/old-folder"));
    }

    void removesLinksWithoutFollowingThem()
    {
        test::TempSupportDir support;
        test::TempDir outside;
        AppPaths::ensureDirectories();
        test::ManualClock clock;
        const QDateTime old = clock.now().addDays(-100);
        const QString logs = AppPaths::logsDirectory();

        const QString target = outside.write("precious/data.txt", "keep me");
        setModified(target, old);
        setModified(outside.filePath("precious"), old);
        QVERIFY(QFile::link(outside.filePath("precious"), logs + "/old-link"));
        QVERIFY(QFile::link(outside.filePath("precious"), logs + "/new-link"));
        setModified(logs + "/old-link", old);
        // A link inside an old folder goes with the folder; its target stays.
        support.mkdir("Logs/old-folder");
        QVERIFY(QFile::link(outside.filePath("precious"), logs + "/old-folder/inner-link"));
        setModified(logs + "/old-folder", old);

        LogMaintenance::prune(30, clock);

        QVERIFY(!exists(logs + "/old-link"));
        QVERIFY(!exists(logs + "/old-folder"));
        QVERIFY(exists(logs + "/new-link"));
        QCOMPARE(test::TempDir::read(target), QByteArray("keep me"));
    }

    void nonPositiveDaysOrNoFolderDeleteNothing_data()
    {
        QTest::addColumn<int>("days");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -1;
    }

    void nonPositiveDaysOrNoFolderDeleteNothing()
    {
        QFETCH(int, days);
        test::TempSupportDir support;
        test::ManualClock clock;
        LogMaintenance::prune(30, clock); // no Logs folder yet: nothing to do, nothing reported

        AppPaths::ensureDirectories();
        const QString ancient = support.write("Logs/ancient.log", "x");
        setModified(ancient, clock.now().addYears(-10));
        LogMaintenance::prune(days, clock);
        QVERIFY(exists(ancient));
    }
};

QTEST_GUILESS_MAIN(tst_LogMaintenance)
#include "tst_LogMaintenance.moc"
