// Listing 100,000 Drive items at 1,000 a page through GoogleDriveClient (token, request, strict decoding of
// every item) against fetching the same pages with curl and parsing them with python3's json module, both
// from the fake Google server in tests/fake_google in its synthetic mode. Alternating rounds; the medians
// and their ratio are printed.

#include "google/GoogleDriveClient.h"
#include "google/GoogleEndpoints.h"

#include "support/CurlDrive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <qcoro/qcorotask.h>

using namespace mv;
using namespace mv::bench;

namespace {

constexpr int itemCount = 100'000;
constexpr int rounds = 4;

// The baseline: one curl process a page, as a shell script would page, and json.loads on each body.
const char baselineScript[] = R"PY(
import json, subprocess, sys, urllib.parse
base, token = sys.argv[1], sys.argv[2]
count, page_token = 0, None
while True:
    query = {"q": "trashed = false", "pageSize": "1000", "spaces": "drive",
             "fields": "nextPageToken,files(id,name,mimeType,size,md5Checksum,modifiedTime,parents,trashed)"}
    if page_token is not None:
        query["pageToken"] = page_token
    url = base + "/drive/v3/files?" + urllib.parse.urlencode(query, quote_via=urllib.parse.quote)
    body = subprocess.run(["curl", "-sf", "-H", "Authorization: Bearer " + token, url], check=True,
                          capture_output=True).stdout
    page = json.loads(body)
    count += len(page["files"])
    page_token = page.get("nextPageToken")
    if page_token is None:
        break
print(count)
)PY";

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return (values[values.size() / 2] + values[(values.size() - 1) / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QProcess server;
    const QUrl base = startFakeGoogle(server, dir.path());
    control(
        base, "POST", "knobs", QByteArray("{\"drive.synthetic\": ") + QByteArray::number(itemCount) + "}");
    const QString token = QJsonDocument::fromJson(control(base, "POST", "oauth/token", "{}"))
                              .object()
                              .value("access_token")
                              .toString();

    QNetworkAccessManager network;
    GoogleDriveClient client(
        network, GoogleEndpoints::at(base).driveApiBase, [token]() -> QCoro::Task<QString> {
            const QString copy = token;
            co_return copy;
        });

    std::vector<double> program, baseline;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const QList<GoogleDriveItem> items = QCoro::waitFor(client.list("trashed = false", 1000));
        program.push_back(timer.nsecsElapsed() / 1e9);
        if (items.size() != itemCount)
            std::fprintf(stderr, "the client listed %lld items\n", qlonglong(items.size()));

        timer.restart();
        QProcess python;
        python.start("/usr/bin/python3", { "-c", baselineScript, base.toString(), token });
        python.waitForFinished(-1);
        baseline.push_back(timer.nsecsElapsed() / 1e9);
        if (python.readAllStandardOutput().trimmed().toInt() != itemCount)
            std::fprintf(stderr, "the baseline failed: %s\n", python.readAllStandardError().constData());
    }
    const double ours = median(program), theirs = median(baseline);
    std::printf("listing %d items, 1,000 a page, median of %d rounds\n", itemCount, rounds);
    std::printf("  GoogleDriveClient::list      %7.3f s\n", ours);
    std::printf("  curl + python3 json          %7.3f s\n", theirs);
    std::printf("  ratio (client / baseline)    %7.2f\n", ours / theirs);
    server.terminate();
    server.waitForFinished(10000);
    return 0;
}
