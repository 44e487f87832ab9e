#include "ScriptedRsync.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace mv::test {

namespace {

const char script[] = R"script(#!/bin/bash
control='%1'
test=%2
if [ "$1" = "--version" ]; then
    echo "rsync  version 3.5.0  protocol version 32"
    exit 0
fi
case " $* " in *" --dry-run "*) exec /usr/bin/rsync "$@" ;; esac
target="${@: -1}"
folder=$(basename "$target")
if [[ $folder =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{4,6}$ ]]; then folder=$(basename "$(dirname "$target")"); fi
n=$(( $(cat "$control/$folder.count" 2>/dev/null || echo 0) + 1 ))
echo "$n" > "$control/$folder.count"
echo "$$" > "$control/$folder.pid"
if [ -f "$control/$folder.sh" ]; then . "$control/$folder.sh"; fi
exec /usr/bin/rsync "$@"
)script";

} // namespace

ScriptedRsync::ScriptedRsync()
    : m_path(m_dir.filePath(QStringLiteral("rsync")))
{
    QFile out(m_path);
    if (out.open(QIODevice::WriteOnly))
        out.write(
            QString::fromLatin1(script).arg(m_dir.path()).arg(QCoreApplication::applicationPid()).toUtf8());
    out.close();
    out.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void ScriptedRsync::setBehaviour(const QString& folder, const QString& bash) const
{
    QFile out(file(folder + QStringLiteral(".sh")));
    if (out.open(QIODevice::WriteOnly))
        out.write(bash.toUtf8() + '\n');
}

QString ScriptedRsync::holdUntilReleased()
{
    // Also ends once the test that set it is gone (killed at its time-out, say), so no stand-in is left
    // waiting forever.
    return QStringLiteral(
        "while [ ! -f \"$control/$folder.go\" ]; do kill -0 $test 2>/dev/null || exit 1; sleep 0.02; done");
}

void ScriptedRsync::release(const QString& folder) const
{
    QFile out(file(folder + QStringLiteral(".go")));
    out.open(QIODevice::WriteOnly);
}

QString ScriptedRsync::markReached(const QString& name)
{
    return QStringLiteral("touch \"$control/$folder.%1\"").arg(name);
}

bool ScriptedRsync::hasReached(const QString& folder, const QString& name) const
{
    return QFileInfo::exists(file(folder + u'.' + name));
}

int ScriptedRsync::attempts(const QString& folder) const
{
    QFile in(file(folder + QStringLiteral(".count")));
    return in.open(QIODevice::ReadOnly) ? in.readAll().trimmed().toInt() : 0;
}

qint64 ScriptedRsync::pid(const QString& folder) const
{
    QFile in(file(folder + QStringLiteral(".pid")));
    return in.open(QIODevice::ReadOnly) ? in.readAll().trimmed().toLongLong() : 0;
}

QString ScriptedRsync::file(const QString& name) const
{
    return m_dir.filePath(name);
}

} // namespace mv::test
