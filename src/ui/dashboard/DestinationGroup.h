#pragma once

#include "model/BackupJob.h"
#include "ui/kit/IdentityWidgetList.h"

#include <QWidget>

#include <functional>

class QVBoxLayout;

namespace mv {

class Clock;
class DestinationDetailRow;
class Prompts;
class SectionHeader;
struct ViewContext;

// One job on the Destinations page: its name and number of destinations over a card with a row for each
// destination, each row kept by the destination's identity.
class DestinationGroup : public QWidget {
    Q_OBJECT
public:
    DestinationGroup(ViewContext& context, Clock& clock, Prompts& prompts, const BackupJob& job,
        std::function<void(const BackupJob&)> openEditor, QWidget* parent = nullptr);

    // The same job as the configuration now has it.
    void setJob(const BackupJob& job);
    QList<DestinationDetailRow*> rows() const;

private:
    // One destination as the card shows it; the first row has no divider above it.
    struct Entry {
        BackupJob job;
        BackupDestination destination;
        bool first = false;
    };
    EntryWidget<Entry> makeRow(const Entry& entry, QWidget* parent);
    void showHeader(const BackupJob& job);

    ViewContext& m_context;
    Clock& m_clock;
    Prompts& m_prompts;
    std::function<void(const BackupJob&)> m_openEditor;
    QVBoxLayout* m_column;
    SectionHeader* m_header = nullptr;
    QString m_headerName;
    QWidget* m_card;
    IdentityWidgetList<Entry> m_rows;
};

} // namespace mv
