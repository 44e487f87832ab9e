// A first backup to Google Drive through the coordinator against curl sending the same bytes to the same
// fake Google server (in --sink mode, keeping only length and MD5): 1,000 files of 100 KB and one 256 MB
// file. The coordinator's path includes planning (sign-in, folders, quota, the source scan), hashing, the
// Drive listing, the uploads in 1 MiB pieces with their resume records, and the history row; curl only
// starts one session a file and sends the bytes (all starts in one process, all PUTs in a second). Prints
// both times and their ratio.

#include "coordination/BackupCoordinator.h"
#include "coordination/NotificationService.h"
#include "model/ConfigurationStore.h"
#include "model/HistoryRepository.h"
#include "support/GoogleFixture.h"

#include "support/CurlDrive.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include <qcoro/qcorotask.h>

using namespace mv;
using namespace mv::bench;

namespace {

constexpr int smallCount = 1'000;
constexpr qint64 smallSize = 100'000;
constexpr qint64 bigSize = qint64(256) << 20;
constexpr qint64 chunk = 1 << 20; // the program's upload piece

QString controlText(const QUrl& base, const QString& path, const QString& key)
{
    return QJsonDocument::fromJson(control(base, "POST", path, "{}")).object().value(key).toString();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The same requests with curl: every session start in one process, then every PUT in a second, the big
// file in the program's 1 MiB pieces.
double curlBaseline(const QUrl& base, const QString& source, const QString& scratch)
{
    control(base, "POST", "reset");
    const QString token = controlText(base, "oauth/token", "access_token");
    QElapsedTimer timer;
    timer.start();
    QString starts = startArguments(base, token, bigSize, "big.bin");
    for (int i = 0; i < smallCount; ++i)
        starts += "next\n" + startArguments(base, token, smallSize, QStringLiteral("f%1.bin").arg(i));
    writeFile(scratch + "/starts.cfg", starts.toUtf8());
    const QStringList sessions
        = QString::fromUtf8(curlConfig(scratch + "/starts.cfg")).split('\n', Qt::SkipEmptyParts);
    if (sessions.size() != smallCount + 1)
        qFatal("curl started %lld sessions", qlonglong(sessions.size()));
    QString puts;
    for (qint64 offset = 0; offset < bigSize; offset += chunk)
        puts += (offset ? "next\n" : "")
            + putArguments(sessions[0].trimmed(), scratch + "/piece.bin",
                QStringLiteral("bytes %1-%2/%3").arg(offset).arg(offset + chunk - 1).arg(bigSize));
    for (int i = 0; i < smallCount; ++i)
        puts += "next\n"
            + putArguments(sessions[i + 1].trimmed(), source + QStringLiteral("/f%1.bin").arg(i),
                QStringLiteral("bytes 0-%1/%2").arg(smallSize - 1).arg(smallSize));
    writeFile(scratch + "/puts.cfg", puts.toUtf8());
    curlConfig(scratch + "/puts.cfg");
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    QTemporaryDir dir;
    const QString support = dir.filePath("support");
    qputenv("MARROWVALE_SUPPORT_DIR", support.toUtf8());
    QProcess server;
    const QUrl base = startFakeGoogle(server, dir.path(), { "--sink" });

    // The source: the big file all "x", so curl can send it from one piece of the same bytes.
    const QString source = dir.filePath("source");
    QDir().mkpath(source);
    for (int i = 0; i < smallCount; ++i)
        writeFile(source + QStringLiteral("/f%1.bin").arg(i), QByteArray(smallSize, char('a' + i % 26)));
    {
        QFile big(source + "/big.bin");
        big.open(QIODevice::WriteOnly);
        const QByteArray piece(chunk, 'x');
        for (qint64 written = 0; written < bigSize; written += chunk)
            big.write(piece);
    }
    writeFile(dir.filePath("piece.bin"), QByteArray(chunk, 'x'));

    const double theirs = curlBaseline(base, source, dir.path());
    const qint64 bytes = smallCount * smallSize + bigSize;
    std::printf("first backup to Drive: %d files of %lld bytes and one of %lld bytes\n", smallCount,
        qlonglong(smallSize), qlonglong(bigSize));
    std::printf("  curl, two processes          %7.3f s (%.0f MB/s)\n", theirs, bytes / theirs / 1e6);

    // The program, signed in as a previous launch would have left it.
    control(base, "POST", "reset");
    ConfigurationStore store(support);
    HistoryRepository history(support + "/history.sqlite");
    NotificationService notifications; // never prepared: no notice is posted
    bench::GoogleFixture google(store, base, support);
    const QJsonObject client { { "installed",
        QJsonObject {
            { "client_id", "cid-123.apps.googleusercontent.com" }, { "client_secret", "s3cr+t/=&x" } } } };
    writeFile(dir.filePath("client.json"), QJsonDocument(client).toJson());
    if (!google.signIn(dir.filePath("client.json"), controlText(base, "oauth/issue", "refresh_token"),
            QStringLiteral("person@example.com")))
        qFatal("not signed in to the fake Google server");
    BackupCoordinator coordinator(store, history, notifications, google.services());
    BackupJob job = BackupJob::create(QDateTime::currentDateTimeUtc());
    job.name = QStringLiteral("Bench");
    job.source.path = source;
    BackupDestination destination = BackupDestination::create(job.createdAt);
    destination.name = QStringLiteral("Bench Drive");
    destination.kind = DestinationKind::googleDrive;
    destination.googleFolderName = QStringLiteral("Bench");
    job.destinations = { destination };
    store.addJob(job);

    QEventLoop loop;
    QObject::connect(&coordinator, &BackupCoordinator::runRecorded, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    coordinator.enqueue(job, destination, RunTrigger::manual, false);
    loop.exec();
    const double ours = timer.nsecsElapsed() / 1e9;

    const BackupRunRecord row = history.fetch(1, 0).front();
    std::printf("  coordinator                  %7.3f s (%.0f MB/s), result %s, %lld files, %lld bytes%s%s\n",
        ours, bytes / ours / 1e6, qPrintable(toString(row.result)), qlonglong(row.filesCopied),
        qlonglong(row.bytesTransferred), row.errorSummary ? ": " : "",
        row.errorSummary ? qPrintable(*row.errorSummary) : "");
    std::printf("  time ratio (ours/curl)       %7.2f\n", ours / theirs);
    const QJsonArray violations = QJsonDocument::fromJson(control(base, "GET", "violations")).array();
    std::printf("  fake server violations       %lld\n", qlonglong(violations.size()));
    server.terminate();
    server.waitForFinished(10000);
    return 0;
}
