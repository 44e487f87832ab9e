#include "engine/RestoreRequest.h"
#include "support/CoordinatorHarness.h"
#include "support/EnumCompare.h"

#include <QFileInfo>
#include <QTest>

using namespace mv;
using Harness = mv::test::CoordinatorHarness;
using mv::test::ScriptedRsync;
using mv::test::TempDir;

namespace {

// A progress line of half the transfer: 1,000 bytes, the first of two files done. Then the stand-in waits.
const QString halfwayThenHold = "printf '      1,000  50%%  1.00MB/s    0:00:01 (xfr#1, to-chk=1/2)\\r'\n"
    + ScriptedRsync::holdUntilReleased();

// The job's source folder and a backup of it: one/1.txt "alpha", two/2.txt "beta", three/3.txt "gamma" and
// deep/er/4.txt "delta". The stand-in rsync knows each item by the folder it writes into: "one", "two", ...
struct Backup {
    Harness& h;
    QString root = h.files.mkdir("backup");
    QString source = h.files.mkdir("sources/Docs");

    explicit Backup(Harness& harness)
        : h(harness)
    {
        h.files.write("backup/one/1.txt", "alpha");
        h.files.write("backup/two/2.txt", "beta");
        h.files.write("backup/three/3.txt", "gamma");
        h.files.write("backup/deep/er/4.txt", "delta");
    }

    // Restores `items` (relative to the backup; "" is the whole backup) to their original places, or into
    // the folder `chosen` (relative to the test's folder).
    RestoreRequest request(const QStringList& items, const QString& chosen = {}) const
    {
        RestoreRequest request;
        request.jobID = QUuid::createUuid();
        request.destinationID = QUuid::createUuid();
        request.rootPath = root;
        for (const QString& item : items)
            request.items.append(item.isEmpty() ? root : root + '/' + item);
        request.useOriginalLocations = chosen.isEmpty();
        request.targetBase = chosen.isEmpty() ? QString() : h.files.filePath(chosen);
        request.jobName = "Docs";
        request.sourcePath = source;
        request.destinationName = "Docs SSD";
        return request;
    }

    static QStringList threeItems() { return { "one/1.txt", "two/2.txt", "three/3.txt" }; }
    bool restored(const QString& relative, const QByteArray& content) const
    {
        return TempDir::read(h.files.filePath(relative)) == content;
    }
};

QString phaseOf(const Harness& h)
{
    return h.restores.restore() ? toString(h.restores.restore()->phase) : QStringLiteral("none");
}

} // namespace

