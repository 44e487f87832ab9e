#pragma once

#include "model/BackupRunRecord.h"

#include <QAction>
#include <QUuid>

#include "ui/kit/CardSurface.h"

#include <functional>
#include <optional>

class QMenu;
class QVBoxLayout;

namespace mv {

class Clock;
class MenuButton;
class MVButton;
class Prompts;
class TextLabel;

// The column beside the Activity list: the selected run's result, job, destination and place, its details,
// its error, its actions and a preview of the end of its log; "Select a run" when nothing is selected. The
// preview is read again only when another run is selected.
class ActivityInspector : public CardSurface {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(const BackupRunRecord&)> showLog;
        std::function<void(const BackupRunRecord&)> remove;
        std::function<void(const BackupRunRecord&)> runAgain;
    };

    ActivityInspector(Clock& clock, Prompts& prompts, Actions actions, QWidget* parent = nullptr);

    void setRecord(const std::optional<BackupRunRecord>& record);
    const std::optional<BackupRunRecord>& record() const { return m_record; }
    // What the log preview holds; empty shows the placeholder.
    const QString& logTail() const { return m_logTail; }
    QString logPreviewText() const;
    MVButton* openLogButton() const { return m_openLog; }
    MenuButton* moreButton() const { return m_more; }
    void fillMenu(QMenu& menu);

private:
    void rebuild();
    QWidget* placeholder();
    QWidget* header(const BackupRunRecord& record);
    QWidget* details(const BackupRunRecord& record);
    QWidget* errorBox(const QString& error, RunResult result);
    QWidget* actions(const BackupRunRecord& record);
    QWidget* logPreview();

    Clock& m_clock;
    Prompts& m_prompts;
    Actions m_actions;
    std::optional<BackupRunRecord> m_record;
    std::optional<QUuid> m_loadedID;
    QString m_logTail;
    QAction m_reveal;
    QAction m_runAgain;
    QAction m_delete;
    QVBoxLayout* m_layout;
    QWidget* m_content = nullptr;
    MVButton* m_openLog = nullptr;
    MenuButton* m_more = nullptr;
    TextLabel* m_preview = nullptr;
};

} // namespace mv
