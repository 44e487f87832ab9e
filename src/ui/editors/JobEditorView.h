#pragma once

#include "model/BackupDestination.h"
#include "ui/models/editors/JobEditorContext.h"
#include "ui/models/editors/JobEditorModel.h"

#include <QDialog>
#include <QPointer>
#include <QUrl>

#include <functional>

class QHBoxLayout;

namespace mv {

struct ViewContext;
class JobDestinationsSection;
class ElidedLabel;
class ExclusionsSection;
class JobScheduleSection;
class ModeSection;
class MVButton;
class NameAndSourceSection;
class Prompts;
class TagChip;
class TextLabel;
class TransferOptionsSection;

// Makes the sheet in which one destination is added or edited, over `parent`. The job editor opens it and
// hears back through `onSave` and `onCancel`.
using DestinationSheetFactory = std::function<QDialog*(const DestinationEditorContext& context,
    const QString& sourcePath, BackupMode defaultMode, const BackupSchedule& jobSchedule, ViewContext& views,
    std::function<void(const BackupDestination&)> onSave, std::function<void()> onCancel, QWidget* parent)>;

// The sheet in which a backup job is created or changed: a header naming what is edited, the sections
// (name and source, mode, schedule, destinations, exclusions, transfer options) in a scrolling column, and a
// footer with the last failed Save's message, Cancel (Escape) and Save (Return). It edits a draft; only a
// successful Save writes the job into the configuration and closes the sheet. A folder dropped anywhere on
// the sheet becomes the source.
class JobEditorView : public QDialog {
    Q_OBJECT
public:
    // `measure` sizes the source folder (by default a walk bounded in time and entries).
    JobEditorView(JobEditorContext context, ViewContext& views, Prompts& prompts, QWidget* parent = nullptr,
        SourceSizeMeasurement::Measure measure = {});

    // The destination editor the sheet opens; the real one unless a test answers in its place.
    void setDestinationSheetFactory(DestinationSheetFactory factory)
    {
        m_destinationSheets = std::move(factory);
    }

    JobEditorModel& model() { return m_model; }
    // Validates and writes the draft; closes the sheet when it was written.
    void save();
    // Takes dropped items: false for none; otherwise the first, once found to be a folder, becomes the
    // source.
    bool handleDrop(const QList<QUrl>& urls);
    bool isDropTarget() const { return m_dropTarget; }

    QString title() const;
    QString subtitle() const;
    // The mode chip of the header; hidden until there is a source.
    TagChip* modeChip() const { return m_modeChip; }
    // The footer's message, or its hint when there is none.
    QString footerText() const;
    MVButton* cancelButton() const { return m_cancel; }
    MVButton* saveButton() const { return m_save; }
    // The destination editor on screen; none when there is none.
    QDialog* destinationSheet() const { return m_destinationSheet; }

    NameAndSourceSection* nameAndSource() const { return m_nameAndSource; }
    ModeSection* modeSection() const { return m_modeSection; }
    JobScheduleSection* jobScheduleSection() const { return m_scheduleSection; }
    JobDestinationsSection* destinationsSection() const { return m_destinationsSection; }
    ExclusionsSection* exclusionsSection() const { return m_exclusionsSection; }
    TransferOptionsSection* optionsSection() const { return m_optionsSection; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeBody();
    QWidget* makeFooter();
    void refresh();
    void setDropTarget(bool targeted);
    void followDestinationEditor();

    ViewContext& m_context;
    Prompts& m_prompts;
    JobEditorModel m_model;
    DestinationSheetFactory m_destinationSheets;
    QPointer<QDialog> m_destinationSheet;
    bool m_dropTarget = false;
    bool m_shownOnce = false;

    QHBoxLayout* m_headerRow = nullptr;
    ElidedLabel* m_subtitle = nullptr;
    TagChip* m_modeChip = nullptr;
    QWidget* m_errorRow = nullptr;
    TextLabel* m_error = nullptr;
    TextLabel* m_hint = nullptr;
    MVButton* m_cancel = nullptr;
    MVButton* m_save = nullptr;
    NameAndSourceSection* m_nameAndSource = nullptr;
    ModeSection* m_modeSection = nullptr;
    JobScheduleSection* m_scheduleSection = nullptr;
    JobDestinationsSection* m_destinationsSection = nullptr;
    ExclusionsSection* m_exclusionsSection = nullptr;
    TransferOptionsSection* m_optionsSection = nullptr;
};

} // namespace mv
