#include "support/state/SteppedRun.h"

#include "support/state/AppStateHarness.h"

namespace mv::test {

namespace {

QString sample(int percent, int toCheck)
{
    return QStringLiteral("printf '      %1,000  %2%%  1.00MB/s    0:00:03 (xfr#1, to-chk=%3/4)\\r'\n")
        .arg(percent / 25)
        .arg(percent)
        .arg(toCheck);
}

} // namespace

SteppedRun::SteppedRun(AppStateHarness& hub)
{
    // The first wait ends at the release; its mark is taken away so that the second waits again.
    const QString wait = ScriptedRsync::holdUntilReleased() + QStringLiteral("\n");
    m_rsync.setBehaviour(QString::fromLatin1(folder),
        sample(25, 3) + wait + QStringLiteral("rm \"$control/$folder.go\"\n") + sample(50, 2) + wait);
    hub.settings([this](AppSettings& settings) { settings.rsyncPath = m_rsync.path(); });
    m_job = hub.addJob(QStringLiteral("Docs"), { { QString::fromLatin1(folder), BackupMode::incremental } });
}

void SteppedRun::step() const
{
    m_rsync.release(QString::fromLatin1(folder));
}

} // namespace mv::test
