#pragma once

#include "shell/IdentityWidgetList.h"
#include "ui/models/JobsModel.h"

#include <QWidget>

namespace mv {

class AppState;
class SectionHeader;

// The panel's backup jobs in configuration order: a header with their number and a button that adds one,
// and one entry per job.
class JobsSection : public QWidget {
    Q_OBJECT
public:
    JobsSection(AppState& state, QWidget* parent = nullptr);

    void setJobs(const QList<JobRow>& jobs);

    SectionHeader* header() const { return m_header; }
    const IdentityWidgetList<JobRow>& list() const { return m_list; }

private:
    SectionHeader* m_header;
    IdentityWidgetList<JobRow> m_list;
};

} // namespace mv
