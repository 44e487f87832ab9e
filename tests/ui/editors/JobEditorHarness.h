#pragma once

#include "model/ConfigurationStore.h"
#include "model/DirectoryTools.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/RecordingPrompts.h"
#include "ui/editors/JobEditorView.h"

#include <QDialog>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSemaphore>

#include <memory>
#include <optional>

namespace mv::test {

// Stands in for the destination editor: a plain dialog, answered by the test with a destination or Cancel.
struct AnsweringSheets {
    std::optional<DestinationEditorContext> context;
    std::function<void(const BackupDestination&)> onSave;
    std::function<void()> onCancel;
    QString sourcePath;
    BackupMode defaultMode = BackupMode::incremental;
    BackupSchedule jobSchedule;

    DestinationSheetFactory factory()
    {
        return [this](const DestinationEditorContext& opened, const QString& source, BackupMode mode,
                   const BackupSchedule& schedule, ViewContext&,
                   std::function<void(const BackupDestination&)> save, std::function<void()> cancel,
                   QWidget* parent) {
            context = opened;
            sourcePath = source;
            defaultMode = mode;
            jobSchedule = schedule;
            onSave = std::move(save);
            onCancel = std::move(cancel);
            return new QDialog(parent);
        };
    }
};

// A measurement of the real folder that waits until the test lets it go, so "Measuring…" can be seen.
struct GatedSize {
    std::shared_ptr<QSemaphore> gate = std::make_shared<QSemaphore>();

    SourceSizeMeasurement::Measure function() const
    {
        return [gate = gate](const QString& path) {
            gate->acquire();
            return DirectoryTools::quickSize(path, 1.2);
        };
    }
};

// A job editor sheet on a state hub, with recorded panels and a stand-in destination editor. Jobs are added
// to the hub before open().
struct JobEditorHarness {
    AppStateHarness hub;
    RecordingPrompts prompts;
    AnsweringSheets sheets;
    std::unique_ptr<JobEditorView> view;

    void build() { hub.build(); }

    JobEditorView& open(const JobEditorContext& context, SourceSizeMeasurement::Measure measure = {})
    {
        if (!hub.state)
            hub.build();
        view = std::make_unique<JobEditorView>(context, hub.context(), prompts, nullptr, std::move(measure));
        view->setDestinationSheetFactory(sheets.factory());
        view->show();
        return *view;
    }

    QByteArray configBytes() const
    {
        return TempDir::read(hub.support.filePath(QStringLiteral("config.json")));
    }
    QJsonObject config() const { return QJsonDocument::fromJson(configBytes()).object(); }
};

} // namespace mv::test
