#include "engine/PreflightFailure.h"
#include "engine/RsyncRunError.h"
#include "google/GoogleAuthError.h"
#include "google/GoogleDriveError.h"
#include "model/FileSystemError.h"
#include "model/PathValidationError.h"
#include "platform/DescribedError.h"

#include <QtTest>

#include <functional>
#include <stdexcept>

using namespace mv;
using Thrower = std::function<void()>;
Q_DECLARE_METATYPE(Thrower)

class tst_DescribedError : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void describesAnyCaughtError_data();
    void describesAnyCaughtError();
};

void tst_DescribedError::describesAnyCaughtError_data()
{
    QTest::addColumn<Thrower>("thrower");
    QTest::addColumn<QString>("expected");

    QTest::newRow("file system") << Thrower([] {
        throw FileSystemError::folderNotCreated(QStringLiteral("/b"), QStringLiteral("no"));
    }) << QStringLiteral("The folder “/b” could not be created: no.");
    QTest::newRow("path validation, without its recovery") << Thrower([] {
        throw PathValidationError(QStringLiteral("Not a folder."), QStringLiteral("Choose another."));
    }) << QStringLiteral("Not a folder.");
    QTest::newRow("preflight, with its recovery") << Thrower([] {
        throw PreflightFailure(
            QStringLiteral("Cannot run"), QStringLiteral("Disk full."), QStringLiteral("Free space."));
    }) << QStringLiteral("Disk full. Free space.");
    QTest::newRow("rsync launch") << Thrower([] {
        throw RsyncRunError::launchFailed(QStringLiteral("No memory."));
    }) << QStringLiteral("rsync could not start. No memory.");
    QTest::newRow("rsync not executable")
        << Thrower([] { throw RsyncRunError::notExecutable(QStringLiteral("/bin/rsync")); })
        << QStringLiteral("/bin/rsync is not executable.");
    QTest::newRow("drive") << Thrower([] {
        throw GoogleDriveError::api(404, QStringLiteral("File not found."));
    }) << QStringLiteral("Google Drive returned HTTP 404. File not found.");
    QTest::newRow("listing truncated")
        << Thrower([] { throw GoogleListingTruncatedError(); })
        << QStringLiteral("The Drive folder listing has more than 250,000 items "
                          "and cannot be indexed safely.");
    QTest::newRow("sign-in") << Thrower([] { throw GoogleAuthError(GoogleAuthError::Kind::notConfigured); })
                             << QStringLiteral("Google sign-in is not configured. Import the OAuth client "
                                               "JSON in Settings.");
    QTest::newRow("keyring, whose payload is the text")
        << Thrower([] { throw GoogleAuthError(GoogleAuthError::Kind::keyring, QStringLiteral("Locked.")); })
        << QStringLiteral("Locked.");
    QTest::newRow("transport") << Thrower([] {
        throw GoogleTransportError(QStringLiteral("Connection refused."), true);
    }) << QStringLiteral("Connection refused.");
    QTest::newRow("decoding") << Thrower([] {
        throw GoogleDecodingError(QStringLiteral("files[0].id: a string is required"));
    }) << QStringLiteral("files[0].id: a string is required");
    QTest::newRow("standard exception") << Thrower([] { throw std::runtime_error("Out of “memory”."); })
                                        << QStringLiteral("Out of “memory”.");
    QTest::newRow("not an exception")
        << Thrower([] { throw 42; }) << QStringLiteral("An unknown error occurred.");
}

void tst_DescribedError::describesAnyCaughtError()
{
    QFETCH(Thrower, thrower);
    QFETCH(QString, expected);

    std::exception_ptr caught;
    try {
        thrower();
    } catch (...) {
        caught = std::current_exception();
    }
    QVERIFY(caught);
    QCOMPARE(describeError(caught), expected);

    // Logs and older callers read what(): it must say the same as the description.
    try {
        std::rethrow_exception(caught);
    } catch (const DescribedError& error) {
        QCOMPARE(QString::fromUtf8(error.what()), error.description());
    } catch (...) {
        // Not one of ours: its text was compared above.
    }
}

QTEST_GUILESS_MAIN(tst_DescribedError)
#include "tst_DescribedError.moc"
