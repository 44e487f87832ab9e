#pragma once

#include "model/BackupDestination.h"
#include "model/BackupSchedule.h"
#include "model/Enumerations.h"
#include "ui/models/DestinationEditorContext.h"

#include <QDialog>

#include <functional>

namespace mv {

class AppState;

// The sheet in which one destination of the job open in the job editor is created or changed. It works on
// its own copy of the fields and hands the finished destination to `onSave`; it never writes the
// configuration itself.
class DestinationEditorView : public QDialog {
    Q_OBJECT
public:
    DestinationEditorView(DestinationEditorContext context, QString sourcePath, BackupMode defaultMode,
        BackupSchedule jobSchedule, AppState& app, std::function<void(const BackupDestination&)> onSave,
        std::function<void()> onCancel, QWidget* parent = nullptr);

private:
    DestinationEditorContext m_context;
    QString m_sourcePath;
    BackupMode m_defaultMode;
    BackupSchedule m_jobSchedule;
    AppState& m_app;
    std::function<void(const BackupDestination&)> m_onSave;
    std::function<void()> m_onCancel;
};

} // namespace mv
