#pragma once

#include "ui/models/restore/RestoreEntry.h"

#include <QAbstractListModel>
#include <QList>
#include <QSet>

namespace mv {

// The rows of the restore browser: one per listed entry, with its name, whether it is ticked, and the size
// and date texts it shows. A new listing resets the rows; a change of the selection only repaints the ticks.
class RestoreEntryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        PathRole = Qt::UserRole + 1,
        IsDirectoryRole,
        SizeTextRole, // none for a folder
        DateTextRole, // none without a date
    };

    explicit RestoreEntryListModel(QObject* parent = nullptr);

    void setEntries(const QList<RestoreEntry>& entries);
    void setSelected(const QSet<QString>& selected);
    const RestoreEntry& entry(int row) const { return m_entries.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<RestoreEntry> m_entries;
    QSet<QString> m_selected;
};

} // namespace mv
