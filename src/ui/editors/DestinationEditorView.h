#pragma once

#include "model/BackupDestination.h"
#include "model/BackupSchedule.h"
#include "model/Enumerations.h"
#include "ui/models/editors/DestinationEditorContext.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QWidget;

namespace mv {

struct ViewContext;
class DestinationEditorModel;
class DestinationKindPicker;
class DestinationKindTile;
class DestinationLocationSection;
class DestinationModeSection;
class DestinationScheduleSection;
class MVButton;
class Prompts;
class SymbolImage;
class TextLabel;

// The sheet in which one destination of the job open in the job editor is created or changed. It works on
// its own copy of the fields and hands the finished destination to `onSave`; it never writes the
// configuration itself.
class DestinationEditorView : public QDialog {
    Q_OBJECT
public:
    DestinationEditorView(DestinationEditorContext context, QString sourcePath, BackupMode defaultMode,
        BackupSchedule jobSchedule, ViewContext& views, std::function<void(const BackupDestination&)> onSave,
        std::function<void()> onCancel, QWidget* parent = nullptr);

    // The open panels of "Choose…" go through `prompts`; without it the choosers offer nothing.
    void setPrompts(Prompts& prompts) { m_prompts = &prompts; }

    DestinationEditorModel& model() const { return *m_model; }
    DestinationKindTile* kindTile() const { return m_tile; }
    QCheckBox* enabledSwitch() const { return m_enabled; }
    DestinationKindPicker* kindPicker() const { return m_kindPicker; }
    DestinationLocationSection* locationSection() const { return m_location; }
    DestinationScheduleSection* scheduleSection() const { return m_schedule; }
    DestinationModeSection* modeSection() const { return m_mode; }
    MVButton* cancelButton() const { return m_cancel; }
    MVButton* primaryButton() const { return m_primary; }
    // The footer's message as shown: the error, the test outcome or the hint.
    QString footerMessage() const;

    void chooseFolder();
    void chooseIdentity();
    void save();
    void cancel();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeFooter();
    void refresh();
    void refreshHeader();
    void refreshFooter();

    DestinationEditorModel* m_model;
    std::function<void(const BackupDestination&)> m_onSave;
    std::function<void()> m_onCancel;
    Prompts* m_prompts = nullptr;

    DestinationKindTile* m_tile = nullptr;
    TextLabel* m_title = nullptr;
    TextLabel* m_subtitle = nullptr;
    QCheckBox* m_enabled = nullptr;
    DestinationKindPicker* m_kindPicker = nullptr;
    DestinationLocationSection* m_location = nullptr;
    DestinationScheduleSection* m_schedule = nullptr;
    DestinationModeSection* m_mode = nullptr;
    TextLabel* m_error = nullptr;
    QWidget* m_outcome = nullptr;
    SymbolImage* m_outcomeSymbol = nullptr;
    TextLabel* m_outcomeText = nullptr;
    TextLabel* m_hint = nullptr;
    MVButton* m_cancel = nullptr;
    MVButton* m_primary = nullptr;
};

} // namespace mv
