#include "engine/RsyncTransfer.h"

#include "engine/PlanBuilder.h"
#include "model/AppPaths.h"
#include "platform/WorkerPool.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcorofuture.h>

#include <unistd.h>

namespace mv {

namespace {

// The partial folder the plan made for rsync's temporary files goes again once the run has left it
// empty; what an interrupted run left there stays for the next run to resume.
QCoro::Task<> removeEmptyPartialFolder(RunPlan plan)
{
    if (plan.targetIsRemote)
        co_return;
    const QByteArray folder
        = QFile::encodeName(plan.targetPath + u'/' + QLatin1String(PlanBuilder::partialFolderName));
    QFuture<void> removing
        = QtConcurrent::run(&WorkerPool::instance(), [folder] { ::rmdir(folder.constData()); });
    co_await removing;
}

} // namespace

RsyncTransfer::RsyncTransfer(RunPlan plan, QString logPath, Clock& clock)
    : m_plan(std::move(plan))
    , m_logPath(std::move(logPath))
    , m_controller(clock)
{
    m_controller.recordChildrenIn(AppPaths::supportDirectory());
}

QCoro::Task<RsyncOutcome> RsyncTransfer::run(TransferListener& listener)
{
    // The listener outlives the run: the caller keeps it until this task has returned.
    auto onEvent = [&listener](const RsyncEvent& event) {
        if (event.sample)
            listener.sampled(*event.sample);
        else if (event.transferredName)
            listener.transferred(*event.transferredName);
    };
    auto running = m_controller.tryRun(m_plan, m_logPath, onEvent, [&listener] { listener.started(); });
    auto result = co_await running;
    auto tidying = removeEmptyPartialFolder(m_plan);
    co_await tidying;
    if (result)
        co_return std::move(*result);
    RsyncOutcome unstarted;
    unstarted.exitCode = -1;
    unstarted.errors = { result.error().description() };
    unstarted.logPath = m_logPath;
    co_return unstarted;
}

} // namespace mv
