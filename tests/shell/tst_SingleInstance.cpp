#include "shell/SingleInstance.h"
#include "support/IntegrationTimeout.h"
#include "support/Mount.h"
#include "support/TempDir.h"

#include <QLockFile>
#include <QProcess>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace mv;

namespace {

// The pid of a process that has ended.
qint64 endedProcess()
{
    QProcess process;
    process.start(QStringLiteral("true"));
    process.waitForStarted();
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

} // namespace

class tst_SingleInstance : public QObject {
    Q_OBJECT

    bool m_canMount = false;

private Q_SLOTS:
    // Before any thread exists: a thread made earlier would stay in the old mount namespace.
    void initTestCase() { m_canMount = test::enterPrivateMountNamespace(); }
    // The first start holds the folder; a second one cannot, and its request to show itself reaches the
    // first. Once the first is gone, a new start takes over.
    void secondStartAsksTheFirstToReopen()
    {
        test::TempDir support;
        std::optional<SingleInstance> first(std::in_place, support.path());
        QCOMPARE(first->acquire(), SingleInstance::Claim::acquired);
        QCOMPARE(first->problem(), QString());
        QSignalSpy reopened(&*first, &SingleInstance::reopenRequested);

        SingleInstance second(support.path());
        QCOMPARE(second.acquire(), SingleInstance::Claim::heldElsewhere);
        // The asker blocks on its answer, as a second process would; the first answers from this thread.
        std::atomic<int> answered = -1;
        std::thread asker(
            [&] { answered = second.askToReopen(int(test::integrationTimeout.count())) ? 1 : 0; });
        QVERIFY(reopened.wait(int(test::integrationTimeout.count())));
        MV_TRY_VERIFY(answered != -1);
        asker.join();
        QCOMPARE(int(answered), 1);

        first.reset();
        SingleInstance third(support.path());
        QCOMPARE(third.acquire(), SingleInstance::Claim::acquired);
    }

    // Only a lock held by a live process is another instance. A folder where no lock can be made, or where a
    // dead process's lock cannot be taken over, lets the program start, and says why it runs unguarded.
    void folderThatCannotHoldTheLock_data()
    {
        QTest::addColumn<bool>("readOnly"); // else full
        QTest::addColumn<QString>("holder"); // "", "live" or "dead"
        QTest::addColumn<SingleInstance::Claim>("claim");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only") << true << "" << SingleInstance::Claim::unavailable
                                   << "Read-only file system";
        QTest::newRow("read-only, dead holder") << true << "dead" << SingleInstance::Claim::unavailable
                                                << "the lock of an earlier process could not be taken over";
        QTest::newRow("read-only, live holder")
            << true << "live" << SingleInstance::Claim::heldElsewhere << "";
        // Not even the lock's few bytes fit.
        QTest::newRow("full") << false << "" << SingleInstance::Claim::unavailable
                              << "No space left on device";
    }

    void folderThatCannotHoldTheLock()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, holder);
        QFETCH(SingleInstance::Claim, claim);
        QFETCH(QString, reason);
        if (!m_canMount)
            QSKIP("a read-only or full folder needs a mount");
        test::TempDir parent;
        const QString folder = parent.mkdir("support");
        auto mount = test::Mount::tmpfs(folder, "size=4k");
        // A lock left by another start, whose process still runs or has ended.
        QProcess live;
        if (!holder.isEmpty()) {
            qint64 pid = endedProcess();
            if (holder == "live") {
                live.start(QStringLiteral("sleep"), { "600" });
                QVERIFY(live.waitForStarted());
                pid = live.processId();
            }
            QLockFile lock(folder + "/instance.lock");
            QVERIFY(lock.tryLock());
            const QByteArray contents = test::TempDir::read(folder + "/instance.lock");
            lock.unlock();
            QFile file(folder + "/instance.lock");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::number(pid) + contents.mid(contents.indexOf('\n')));
            file.close();
        }
        if (readOnly)
            mount.remountReadOnly();
        else
            mount.fill();

        SingleInstance instance(folder);
        QCOMPARE(instance.acquire(), claim);
        if (claim == SingleInstance::Claim::unavailable)
            QCOMPARE(instance.problem(),
                "The lock “" + folder + "/instance.lock” could not be made: " + reason + ".");
        else
            QCOMPARE(instance.problem(), QString());
        QVERIFY(!instance.askToReopen(1000));
    }

    void nobodyToAsk()
    {
        test::TempDir support;
        const SingleInstance lonely(support.path());
        QVERIFY(!lonely.askToReopen(1000));
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_SingleInstance.moc"
