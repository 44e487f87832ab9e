#pragma once

#include "coordination/DestinationDisplayStatus.h"
#include "model/BackupJob.h"
#include "ui/models/CoalescedCall.h"

#include <QWidget>

#include <functional>
#include <vector>

class QVBoxLayout;

namespace mv {

class AppState;
class Clock;
class DestinationDetailRow;
class MVButton;
class Prompts;
class TextLabel;

// The Destinations page: how many destinations across how many jobs, "Check Now", and every destination of
// every job under its job's header, enabled or not. It keeps nothing of its own: each refresh reads the
// state hub, and a burst of changes is one refresh.
class DestinationsSection : public QWidget {
    Q_OBJECT
public:
    DestinationsSection(AppState& app, Clock& clock, Prompts& prompts,
        std::function<void(const BackupJob&)> openEditor, QWidget* parent = nullptr);

    QString countsText() const;
    MVButton* checkNowButton() const { return m_checkNow; }
    QList<DestinationDetailRow*> rows() const;
    void refresh();

private:
    AppState& m_app;
    Clock& m_clock;
    Prompts& m_prompts;
    std::function<void(const BackupJob&)> m_openEditor;
    TextLabel* m_counts;
    MVButton* m_checkNow;
    QVBoxLayout* m_page;
    QWidget* m_body = nullptr;
    // What the page was last built from, so an unchanged page keeps its rows (and an open menu).
    struct Shown {
        QList<BackupJob> jobs;
        std::vector<DestinationDisplayStatus> statuses;
        QStringList facts;
        bool operator==(const Shown&) const = default;
    };
    Shown m_shown;
    CoalescedCall m_refresh;
};

} // namespace mv
