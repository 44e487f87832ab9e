#pragma once

#include "ui/models/dashboard/DashboardSection.h"
#include "ui/models/support/SupportReportModel.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

#include <optional>

namespace mv {

struct ViewContext;
class Clock;
class DashboardModel;
class HelpDisclosure;
class Prompts;
class SectionHeader;
class SetupGuideCard;
class SupportActionBar;
class SystemDiagnosticsCard;

// The dashboard's Support section: the report's actions, the setup guide beside the diagnostics card, the
// troubleshooting topics and the privacy note. It gathers the support report when it is made and keeps it
// current as jobs are added or removed and runs are recorded; what an action did is said in an alert
// titled "Marrowvale". Its state (open topics, report) lives as long as the page.
class SupportSectionView : public QWidget {
    Q_OBJECT
public:
    SupportSectionView(
        ViewContext& context, DashboardModel& ui, Clock& clock, Prompts& prompts, QWidget* parent = nullptr);

    const SupportReportModel& reportModel() const { return m_report; }
    SupportActionBar* actionBar() const { return m_actionBar; }
    SetupGuideCard* setupCard() const { return m_setupCard; }
    SystemDiagnosticsCard* systemCard() const { return m_systemCard; }
    SectionHeader* troubleshootingHeader() const { return m_troubleshootingHeader; }
    const QList<HelpDisclosure*>& helpRows() const { return m_helpRows; }
    const QSet<QString>& expanded() const { return m_expanded; }

    // The sentence the alert shows, while it is shown.
    const std::optional<QString>& confirmation() const { return m_confirmation; }
    QMessageBox* confirmationAlert() const { return m_alert; }

    // The actions of the action bar.
    void copyReport();
    void saveReport();
    void checkRsync();
    void revealLogs();

private:
    QWidget* troubleshooting();
    QWidget* privacyNote();
    void toggle(const QString& id);
    void showReport();
    void confirm(const QString& text);
    QCoro::Task<> copyCurrentReport();
    QCoro::Task<> writeReport(QString path);
    QCoro::Task<> checkRsyncNow();
    // Switches the dashboard once the click that asked for it is over: the switch removes this page.
    void showSection(DashboardSection section);

    ViewContext& m_context;
    DashboardModel& m_ui;
    Clock& m_clock;
    Prompts& m_prompts;
    SupportReportModel m_report;
    SupportActionBar* m_actionBar;
    SetupGuideCard* m_setupCard;
    SystemDiagnosticsCard* m_systemCard;
    SectionHeader* m_troubleshootingHeader = nullptr;
    QList<HelpDisclosure*> m_helpRows;
    QSet<QString> m_expanded;
    std::optional<QString> m_confirmation;
    QPointer<QMessageBox> m_alert;
};

} // namespace mv