class tst_CoordinatorRestore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Three items run one after another; what the second item's rsync does decides how the restore ends.
    // Exit 24 counts as success; a failing item keeps what was restored before it and stops the rest.
    void itemsRunInTurn_data()
    {
        QTest::addColumn<QString>("second"); // the stand-in's behaviour for the second item
        QTest::addColumn<RunResult>("result");
        QTest::addColumn<QString>("message");
        QTest::addColumn<qint64>("files");
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("all copied") << "" << RunResult::success << "Restore complete" << qint64(3)
                                    << qint64(14);
        QTest::newRow("exit 24 goes on") << "/usr/bin/rsync \"$@\"; exit 24" << RunResult::success
                                         << "Restore complete" << qint64(3) << qint64(14);
        QTest::newRow("exit 23, no error line")
            << "exit 23" << RunResult::failed << "rsync exited with code 23." << qint64(1) << qint64(5);
        QTest::newRow("error line") << "echo 'rsync: write failed: No space left on device (28)' >&2; exit 11"
                                    << RunResult::failed
                                    << "rsync: write failed: No space left on device (28)" << qint64(1)
                                    << qint64(5);
    }
    void itemsRunInTurn()
    {
        QFETCH(QString, second);
        QFETCH(RunResult, result);
        QFETCH(QString, message);
        QFETCH(qint64, files);
        QFETCH(qint64, bytes);
        Harness h;
        const Backup backup(h);
        h.rsync.setBehaviour("two", second);
        const RestoreRequest request = backup.request(Backup::threeItems());
        h.restores.performRestore(request);
        QCOMPARE(phaseOf(h), "preparing");
        QCOMPARE(h.restores.restore()->message, "Preparing restore");
        QCOMPARE(h.restores.restore()->itemCount, 3);
        QCOMPARE(h.restores.restore()->target, backup.source);
        QCOMPARE(h.rows().front().result, RunResult::running);
        MV_TRY_COMPARE(h.recorded, 1);

        const bool success = result == RunResult::success;
        const RestoreProgressState& state = *h.restores.restore();
        QCOMPARE(toString(state.phase), toString(success ? RunPhase::completed : RunPhase::failed));
        QCOMPARE(state.message, message);
        QCOMPARE(state.itemIndex, success ? 2 : 1);
        QCOMPARE(state.progress.fraction.value_or(0) == 1.0, success);
        QVERIFY(!h.restores.transfer());
        QVERIFY(h.finished.isEmpty()); // restores are not backup runs
        QVERIFY(h.coordinator.activeRuns().isEmpty());

        QCOMPARE(h.rows().size(), size_t(1));
        const BackupRunRecord row = h.rows().front();
        QCOMPARE(row.jobName, "Docs restore");
        QCOMPARE(row.trigger, RunTrigger::restore);
        QCOMPARE(row.jobID, request.jobID);
        QCOMPARE(row.destinationName, "Docs SSD");
        QCOMPARE(row.sourcePath, backup.root + "/one/1.txt");
        QCOMPARE(row.destinationPath, backup.source);
        QCOMPARE(row.result, result);
        QCOMPARE(row.errorSummary.value_or(QString()), success ? QString() : message);
        QCOMPARE(row.filesCopied, files);
        QCOMPARE(row.bytesTransferred, bytes);
        QVERIFY(row.logPath && QFileInfo(*row.logPath).fileName().startsWith("restore-"));

        QVERIFY(backup.restored("sources/Docs/one/1.txt", "alpha"));
        QCOMPARE(backup.restored("sources/Docs/two/2.txt", "beta"), success);
        QCOMPARE(backup.restored("sources/Docs/three/3.txt", "gamma"), success);
        QCOMPARE(h.rsync.attempts("three"), success ? 1 : 0);
    }

    // Every item weighs the same: a 50 % sample during the second of three items is (0.5 + 1) ÷ 3.
    void progressOfTheWholeRestore()
    {
        Harness h;
        const Backup backup(h);
        h.rsync.setBehaviour("two", halfwayThenHold);
        h.restores.performRestore(backup.request(Backup::threeItems()));
        MV_TRY_COMPARE(h.restores.restore()->progress.fraction.value_or(0), 0.5);

        const RestoreProgressState& state = *h.restores.restore();
        QCOMPARE(toString(state.phase), "running");
        QCOMPARE(toString(state.progress.phase), "running");
        QCOMPARE(state.itemIndex, 1);
        QCOMPARE(state.message, "Restoring 2.txt");
        QCOMPARE(state.progress.bytesTransferred, 5 + 1000); // the first item's, then this sample's
        QCOMPARE(state.progress.filesTotal, 2);
        QCOMPARE(state.progress.filesCompleted, 1);
        QCOMPARE(state.progress.currentFile, "1.txt"); // the last name reported
        QVERIFY(h.restores.transfer());

        h.rsync.release("two");
        MV_TRY_COMPARE(phaseOf(h), "completed");
        QCOMPARE(h.restores.restore()->progress.fraction, 1.0);
    }

    // A stop ends the restore cancelled wherever it comes: nothing starts after it, what was restored
    // before it stays, and no later progress turns it back into running.
    void stopEndsCancelled_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<int>("secondAttempts");
        QTest::addColumn<bool>("firstRestored");
        QTest::newRow("preparing") << "preparing" << 0 << false;
        QTest::newRow("between items") << "between items" << 0 << true;
        QTest::newRow("during an item") << "during an item" << 1 << true;
    }
    void stopEndsCancelled()
    {
        QFETCH(QString, when);
        QFETCH(int, secondAttempts);
        QFETCH(bool, firstRestored);
        Harness h;
        const Backup backup(h);
        // Samples keep coming until the child is stopped, and one more after.
        h.rsync.setBehaviour("two",
            "sample() { printf '      1,000  50%%  1.00MB/s    0:00:01 (xfr#1, to-chk=1/2)\\r'; }\n"
            "trap 'sample; sleep 0.3; exit 20' TERM\n"
            "while true; do sample; sleep 0.005; done");
        QStringList phases;
        QObject::connect(&h.restores, &RestoreCoordinator::restoreChanged, [&] {
            const auto& state = h.restores.restore();
            if (!state)
                return;
            phases.append(toString(state->phase) + "/" + toString(state->progress.phase));
            if (when == "between items" && state->itemIndex == 1 && state->phase == RunPhase::running)
                h.restores.cancelRestore(); // the second item is shown, its rsync not started yet
        });

        h.restores.performRestore(backup.request(Backup::threeItems()));
        if (when == "preparing")
            h.restores.cancelRestore();
        if (when == "during an item") {
            MV_TRY_COMPARE(h.restores.restore()->progress.fraction.value_or(0), 0.5);
            h.restores.cancelRestore();
            QCOMPARE(phaseOf(h), "cancelling");
        }
        MV_TRY_COMPARE(phaseOf(h), "cancelled");
        QCOMPARE(h.restores.restore()->message, "Restore cancelled");
        QCOMPARE(h.rows().front().result, RunResult::cancelled);
        QCOMPARE(h.rows().front().errorSummary, "Restore cancelled by the user.");
        QCOMPARE(h.recorded, 1);
        QVERIFY(!h.restores.transfer());
        // The stopped child's last sample was read before the ending and changed nothing.
        const qsizetype cancelling = phases.indexOf("cancelling/cancelling");
        QVERIFY2(cancelling >= 0, qPrintable(phases.join(' ')));
        for (const QString& later : phases.mid(cancelling))
            QVERIFY2(!later.contains("running"), qPrintable(phases.join(' ')));
        QCOMPARE(h.rsync.attempts("two"), secondAttempts);
        QCOMPARE(h.rsync.attempts("three"), 0);
        QCOMPARE(backup.restored("sources/Docs/one/1.txt", "alpha"), firstRestored);
        QVERIFY(!QFileInfo::exists(h.files.filePath("sources/Docs/three")));
    }

    // One restore at a time: while one is preparing, running or cancelling, a second is refused and the
    // first goes on untouched, and clearRestore() leaves it; once it has ended a new one replaces it.
    void oneRestoreAtATime()
    {
        Harness h;
        const Backup backup(h);
        h.rsync.setBehaviour("one", ScriptedRsync::holdUntilReleased());
        const RestoreRequest second = backup.request({ "two/2.txt" }, "restored");
        h.files.mkdir("restored");
        h.restores.performRestore(backup.request({ "one/1.txt" }));

        const auto refusedAndUntouched = [&](const QString& phase) {
            QCOMPARE(phaseOf(h), phase);
            const RestoreProgressState before = *h.restores.restore();
            h.coordinator.setIssue(std::nullopt);
            h.restores.performRestore(second);
            QVERIFY(h.coordinator.issue());
            QCOMPARE(h.coordinator.issue()->title, "A restore is already running");
            QCOMPARE(h.coordinator.issue()->message, "Wait for it to finish, then try again.");
            QVERIFY(!h.coordinator.issue()->recovery);
            QCOMPARE(h.coordinator.issue()->symbol, "exclamationmark.triangle.fill");
            QVERIFY(!h.coordinator.issue()->isTemporary);
            h.restores.clearRestore();
            QVERIFY(*h.restores.restore() == before);
            QCOMPARE(h.rows().size(), size_t(1));
        };
        refusedAndUntouched("preparing");
        MV_TRY_COMPARE(h.rsync.attempts("one"), 1);
        refusedAndUntouched("running");
        h.restores.cancelRestore();
        refusedAndUntouched("cancelling");
        MV_TRY_COMPARE(phaseOf(h), "cancelled");

        h.coordinator.setIssue(std::nullopt);
        h.restores.performRestore(second);
        QVERIFY(!h.coordinator.issue());
        QCOMPARE(phaseOf(h), "preparing");
        QCOMPARE(h.restores.restore()->target, h.files.filePath("restored"));
        MV_TRY_COMPARE(phaseOf(h), "completed");
        QVERIFY(backup.restored("restored/two/2.txt", "beta"));
        QCOMPARE(h.rows().size(), size_t(2));
        h.restores.clearRestore();
        QVERIFY(!h.restores.restore());
    }

    // Items land where the plan says, with the folders between made as needed; a chosen folder that is
    // gone ends the restore failed before anything is copied.
    void filesLandWhereThePlanSays_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("chosen"); // empty: original locations
        QTest::addColumn<QStringList>("expected"); // "path=content", or the failure text
        QTest::newRow("nested file, original location")
            << QStringList { "deep/er/4.txt" } << "" << QStringList { "sources/Docs/deep/er/4.txt=delta" };
        QTest::newRow("nested file into a new chosen folder")
            << QStringList { "deep/er/4.txt" } << "new" << QStringList { "new/deep/er/4.txt=delta" };
        QTest::newRow("folder into a chosen folder")
            << QStringList { "one" } << "new" << QStringList { "new/one/1.txt=alpha" };
        QTest::newRow("whole backup into a chosen folder")
            << QStringList { "" } << "new"
            << QStringList { "new/Docs/one/1.txt=alpha", "new/Docs/deep/er/4.txt=delta" };
        QTest::newRow("chosen folder gone")
            << QStringList { "one" } << "gone" << QStringList { "The folder %1 is not available." };
    }
    void filesLandWhereThePlanSays()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, chosen);
        QFETCH(QStringList, expected);
        Harness h;
        const Backup backup(h);
        h.files.mkdir("new");
        h.restores.performRestore(backup.request(items, chosen));
        QVERIFY(!h.coordinator.issue());
        MV_TRY_COMPARE(h.recorded, 1);
        if (chosen == "gone") {
            const QString failure = expected.first().arg(h.files.filePath("gone"));
            QCOMPARE(phaseOf(h), "failed");
            QCOMPARE(h.restores.restore()->message, failure);
            QCOMPARE(h.rows().front().errorSummary, failure);
            QCOMPARE(h.rsync.attempts("gone"), 0);
            QVERIFY(!QFileInfo::exists(h.files.filePath("gone")));
            return;
        }
        QCOMPARE(phaseOf(h), "completed");
        for (const QString& file : expected) {
            const QStringList parts = file.split('=');
            QVERIFY2(backup.restored(parts[0], parts[1].toUtf8()), qPrintable(parts[0]));
        }
    }

    // A request that cannot be planned raises its problem as the issue; nothing is recorded.
    void unplannableRequestRaisesIssue()
    {
        Harness h;
        const Backup backup(h);
        h.restores.performRestore(backup.request({}));
        QVERIFY(h.coordinator.issue());
        QCOMPARE(h.coordinator.issue()->title, "Nothing selected");
        QCOMPARE(h.coordinator.issue()->message, "Choose a file or folder from the backup.");
        QVERIFY(!h.restores.restore());
        QVERIFY(h.rows().empty());
    }

    // The notice of a successful restore counts the files and links it wrote, none included.
    void restoreNotice_data()
    {
        QTest::addColumn<bool>("alreadyThere");
        QTest::addColumn<bool>("notifySuccess");
        QTest::addColumn<QString>("notice");
        QTest::newRow("three files") << false << true << "Restore finished|3 items restored to %1.";
        QTest::newRow("nothing new to copy") << true << true << "Restore finished|0 items restored to %1.";
        QTest::newRow("switched off") << false << false << "";
    }
    void restoreNotice()
    {
        QFETCH(bool, alreadyThere);
        QFETCH(bool, notifySuccess);
        QFETCH(QString, notice);
        Harness h;
        const Backup backup(h);
        MV_TRY_VERIFY(h.notifications.authorized());
        h.settings([&](AppSettings& s) { s.notifySuccess = notifySuccess; });
        if (alreadyThere) // kept as they are: existing files are not replaced
            for (const QString& name : Backup::threeItems())
                h.files.write("sources/Docs/" + name, "mine");
        h.restores.performRestore(backup.request(Backup::threeItems()));
        MV_TRY_COMPARE(phaseOf(h), "completed");
        QCOMPARE(h.rows().front().filesCopied, alreadyThere ? 0 : 3);
        QCOMPARE(backup.restored("sources/Docs/one/1.txt", alreadyThere ? "mine" : "alpha"), true);
        if (notice.isEmpty()) {
            QVERIFY(h.server.settle(h.bus.connection()));
            QVERIFY(h.server.notices().isEmpty());
        } else {
            MV_TRY_COMPARE(h.server.notices().size(), 1);
            QCOMPARE(
                h.server.notices()[0].title + "|" + h.server.notices()[0].body, notice.arg(backup.source));
        }
    }

    // Whether to ask first: the names a restore would replace, or nothing for a request that cannot be
    // planned (starting it then raises the problem).
    void requiredConfirmation()
    {
        Harness h;
        const Backup backup(h);
        h.files.write("sources/Docs/one/1.txt", "mine");
        QCOMPARE(QCoro::waitFor(h.restores.restoreRequiredConfirmation(backup.request(Backup::threeItems()))),
            QStringList { "1.txt" });
        QCOMPARE(QCoro::waitFor(h.restores.restoreRequiredConfirmation(backup.request({}))), QStringList {});
        QVERIFY(!h.coordinator.issue());
        QVERIFY(h.rows().empty());
    }

    // Quitting during a restore stops its child and starts no further item.
    void shutdownStopsTheRestore()
    {
        Harness h;
        const Backup backup(h);
        h.rsync.setBehaviour("one", ScriptedRsync::holdUntilReleased());
        h.restores.performRestore(backup.request(Backup::threeItems()));
        MV_TRY_COMPARE(h.rsync.attempts("one"), 1);
        MV_TRY_VERIFY(h.rsync.pid("one") > 0);
        QVERIFY(h.shutDown());
        QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(h.rsync.pid("one"))));
        QCOMPARE(phaseOf(h), "cancelled");
        QCOMPARE(h.rows().front().result, RunResult::cancelled);
        QCOMPARE(h.rsync.attempts("two"), 0);
    }
};

QTEST_GUILESS_MAIN(tst_CoordinatorRestore)
#include "tst_CoordinatorRestore.moc"
