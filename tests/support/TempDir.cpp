#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace mv::test {

TempDir::TempDir()
{
    if (!m_dir.isValid())
        qFatal("cannot create a temporary folder: %s", qPrintable(m_dir.errorString()));
}

QString TempDir::filePath(const QString& relative) const
{
    return m_dir.filePath(relative);
}

QString TempDir::write(const QString& relative, const QByteArray& bytes) const
{
    const QString path = filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString TempDir::mkdir(const QString& relative) const
{
    const QString path = filePath(relative);
    if (!QDir().mkpath(path))
        qFatal("cannot create %s", qPrintable(path));
    return path;
}

QByteArray TempDir::read(const QString& absolutePath)
{
    QFile file(absolutePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

TempSupportDir::TempSupportDir()
    : m_hadPrevious(qEnvironmentVariableIsSet("MARROWVALE_SUPPORT_DIR"))
{
    m_previous = qgetenv("MARROWVALE_SUPPORT_DIR");
    qputenv("MARROWVALE_SUPPORT_DIR", path().toUtf8());
}

TempSupportDir::~TempSupportDir()
{
    if (m_hadPrevious)
        qputenv("MARROWVALE_SUPPORT_DIR", m_previous);
    else
        qunsetenv("MARROWVALE_SUPPORT_DIR");
}

} // namespace mv::test
