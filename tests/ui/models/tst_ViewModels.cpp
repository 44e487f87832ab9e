#include "model/ConfigurationStore.h"
#include "support/IntegrationTimeout.h"
#include "support/ScriptedRsync.h"
#include "support/state/AppStateHarness.h"
#include "ui/models/panel/JobsModel.h"
#include "ui/models/shared/ActiveRunsModel.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/StatusRoles.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QtTest>

using namespace mv;

namespace {

QStringList names(const QAbstractItemModel& model)
{
    QStringList list;
    for (int row = 0; row < model.rowCount(); ++row)
        list << model.index(row, 0).data().toString();
    return list;
}

} // namespace

class tst_ViewModels : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Jobs follow the configuration by identity: a row that stays keeps its index, a burst of edits is
    // applied once, and each row carries its job's status.
    void jobsFollowTheConfigurationByIdentity()
    {
        test::AppStateHarness hub;
        const BackupJob docs = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        const BackupJob photos = hub.addJob("Photos", { { "nas", BackupMode::incremental } });
        hub.build();
        ActiveRunsModel runs(hub.state->coordinator());
        StatusBoard status(hub.store, runs, hub.state->monitor(), hub.state->googleAuth(),
            hub.state->googleCredentials(), hub.state->historyFeed(), hub.state->clock());
        JobsModel model(hub.store, status);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(names(model), (QStringList { "Docs", "Photos" }));
        QCOMPARE(model.index(0).data(StatusRoles::StatusTextRole), "Not run yet");
        QPersistentModelIndex photosRow(model.index(1));

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        BackupJob renamed = docs;
        for (int i = 1; i <= 5; ++i) {
            renamed.name = QStringLiteral("Docs %1").arg(i);
            hub.store.replaceJob(renamed);
        }
        QVERIFY(changed.wait(int(test::integrationTimeout.count())));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(names(model), (QStringList { "Docs 5", "Photos" }));

        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        hub.store.deleteJob(docs.id);
        QVERIFY(removed.wait(int(test::integrationTimeout.count())));
        QCOMPARE(photosRow.row(), 0);
        QCOMPARE(photosRow.data(StatusRoles::IdRole).toUuid(), photos.id);
    }

    // A running copy's progress reaches the model no more often than every 100 ms, however often the
    // coordinator reports it; the run's row appears and ends with its phase.
    void activeRunsCoalesceProgress()
    {
        test::AppStateHarness hub;
        test::ScriptedRsync rsync;
        // The pause is a builtin's wait on a pipe nobody writes to: a sleep child each line would take
        // long to start at rsync's low priority on a busy machine.
        rsync.setBehaviour("ssd",
            "f=$(mktemp -u); mkfifo \"$f\"; exec 3<>\"$f\"; rm \"$f\"; "
            "i=0; while [ $i -lt 400 ]; do printf '      %d  50%%  1.00MB/s    0:00:01 (xfr#1, "
            "to-chk=1/2)\\r' "
            "$i; i=$((i+1)); read -t 0.005 -u 3; done");
        hub.settings([&](AppSettings& s) { s.rsyncPath = rsync.path(); });
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.build();
        ActiveRunsModel model(hub.state->coordinator());
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy reported(&hub.state->coordinator(), &BackupCoordinator::runChanged);
        QSignalSpy shown(&model, &QAbstractItemModel::dataChanged);
        QElapsedTimer elapsed;
        elapsed.start();
        hub.state->coordinator().enqueue(job, job.destinations[0], RunTrigger::manual);
        MV_TRY_COMPARE(model.rowCount(), 1);
        MV_TRY_COMPARE(model.index(0).data(ActiveRunsModel::PhaseRole).toInt(), int(RunPhase::completed));
        QVERIFY(shown.size() >= 1);
        QVERIFY(shown.size() <= reported.size());
        QVERIFY2(shown.size() <= elapsed.elapsed() / ActiveRunsModel::progressInterval.count() + 2,
            qPrintable(QStringLiteral("%1 updates in %2 ms").arg(shown.size()).arg(elapsed.elapsed())));
    }
};

QTEST_GUILESS_MAIN(tst_ViewModels)
#include "tst_ViewModels.moc"
