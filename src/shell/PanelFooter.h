#pragma once

#include "model/BackupRunRecord.h"
#include "ui/kit/IdentityWidgetList.h"

#include <QWidget>

#include <optional>

namespace mv {

class Hairline;
class IconButton;
class MVButton;
class PlainButton;
struct ViewContext;

// The panel's bottom: the last run as a row that opens its job's activity (only when there is one), and
// the buttons that add a job, open the dashboard or its activity, and quit. It follows the history's newest
// runs by itself.
class PanelFooter : public QWidget {
    Q_OBJECT
public:
    explicit PanelFooter(ViewContext& context, QWidget* parent = nullptr);

    // The run that started last, or none.
    void setLastRun(const std::optional<BackupRunRecord>& record);

    PlainButton* lastRunButton() const { return m_lastRunButton; }
    MVButton* addButton() const { return m_add; }
    IconButton* dashboardButton() const { return m_dashboard; }
    IconButton* activityButton() const { return m_activity; }
    IconButton* quitButton() const { return m_quit; }

private:
    void showNewestRun();

    ViewContext& m_context;
    std::optional<BackupRunRecord> m_lastRun;
    PlainButton* m_lastRunButton;
    IdentityWidgetList<BackupRunRecord> m_lastRunRow;
    Hairline* m_lastRunRule;
    MVButton* m_add;
    IconButton* m_dashboard;
    IconButton* m_activity;
    IconButton* m_quit;
};

} // namespace mv
