#include "drive/RemoteIndex.h"

#include "drive/GoogleRunLog.h"
#include "google/GoogleDriveClient.h"

#include <QSet>

namespace mv::GoogleDriveEngine {

namespace {

// Resolves the paths of items by walking up their first parents, remembering what it learnt: paths found,
// and identifiers that lead nowhere (no item, no parent, a cycle or a chain too long). Everything on a chain
// that leads nowhere leads nowhere too, so later items through it are settled at once.
class PathResolver {
public:
    PathResolver(const QList<GoogleDriveItem>& items, const QString& rootID)
    {
        m_items.reserve(items.size());
        for (const GoogleDriveItem& item : items)
            m_items.insert(item.id, &item); // the one listed later is kept
        m_paths.reserve(items.size() + 1);
        m_paths.insert(rootID, QString());
    }

    // The item's path below the root, or none.
    std::optional<QString> resolve(const QString& id)
    {
        // Climb until a known answer, keeping the chain climbed; depth 0 is the item itself.
        m_chain.clear();
        m_onChain.clear();
        QString current = id;
        std::optional<QString> base;
        for (int depth = 0;; ++depth) {
            if (const auto known = m_paths.constFind(current); known != m_paths.constEnd()) {
                base = *known;
                break;
            }
            if (m_unresolvable.contains(current) || m_onChain.contains(current) || depth > maximumParentDepth)
                break;
            const GoogleDriveItem* item = m_items.value(current);
            if (!item || !item->parents || item->parents->isEmpty()) {
                m_unresolvable.insert(current);
                break;
            }
            m_chain.append(item);
            m_onChain.insert(current);
            current = item->parents->first();
        }
        if (!base) {
            for (const GoogleDriveItem* item : std::as_const(m_chain))
                m_unresolvable.insert(item->id);
            return std::nullopt;
        }
        // Come back down, naming each item below the one whose path was known.
        QString path = *base;
        for (qsizetype i = m_chain.size() - 1; i >= 0; --i) {
            const GoogleDriveItem* item = m_chain[i];
            path = path.isEmpty() ? item->name : path + QLatin1Char('/') + item->name;
            m_paths.insert(item->id, path);
        }
        return path;
    }

private:
    QHash<QString, const GoogleDriveItem*> m_items;
    QHash<QString, QString> m_paths;
    QSet<QString> m_unresolvable;
    QList<const GoogleDriveItem*> m_chain;
    QSet<QString> m_onChain;
};

} // namespace

RemoteIndex makeIndex(const QList<GoogleDriveItem>& items, const QString& rootID)
{
    PathResolver resolver(items, rootID);
    RemoteIndex index;
    for (const GoogleDriveItem& item : items) {
        if (item.id == rootID || item.trashed.value_or(false))
            continue;
        const std::optional<QString> path = resolver.resolve(item.id);
        if (!path || path->isEmpty())
            continue;
        if (item.mimeType == QLatin1String(GoogleDriveItem::folderMimeType))
            index.folders.insert(*path, item);
        else
            index.files.insert(*path, item);
    }
    return index;
}

QCoro::Task<RemoteIndex> buildRemoteIndex(GoogleDriveClient& client, QString rootID, GoogleRunLog* log)
{
    if (log)
        log->append(QStringLiteral("INDEX reading the Drive folder tree"));
    const QList<GoogleDriveItem> items
        = co_await client.list(QStringLiteral("trashed = false"), GoogleDriveClient::maximumPageSize);
    if (log)
        log->append(QStringLiteral("INDEX %1 Drive item(s) visible").arg(items.size()));
    RemoteIndex index = makeIndex(items, rootID);
    if (log)
        log->append(QStringLiteral("INDEX ready (%1 folders, %2 files)")
                        .arg(index.folders.size())
                        .arg(index.files.size()));
    co_return index;
}

QString lastComponent(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && path[end - 1] == QLatin1Char('/'))
        --end;
    if (end == 0)
        return path;
    const qsizetype start = path.lastIndexOf(QLatin1Char('/'), end - 1) + 1;
    return path.mid(start, end - start);
}

} // namespace mv::GoogleDriveEngine
