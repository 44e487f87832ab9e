#include "drive/GoogleDriveRunController.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"

#include <QtTest>

using namespace mv;
using namespace std::chrono_literals;

namespace {

// A transfer that writes down each call and the controller's flags as it saw them: the controller holds
// no lock while it calls, so reading them from here must not hang.
class RecordingTask final : public TransferTask {
public:
    RecordingTask(QString name, QStringList& calls, const GoogleDriveRunController& controller)
        : m_name(std::move(name))
        , m_calls(calls)
        , m_controller(controller)
    {
    }
    void suspend() override { record(QStringLiteral("suspend")); }
    void resume() override { record(QStringLiteral("resume")); }
    void cancel() override { record(QStringLiteral("cancel")); }

private:
    void record(const QString& call)
    {
        m_calls << QStringLiteral("%1.%2%3%4")
                       .arg(m_name, call, m_controller.paused() ? QStringLiteral(" paused") : QString(),
                           m_controller.cancelled() ? QStringLiteral(" cancelled") : QString());
    }

    QString m_name;
    QStringList& m_calls;
    const GoogleDriveRunController& m_controller;
};

QCoro::Task<> markWhenDone(QCoro::Task<> task, bool& done)
{
    co_await task;
    done = true;
}

} // namespace

class tst_GoogleDriveRunController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stateTable_data()
    {
        // Operations: pause, resume, cancel, and "task" to register a new transfer (t1, t2, ...).
        QTest::addColumn<QStringList>("operations");
        QTest::addColumn<QList<bool>>("answers"); // of pause, resume and cancel, in order
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("paused");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("pause without a task")
            << QStringList { "pause" } << QList<bool> { true } << QStringList() << true << false;
        QTest::newRow("double pause")
            << QStringList { "task", "pause", "pause" } << QList<bool> { true, true }
            << QStringList { "t1.suspend paused", "t1.suspend paused" } << true << false;
        QTest::newRow("pause and resume")
            << QStringList { "task", "pause", "resume" } << QList<bool> { true, true }
            << QStringList { "t1.suspend paused", "t1.resume" } << false << false;
        QTest::newRow("resume while running") << QStringList { "task", "resume" } << QList<bool> { true }
                                              << QStringList { "t1.resume" } << false << false;
        QTest::newRow("cancel while running") << QStringList { "task", "cancel" } << QList<bool> { true }
                                              << QStringList { "t1.cancel cancelled" } << false << true;
        QTest::newRow("cancel while paused resumes the task first")
            << QStringList { "task", "pause", "cancel" } << QList<bool> { true, true }
            << QStringList { "t1.suspend paused", "t1.resume cancelled", "t1.cancel cancelled" } << false
            << true;
        QTest::newRow("cancel without a task")
            << QStringList { "cancel" } << QList<bool> { true } << QStringList() << false << true;
        QTest::newRow("second cancel")
            << QStringList { "task", "cancel", "cancel" } << QList<bool> { true, false }
            << QStringList { "t1.cancel cancelled" } << false << true;
        QTest::newRow("calls after cancel do nothing")
            << QStringList { "task", "cancel", "pause", "resume" } << QList<bool> { true, false, false }
            << QStringList { "t1.cancel cancelled" } << false << true;
        QTest::newRow("a task registered after cancel is cancelled")
            << QStringList { "cancel", "task" } << QList<bool> { true }
            << QStringList { "t1.cancel cancelled" } << false << true;
        QTest::newRow("a task registered while paused is suspended")
            << QStringList { "pause", "task" } << QList<bool> { true } << QStringList { "t1.suspend paused" }
            << true << false;
        QTest::newRow("only the last task is acted on")
            << QStringList { "task", "pause", "task", "cancel" } << QList<bool> { true, true }
            << QStringList { "t1.suspend paused", "t2.suspend paused", "t2.resume cancelled",
                   "t2.cancel cancelled" }
            << false << true;
    }

    void stateTable()
    {
        QFETCH(QStringList, operations);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, calls);
        QFETCH(bool, paused);
        QFETCH(bool, cancelled);
        GoogleDriveRunController controller;
        QSignalSpy changes(&controller, &GoogleDriveRunController::stateChanged);
        QStringList recorded;
        QList<bool> given;
        int tasks = 0;
        for (const QString& operation : operations) {
            if (operation == "task")
                controller.setCurrentTask(std::make_shared<RecordingTask>(
                    QStringLiteral("t%1").arg(++tasks), recorded, controller));
            else if (operation == "pause")
                given << controller.pause();
            else if (operation == "resume")
                given << controller.resume();
            else
                given << controller.cancel();
        }
        QCOMPARE(given, answers);
        QCOMPARE(recorded, calls);
        QCOMPARE(controller.paused(), paused);
        QCOMPARE(controller.cancelled(), cancelled);
        QCOMPARE(changes.size(), answers.count(true));
    }

    void pausedWaitEndsAtOnce_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("resume") << "resume";
        QTest::newRow("cancel") << "cancel";
    }

    void pausedWaitEndsAtOnce()
    {
        QFETCH(QString, ending);
        test::ManualClock clock;
        GoogleDriveRunController controller;
        QVERIFY(controller.pause());
        bool done = false;
        QCoro::Task<> waiting = markWhenDone(controller.waitWhilePaused(clock), done);
        for (int step = 0; step < 3; ++step) {
            clock.advance(GoogleDriveRunController::pausePoll);
            QCoreApplication::processEvents();
            QVERIFY(!done);
            QCOMPARE(clock.pendingAlarms(), 1); // looking again every 150 ms
        }
        QVERIFY(ending == "resume" ? controller.resume() : controller.cancel());
        MV_TRY_VERIFY(done); // without the clock moving
    }

    void aWaitWithoutPauseEndsAtOnce()
    {
        test::ManualClock clock;
        GoogleDriveRunController controller;
        bool done = false;
        QCoro::Task<> waiting = markWhenDone(controller.waitWhilePaused(clock), done);
        MV_TRY_VERIFY(done);
        QCOMPARE(clock.pendingAlarms(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_GoogleDriveRunController)
#include "tst_GoogleDriveRunController.moc"
