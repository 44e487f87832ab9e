#pragma once

#include "ui/models/support/SupportReport.h"
#include "ui/models/support/SystemFacts.h"

#include <QDateTime>
#include <QObject>

#include <optional>

#include <qcoro/qcorotask.h>

namespace mv {

struct ViewContext;
class Clock;

// The support page's report: gathered when asked, and again whenever the number of jobs or of recorded
// runs changes. rsync's version is read on a worker, so the page never waits on it; of gatherings that
// overlap, the one started last is the one kept. Lives on the main thread.
class SupportReportModel : public QObject {
    Q_OBJECT
public:
    SupportReportModel(ViewContext& context, Clock& clock, SystemFacts system = SystemFacts::current(),
        QObject* parent = nullptr);

    // None until the first gathering has ended; never cleared after that.
    const std::optional<SupportReport>& report() const { return m_report; }
    // Whether the gathering started last is still under way.
    bool isGathering() const { return m_gathering; }

    // Starts a gathering; reportChanged() when it is kept.
    void refresh();
    // Gathers a new report, keeps it unless a later gathering was started meanwhile, and answers it.
    QCoro::Task<SupportReport> gather();
    // The report held, or a newly gathered one when none is held yet.
    QCoro::Task<SupportReport> current();

Q_SIGNALS:
    void reportChanged();

private:
    void followCounts();

    ViewContext& m_context;
    Clock& m_clock;
    SystemFacts m_system;
    std::optional<SupportReport> m_report;
    quint64 m_started = 0; // gatherings started; only the newest one is kept
    bool m_gathering = false;
    qsizetype m_jobCount;
    qint64 m_totalRuns;
    std::optional<QDateTime> m_lastSuccess;
};

} // namespace mv
