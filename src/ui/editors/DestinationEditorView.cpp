#include "ui/editors/DestinationEditorView.h"

namespace mv {

DestinationEditorView::DestinationEditorView(DestinationEditorContext context, QString sourcePath,
    BackupMode defaultMode, BackupSchedule jobSchedule, AppState& app,
    std::function<void(const BackupDestination&)> onSave, std::function<void()> onCancel, QWidget* parent)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_sourcePath(std::move(sourcePath))
    , m_defaultMode(defaultMode)
    , m_jobSchedule(std::move(jobSchedule))
    , m_app(app)
    , m_onSave(std::move(onSave))
    , m_onCancel(std::move(onCancel))
{
}

} // namespace mv
