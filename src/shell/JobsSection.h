#pragma once

#include "ui/kit/IdentityWidgetList.h"
#include "ui/models/panel/JobsModel.h"

#include <QWidget>

#include <optional>

namespace mv {

class SectionHeader;
struct ViewContext;

// The panel's backup jobs in configuration order: a header with their number and a button that adds one,
// and one entry per job. The entries are made only while the section is shown: the panel is made soon after
// the launch even when nobody opens it, and thousands of unseen cards would hold the launch and the ending.
class JobsSection : public QWidget {
    Q_OBJECT
public:
    explicit JobsSection(ViewContext& context, QWidget* parent = nullptr);

    void setJobs(const QList<JobRow>& jobs);

    SectionHeader* header() const { return m_header; }
    const IdentityWidgetList<JobRow>& list() const { return m_list; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    SectionHeader* m_header;
    IdentityWidgetList<JobRow> m_list;
    // Rows given while hidden, shown at the next showing.
    std::optional<QList<JobRow>> m_pending;
};

} // namespace mv
