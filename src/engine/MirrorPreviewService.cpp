#include "engine/MirrorPreviewService.h"

#include "engine/LogPath.h"
#include "engine/PreviewCollector.h"
#include "engine/RsyncProcessController.h"
#include "engine/RsyncRunError.h"
#include "engine/RunPlan.h"

#include <QFile>

#include <memory>

namespace mv::MirrorPreviewService {
namespace {

PreflightFailure failure(const QString& message, const QString& recovery)
{
    return PreflightFailure(QStringLiteral("Mirror preview failed"), message, recovery);
}

// The plan as a dry run that itemizes what it would change, before its source and target.
RunPlan dryRun(RunPlan plan)
{
    const qsizetype at = plan.arguments.size() >= 2 ? plan.arguments.size() - 2 : 0;
    plan.arguments.insert(at, QStringLiteral("--itemize-changes"));
    plan.arguments.insert(at, QStringLiteral("--dry-run"));
    plan.sourceChangedWhileCopying = false;
    return plan;
}

} // namespace

QCoro::Task<std::expected<MirrorPreview, PreflightFailure>> preview(RunPlan plan)
{
    RsyncProcessController controller;
    const QString logPath = LogPath::prepare(QStringLiteral("mirror-preview-"));
    const auto collector = std::make_shared<PreviewCollector>();
    const auto onEvent = [collector](const RsyncEvent& event) {
        if (event.deletion)
            collector->append(*event.deletion);
    };
    auto running = controller.tryRun(dryRun(std::move(plan)), logPath, onEvent);
    const auto outcome = co_await running;
    if (!outcome)
        co_return std::unexpected(
            failure(outcome.error().description(), QStringLiteral("Nothing was deleted.")));
    if (outcome->exitCode != 0)
        co_return std::unexpected(failure(outcome->firstError(),
            QStringLiteral("Nothing was deleted. Check the destination and try again.")));
    QFile::remove(logPath);
    co_return MirrorPreview { collector->deletions(), collector->total() };
}

} // namespace mv::MirrorPreviewService
