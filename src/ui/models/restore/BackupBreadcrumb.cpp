#include "ui/models/restore/BackupBreadcrumb.h"

#include "model/PathValidation.h"

#include <QDir>

namespace mv::BackupBreadcrumb {

namespace {

// `path` is `root` or lies below it, going by whole path components.
bool within(const QString& path, const QString& root)
{
    if (root.isEmpty() || !path.startsWith(root))
        return false;
    return path.size() == root.size() || root.endsWith(QLatin1Char('/')) || path.at(root.size()) == '/';
}

} // namespace

QStringList relativeComponents(const QString& root, const QString& current)
{
    if (root.isEmpty())
        return {};
    const QString normalRoot = PathValidation::normalize(root);
    const QString normalCurrent = PathValidation::normalize(current);
    if (!within(normalCurrent, normalRoot))
        return {};
    return normalCurrent.mid(normalRoot.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QString componentPath(const QString& root, const QStringList& components, qsizetype index)
{
    return root + QLatin1Char('/') + components.mid(0, index + 1).join(QLatin1Char('/'));
}

std::optional<QString> parentWithin(const QString& root, const QString& current)
{
    const QString cleaned = QDir::cleanPath(current);
    const qsizetype slash = cleaned.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return std::nullopt;
    const QString parent = slash == 0 ? QStringLiteral("/") : cleaned.left(slash);
    if (parent == cleaned || !within(parent, QDir::cleanPath(root)))
        return std::nullopt;
    return parent;
}

} // namespace mv::BackupBreadcrumb
