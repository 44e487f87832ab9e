#include "drive/RemoteIndex.h"

#include "drive/GoogleRunLog.h"
#include "google/GoogleDriveClient.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace mv::GoogleDriveEngine {

namespace {

// Room for twice the entries: QHash compares keys at every taken slot it probes, and each such key sits
// elsewhere in memory, so a sparser table meets fewer of them.
qsizetype sparse(qsizetype entries)
{
    return 2 * entries;
}

// Resolves the paths of items by walking up their first parents, remembering what it learnt: the paths of
// the folders passed on the way, and items that lead nowhere (no parent, a missing ancestor, a cycle or a
// chain too long). Everything on a chain that leads nowhere leads nowhere too, so later items through it are
// settled at once. A cycle needs no test of its own: it never reaches a known path, so it ends at the depth
// limit with the same answer.
//
// Items are known by their position in the listing, so that what is learnt about them sits in plain vectors
// rather than in hashes keyed by identifier; the listing outlives the resolver, so the one lookup by
// identifier keeps views of the listing's identifiers rather than copies.
class PathResolver {
public:
    PathResolver(const QList<GoogleDriveItem>& items, const QString& rootID)
        : m_items(items)
        , m_listed(std::size_t(items.size()))
        , m_state(std::size_t(items.size()), State::Unknown)
        , m_paths(std::size_t(items.size()))
    {
        m_byID.reserve(sparse(items.size()));
        for (qsizetype position = 0; position < items.size(); ++position) {
            const qsizetype known = m_byID.size();
            qsizetype& slot = m_byID[QStringView(items[position].id)];
            if (m_byID.size() == known)
                m_superseded.push_back(slot); // the one listed later is kept
            slot = position;
            m_listed[std::size_t(position)] = position;
        }
        // An earlier item with a shared identifier answers for the item the lookup keeps.
        for (const qsizetype earlier : std::as_const(m_superseded))
            m_listed[std::size_t(earlier)] = m_byID.value(QStringView(items[earlier].id));
        m_byID.insert(QStringView(rootID), root);
    }

    // The path below the root of the identifier of the item at `position`, taken from the later of two items
    // with one identifier, or none.
    std::optional<QString> resolve(qsizetype position)
    {
        const qsizetype kept = m_listed[std::size_t(position)];
        switch (m_state[std::size_t(kept)]) {
        case State::Resolved:
            return m_paths[std::size_t(kept)];
        case State::Unresolvable:
            return std::nullopt;
        case State::Unknown:
            break;
        }
        const GoogleDriveItem& item = m_items[kept];
        // Climb from the item's parent until a known answer, keeping the chain climbed; depth 0 is the item.
        m_chain.clear();
        const QString* current = firstParent(item);
        if (!current) {
            m_state[std::size_t(kept)] = State::Unresolvable;
            return std::nullopt;
        }
        const QString* base = nullptr;
        for (int depth = 1;; ++depth) {
            const qsizetype parent = m_byID.value(QStringView(*current), missing);
            if (parent == root) {
                base = &m_rootPath;
                break;
            }
            if (parent != missing && m_state[std::size_t(parent)] == State::Resolved) {
                base = &m_paths[std::size_t(parent)];
                break;
            }
            if (depth > maximumParentDepth || parent == missing
                || m_state[std::size_t(parent)] == State::Unresolvable)
                break;
            current = firstParent(m_items[parent]);
            if (!current) {
                m_state[std::size_t(parent)] = State::Unresolvable;
                break;
            }
            m_chain.push_back(parent);
        }
        if (!base) {
            m_state[std::size_t(kept)] = State::Unresolvable;
            for (const qsizetype parent : std::as_const(m_chain))
                m_state[std::size_t(parent)] = State::Unresolvable;
            return std::nullopt;
        }
        // Come back down, remembering the path of each folder passed. The item's own is not kept: most items
        // are files, never met again, and one that is met again as a parent is resolved alike.
        const QString* path = base;
        for (auto parent = m_chain.crbegin(); parent != m_chain.crend(); ++parent) {
            m_paths[std::size_t(*parent)] = join(*path, m_items[*parent].name);
            m_state[std::size_t(*parent)] = State::Resolved;
            path = &m_paths[std::size_t(*parent)];
        }
        return join(*path, item.name);
    }

private:
    enum class State : quint8 { Unknown, Resolved, Unresolvable };

    // Lookup answers besides a listing position.
    static constexpr qsizetype root = -1;
    static constexpr qsizetype missing = -2;

    static const QString* firstParent(const GoogleDriveItem& item)
    {
        return item.parents && !item.parents->isEmpty() ? &item.parents->first() : nullptr;
    }

    static QString join(const QString& parent, const QString& name)
    {
        if (parent.isEmpty())
            return name;
        QString joined;
        joined.reserve(parent.size() + 1 + name.size());
        joined.append(parent).append(QLatin1Char('/')).append(name);
        return joined;
    }

    const QList<GoogleDriveItem>& m_items;
    QHash<QStringView, qsizetype> m_byID; // identifier to the position of the last item listed with it
    // Position to the position of the item the lookup keeps for the same identifier.
    std::vector<qsizetype> m_listed;
    std::vector<qsizetype> m_superseded;
    std::vector<State> m_state; // by kept position
    std::vector<QString> m_paths; // by kept position, for the folders passed on the way
    std::vector<qsizetype> m_chain;
    const QString m_rootPath;
};

bool isFolder(const GoogleDriveItem& item)
{
    return item.mimeType == QLatin1String(GoogleDriveItem::folderMimeType);
}

} // namespace

RemoteIndex makeIndex(const QList<GoogleDriveItem>& items, const QString& rootID)
{
    PathResolver resolver(items, rootID);
    const auto folders = std::count_if(items.cbegin(), items.cend(), isFolder);
    RemoteIndex index { RemoteTable(items), RemoteTable(items) };
    index.files.reserve(sparse(items.size() - folders));
    index.folders.reserve(sparse(folders));
    for (qsizetype position = 0; position < items.size(); ++position) {
        const GoogleDriveItem& item = items[position];
        if (item.id == rootID || item.trashed.value_or(false))
            continue;
        std::optional<QString> path = resolver.resolve(position);
        if (!path || path->isEmpty())
            continue;
        (isFolder(item) ? index.folders : index.files).insertListed(std::move(*path), position);
    }
    index.files.squeeze();
    index.folders.squeeze();
    return index;
}

QCoro::Task<RemoteIndex> buildRemoteIndex(GoogleDriveClient& client, QString rootID, GoogleRunLog* log)
{
    if (log)
        log->append(QStringLiteral("INDEX reading the Drive folder tree"));
    auto listing = client.list(QStringLiteral("trashed = false"), GoogleDriveClient::maximumPageSize);
    const QList<GoogleDriveItem> items = co_await listing;
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
