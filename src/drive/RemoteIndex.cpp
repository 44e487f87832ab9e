#include "drive/RemoteIndex.h"

#include "drive/GoogleRunLog.h"
#include "google/GoogleDriveClient.h"

#include <QSet>

namespace mv::GoogleDriveEngine {

namespace {

// Resolves the paths of items by walking up their first parents, remembering what it learnt: the paths of
// the folders passed on the way, and identifiers that lead nowhere (no item, no parent, a cycle or a chain
// too long). Everything on a chain that leads nowhere leads nowhere too, so later items through it are
// settled at once. A cycle needs no test of its own: it never reaches a known path, so it ends at the depth
// limit with the same answer.
class PathResolver {
public:
    PathResolver(const QList<GoogleDriveItem>& items, const QString& rootID)
    {
        m_items.reserve(items.size());
        for (const GoogleDriveItem& item : items)
            m_items.insert(item.id, &item); // the one listed later is kept
        m_paths.insert(rootID, QString());
    }

    // The path below the root of the item listed under `id` (the later of two with one identifier), or none.
    std::optional<QString> resolve(const QString& id)
    {
        if (const auto known = m_paths.constFind(id); known != m_paths.constEnd())
            return *known;
        if (m_unresolvable.contains(id))
            return std::nullopt;
        const GoogleDriveItem& item = *m_items.value(id);
        // Climb from the item's parent until a known answer, keeping the chain climbed; depth 0 is the item.
        m_chain.clear();
        const QString* current = item.parents && !item.parents->isEmpty() ? &item.parents->first() : nullptr;
        if (!current) {
            m_unresolvable.insert(item.id);
            return std::nullopt;
        }
        const QString* base = nullptr;
        for (int depth = 1;; ++depth) {
            if (const auto known = m_paths.constFind(*current); known != m_paths.constEnd()) {
                base = &*known;
                break;
            }
            if (depth > maximumParentDepth || m_unresolvable.contains(*current))
                break;
            const GoogleDriveItem* parent = m_items.value(*current);
            if (!parent || !parent->parents || parent->parents->isEmpty()) {
                m_unresolvable.insert(*current);
                break;
            }
            m_chain.append(parent);
            current = &parent->parents->first();
        }
        if (!base) {
            m_unresolvable.insert(item.id);
            for (const GoogleDriveItem* parent : std::as_const(m_chain))
                m_unresolvable.insert(parent->id);
            return std::nullopt;
        }
        // Come back down, remembering the path of each folder passed. The item's own is not kept: most items
        // are files, never met again, and one that is met again as a parent is resolved alike.
        QString path = *base;
        for (qsizetype i = m_chain.size() - 1; i >= 0; --i) {
            const GoogleDriveItem* parent = m_chain[i];
            path = join(path, parent->name);
            m_paths.insert(parent->id, path);
        }
        return join(path, item.name);
    }

private:
    static QString join(const QString& parent, const QString& name)
    {
        return parent.isEmpty() ? name : parent + QLatin1Char('/') + name;
    }

    QHash<QString, const GoogleDriveItem*> m_items;
    QHash<QString, QString> m_paths;
    QSet<QString> m_unresolvable;
    QList<const GoogleDriveItem*> m_chain;
};

} // namespace

RemoteIndex makeIndex(const QList<GoogleDriveItem>& items, const QString& rootID)
{
    PathResolver resolver(items, rootID);
    RemoteIndex index;
    index.files.reserve(items.size());
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
