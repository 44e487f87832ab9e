#include "ui/models/restore/RestoreEntryListModel.h"

#include "model/Format.h"
#include "ui/models/restore/RestoreTexts.h"

namespace mv {

RestoreEntryListModel::RestoreEntryListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

void RestoreEntryListModel::setEntries(const QList<RestoreEntry>& entries)
{
    if (entries == m_entries)
        return;
    beginResetModel();
    m_entries = entries;
    endResetModel();
}

void RestoreEntryListModel::setSelected(const QSet<QString>& selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    if (!m_entries.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_entries.size()) - 1), { Qt::CheckStateRole });
}

int RestoreEntryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant RestoreEntryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    const RestoreEntry& entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return entry.name;
    case Qt::ToolTipRole:
        return entry.path;
    case Qt::CheckStateRole:
        return m_selected.contains(entry.path) ? Qt::Checked : Qt::Unchecked;
    case PathRole:
        return entry.path;
    case IsDirectoryRole:
        return entry.isDirectory;
    case SizeTextRole:
        return entry.size ? QVariant(RestoreTexts::size(*entry.size)) : QVariant();
    case DateTextRole:
        return entry.modified ? QVariant(Format::mediumDateTime(*entry.modified)) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags RestoreEntryListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsUserCheckable;
}

QHash<int, QByteArray> RestoreEntryListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(PathRole, "path");
    names.insert(IsDirectoryRole, "isDirectory");
    names.insert(SizeTextRole, "sizeText");
    names.insert(DateTextRole, "dateText");
    return names;
}

} // namespace mv
