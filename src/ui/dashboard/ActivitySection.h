#pragma once

#include "model/BackupRunRecord.h"
#include "ui/models/shared/CoalescedCall.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QListView;
class QMenu;
class QMessageBox;
class QVBoxLayout;

namespace mv {

class ActivityInspector;
class ActivityListDelegate;
class ActivityListModel;
class Clock;
class DashboardModel;
class MenuButton;
class Prompts;
class TextField;
class TextLabel;
struct ViewContext;

// The run history: up to 500 runs that match the search, result and job filters, newest first, grouped by
// day, with the selected run in the inspector beside them and their sums below. It exports the history,
// clears it, deletes single entries after asking, and runs a run's job and destination again. It reads
// through the history feed: it loads when it appears (taking the dashboard's search text and any job handed
// over), when a filter changes and when the number of recorded runs changes.
class ActivitySection : public QWidget {
    Q_OBJECT
public:
    ActivitySection(ViewContext& context, DashboardModel& ui, Clock& clock, Prompts& prompts,
        std::function<void(const BackupRunRecord&)> showLog, QWidget* parent = nullptr);

    TextField* searchField() const { return m_search; }
    QComboBox* resultPicker() const { return m_resultPicker; }
    QComboBox* jobPicker() const { return m_jobPicker; }
    MenuButton* actionsButton() const { return m_actions; }
    ActivityInspector* inspector() const { return m_inspector; }
    const std::vector<BackupRunRecord>& records() const { return m_records; }
    const std::optional<QUuid>& selectedID() const { return m_selectedID; }
    const std::optional<QUuid>& jobFilter() const { return m_jobFilter; }
    // The list of runs under their day headers, and the view that shows it (hidden while the list is
    // empty).
    ActivityListModel* listModel() const { return m_model; }
    QListView* listView() const { return m_listView; }
    QStringList dayHeaders() const;
    // Whether the history was read since the page was made.
    bool hasLoaded() const { return m_loaded; }
    // The summary's four values: runs, copied, failed, transferred.
    QList<TextLabel*> summaryValues() const { return m_summaryValues; }
    void fillActionsMenu(QMenu& menu);
    // A run's menu in the list: its details, its log, the log file in the file manager, its deletion.
    void fillRowMenu(QMenu& menu, const BackupRunRecord& record);
    void select(const QUuid& id);

private:
    // What one read of the history brings back: the runs, and their list rows made on the worker.
    struct Load;

    void takeHandOver();
    void refreshJobPicker();
    void load();
    void applyLoad(Load load);
    void showList(Load load);
    void showRowMenu(const QPoint& position);
    void showSelection();
    void showSummary();
    void confirmClear();
    void confirmDelete(const BackupRunRecord& record);
    void runAgain(const BackupRunRecord& record);

    ViewContext& m_context;
    DashboardModel& m_ui;
    Clock& m_clock;
    Prompts& m_prompts;
    std::function<void(const BackupRunRecord&)> m_showLog;

    QString m_query;
    std::optional<RunResult> m_resultFilter;
    std::optional<QUuid> m_jobFilter;
    std::vector<BackupRunRecord> m_records;
    std::optional<QUuid> m_selectedID;
    qint64 m_totalRuns = -1;
    quint64 m_loadGeneration = 0; // only the newest read is shown

    TextField* m_search;
    QComboBox* m_resultPicker;
    QComboBox* m_jobPicker;
    QList<std::pair<QString, QUuid>> m_pickerJobs;
    MenuButton* m_actions;
    QVBoxLayout* m_listColumn;
    ActivityListModel* m_model;
    QListView* m_listView;
    ActivityListDelegate* m_delegate;
    QWidget* m_empty = nullptr;
    bool m_loaded = false;
    ActivityInspector* m_inspector;
    QList<TextLabel*> m_summaryValues;
    TextLabel* m_kept;
    QPointer<QMessageBox> m_clearBox;
    QPointer<QMessageBox> m_deleteBox;

    CoalescedCall m_load;
};

} // namespace mv
