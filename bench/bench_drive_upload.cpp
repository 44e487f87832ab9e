// Uploads to the fake Google server in --sink mode (it keeps only length and MD5) through
// GoogleDriveUploader against curl sending the same requests: one 1 GiB file in 1 MiB Content-Range PUTs
// on one keep-alive connection, then 10,000 files of 10 KB (a session start and one PUT each, curl doing
// all starts in one process and all PUTs in a second). Prints times, ratios, the connections the program
// used and its peak memory.

#include "google/GoogleDriveUploader.h"
#include "google/GoogleEndpoints.h"
#include "google/GoogleResumeStore.h"
#include "platform/Clock.h"

#include "support/CurlDrive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

#include <qcoro/qcorotask.h>

using namespace mv;
using namespace mv::bench;

namespace {

constexpr qint64 bigSize = qint64(1) << 30;
constexpr qint64 chunk = 1 << 20;
constexpr int smallCount = 10'000;
constexpr int smallSize = 10'000;

long peakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void writeText(const QString& path, const QString& text)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    QTemporaryDir dir;
    QProcess server;
    const QUrl base = startFakeGoogle(server, dir.path(), { "--sink" });
    // A reset forgets the tokens too: one is issued again after each.
    const auto token = std::make_shared<QString>();
    const auto reset = [&] {
        control(base, "POST", "reset");
        *token = QJsonDocument::fromJson(control(base, "POST", "oauth/token", "{}"))
                     .object()
                     .value("access_token")
                     .toString();
    };

    // The big file, written a mebibyte at a time.
    const QString bigPath = dir.filePath("big.bin");
    {
        QFile big(bigPath);
        big.open(QIODevice::WriteOnly);
        QByteArray block(chunk, 'x');
        for (qint64 written = 0; written < bigSize; written += chunk)
            big.write(block);
    }
    const QString part = dir.filePath("part.bin");
    {
        QFile file(part);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(chunk, 'x'));
    }

    GoogleDriveUploader uploader(
        GoogleEndpoints::at(base).uploadBase,
        [token]() -> QCoro::Task<QString> {
            const QString copy = *token;
            co_return copy;
        },
        {}, Clock::system());
    GoogleResumeStore store { QString() };
    const long memoryBefore = peakKilobytes();

    reset();
    QElapsedTimer timer;
    timer.start();
    QCoro::waitFor(uploader.upload(bigPath, "big.bin", "root", std::nullopt,
        GoogleUploadResume { &store, "big", bigSize, std::nullopt, std::nullopt }, nullptr, [](qint64) {}));
    const double ours = timer.nsecsElapsed() / 1e9;
    QSet<int> connections;
    for (const QJsonValue& entry : QJsonDocument::fromJson(control(base, "GET", "journal")).array()) {
        if (entry.toObject().value("method").toString() == "PUT")
            connections.insert(entry.toObject().value("connection").toInt());
    }

    reset();
    timer.restart();
    writeText(dir.filePath("start.cfg"), startArguments(base, *token, bigSize, "big.bin"));
    const QString session = QString::fromUtf8(curlConfig(dir.filePath("start.cfg"))).trimmed();
    QString puts;
    for (qint64 offset = 0; offset < bigSize; offset += chunk) {
        if (offset)
            puts += "next\n";
        puts += putArguments(
            session, part, QStringLiteral("bytes %1-%2/%3").arg(offset).arg(offset + chunk - 1).arg(bigSize));
    }
    writeText(dir.filePath("puts.cfg"), puts);
    curlConfig(dir.filePath("puts.cfg"));
    const double theirs = timer.nsecsElapsed() / 1e9;

    std::printf("1 GiB in 1 MiB pieces to the sink\n");
    std::printf("  GoogleDriveUploader          %7.3f s (%.0f MB/s), PUT connections: %lld\n", ours,
        bigSize / ours / 1e6, qlonglong(connections.size()));
    std::printf("  curl, one connection         %7.3f s (%.0f MB/s)\n", theirs, bigSize / theirs / 1e6);
    std::printf("  throughput ratio (ours/curl) %7.2f (goal >= 0.9)\n", theirs / ours);
    std::printf(
        "  peak memory                  %ld KB before, %ld KB after\n", memoryBefore, peakKilobytes());

    // Small files: each its own session.
    const QString smallPath = dir.filePath("small.bin");
    {
        QFile small(smallPath);
        small.open(QIODevice::WriteOnly);
        small.write(QByteArray(smallSize, 's'));
    }
    reset();
    timer.restart();
    for (int i = 0; i < smallCount; ++i)
        QCoro::waitFor(uploader.upload(smallPath, QStringLiteral("f%1.bin").arg(i), "root", std::nullopt,
            GoogleUploadResume { &store, QString::number(i), smallSize, std::nullopt, std::nullopt }, nullptr,
            [](qint64) {}));
    const double oursSmall = timer.nsecsElapsed() / 1e9;

    reset();
    timer.restart();
    QString starts;
    for (int i = 0; i < smallCount; ++i)
        starts += (i ? "next\n" : "")
            + startArguments(base, *token, smallSize, QStringLiteral("f%1.bin").arg(i));
    writeText(dir.filePath("starts.cfg"), starts);
    const QStringList sessions
        = QString::fromUtf8(curlConfig(dir.filePath("starts.cfg"))).split('\n', Qt::SkipEmptyParts);
    QString smallPuts;
    for (int i = 0; i < sessions.size(); ++i)
        smallPuts += (i ? "next\n" : "")
            + putArguments(sessions[i].trimmed(), smallPath,
                QStringLiteral("bytes 0-%1/%2").arg(smallSize - 1).arg(smallSize));
    writeText(dir.filePath("smallputs.cfg"), smallPuts);
    curlConfig(dir.filePath("smallputs.cfg"));
    const double theirsSmall = timer.nsecsElapsed() / 1e9;

    std::printf("%d files of %d bytes\n", smallCount, smallSize);
    std::printf("  GoogleDriveUploader          %7.3f ms a file\n", oursSmall * 1000 / smallCount);
    std::printf("  curl, two processes          %7.3f ms a file (%lld sessions)\n",
        theirsSmall * 1000 / smallCount, qlonglong(sessions.size()));
    std::printf("  time ratio (ours/curl)       %7.2f (goal <= 1.5)\n", oursSmall / theirsSmall);
    const QJsonArray violations = QJsonDocument::fromJson(control(base, "GET", "violations")).array();
    std::printf("  fake server violations       %lld\n", qlonglong(violations.size()));
    server.terminate();
    server.waitForFinished(10000);
    return 0;
}
