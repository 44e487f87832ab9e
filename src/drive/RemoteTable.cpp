#include "drive/RemoteTable.h"

#include <utility>

namespace mv::GoogleDriveEngine {

RemoteTable::RemoteTable(QList<GoogleDriveItem> listing)
    : m_listing(std::move(listing))
{
}

GoogleDriveItem RemoteTable::value(const QString& path) const
{
    const auto found = m_positions.constFind(path);
    return found == m_positions.constEnd() ? GoogleDriveItem() : m_listing[*found];
}

void RemoteTable::insert(const QString& path, const GoogleDriveItem& item)
{
    m_listing.append(item);
    m_positions.insert(path, m_listing.size() - 1);
}

void RemoteTable::insertListed(QString path, qsizetype position)
{
    m_positions.emplace(std::move(path), position);
}

void RemoteTable::squeeze()
{
    if (2 * size() >= m_listing.size())
        return;
    QList<GoogleDriveItem> own;
    own.reserve(size());
    for (qsizetype& position : m_positions) {
        own.append(m_listing.at(position)); // at(): [] would copy the shared listing first
        position = own.size() - 1;
    }
    m_listing = std::move(own);
}

RemoteTable::operator QHash<QString, GoogleDriveItem>() const
{
    QHash<QString, GoogleDriveItem> copies;
    copies.reserve(size());
    for (auto entry = m_positions.constBegin(); entry != m_positions.constEnd(); ++entry)
        copies.insert(entry.key(), m_listing[*entry]);
    return copies;
}

} // namespace mv::GoogleDriveEngine
