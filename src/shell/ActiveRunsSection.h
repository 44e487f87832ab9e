#pragma once

#include "model/ActiveRun.h"
#include "ui/kit/IdentityWidgetList.h"
#include "ui/models/shared/CoalescedCall.h"

#include <QWidget>

namespace mv {

class ActiveRunsModel;
class PlainButton;
class SectionHeader;
class TextLabel;
struct ViewContext;

// The panel's runs in progress, oldest first: a header with their number and one entry per run. Beyond two
// runs only the first two are listed, with a button that lists them all from then on. It follows the run
// list: a run's coming, going or change of phase lists the live runs again, and a sample of a run's figures
// goes to that run's card alone. Hidden while nothing runs.
class ActiveRunsSection : public QWidget {
    Q_OBJECT
public:
    static constexpr int cap = 2;

    explicit ActiveRunsSection(ViewContext& context, QWidget* parent = nullptr);

    // Shows `runs` (the live runs, oldest start first).
    void setRuns(const QList<ActiveRun>& runs);
    bool showsAllRuns() const { return m_showAll; }

    const IdentityWidgetList<ActiveRun>& list() const { return m_list; }
    PlainButton* showMoreButton() const { return m_showMore; }

private:
    void showFigures(const RunKey& key);

    ActiveRunsModel& m_source;
    SectionHeader* m_header;
    IdentityWidgetList<ActiveRun> m_list;
    PlainButton* m_showMore;
    TextLabel* m_showMoreText;
    QList<ActiveRun> m_runs;
    // Once asked for, every run is listed for as long as the panel lives.
    bool m_showAll = false;
    CoalescedCall m_membership;
};

} // namespace mv
