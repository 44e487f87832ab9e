#pragma once

#include "model/BackupJob.h"
#include "ui/kit/IdentityWidgetList.h"
#include "ui/models/shared/CoalescedCall.h"

#include <QWidget>

#include <functional>

class QVBoxLayout;

namespace mv {

class Clock;
class DestinationDetailRow;
class MVButton;
class Prompts;
class TextLabel;
struct ViewContext;

// The Destinations page: how many destinations across how many jobs, "Check Now", and every destination of
// every job under its job's header, enabled or not. It follows the configuration, a burst of changes being
// one refresh, and keeps each job's group and each destination's row by identity; a row follows its
// destination's status itself.
class DestinationsSection : public QWidget {
    Q_OBJECT
public:
    DestinationsSection(ViewContext& context, Clock& clock, Prompts& prompts,
        std::function<void(const BackupJob&)> openEditor, QWidget* parent = nullptr);

    QString countsText() const;
    MVButton* checkNowButton() const { return m_checkNow; }
    // The rows in the order shown.
    QList<DestinationDetailRow*> rows() const;
    void refresh();

private:
    EntryWidget<BackupJob> makeGroup(const BackupJob& job, QWidget* parent);

    ViewContext& m_context;
    Clock& m_clock;
    Prompts& m_prompts;
    std::function<void(const BackupJob&)> m_openEditor;
    TextLabel* m_counts;
    MVButton* m_checkNow;
    QVBoxLayout* m_page;
    IdentityWidgetList<BackupJob> m_groups;
    QWidget* m_empty = nullptr; // only while there is no job
    CoalescedCall m_refresh;
};

} // namespace mv
