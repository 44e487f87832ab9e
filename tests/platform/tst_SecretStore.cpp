#include "platform/SecretStore.h"
#include "support/OwnKeyring.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

using namespace mv;
using namespace std::chrono_literals;

namespace {

const QString secretsName = "org.freedesktop.secrets";

// A process that owns `name` on the bus and never reads a message sent to it, until it is destroyed.
std::unique_ptr<QProcess, void (*)(QProcess*)> startSilentService(const QString& name)
{
    std::unique_ptr<QProcess, void (*)(QProcess*)> silent(new QProcess, [](QProcess* process) {
        process->closeWriteChannel();
        process->waitForFinished(10000);
        delete process;
    });
    silent->start("/usr/bin/python3",
        { "-c",
            "import dbus, sys\n"
            "dbus.SessionBus().request_name(sys.argv[1])\n"
            "print('ready', flush=True)\n"
            "sys.stdin.read()\n",
            name });
    while (!silent->canReadLine()) {
        if (!silent->waitForReadyRead(10000))
            return { nullptr, silent.get_deleter() };
    }
    return silent->readLine() == "ready\n" ? std::move(silent)
                                           : decltype(silent) { nullptr, silent.get_deleter() };
}

} // namespace

// Runs on a session bus of its own where nobody holds the Secret Service's name at first (see main): it takes
// over the name and locks the keyring, which would disturb tests sharing the runner's keyring.
class tst_SecretStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A keyring daemon that takes the calls and never answers (as one waiting on an unlock prompt).
    void aServiceThatNeverAnswersCannotHangTheCaller()
    {
        auto silent = startSilentService(secretsName);
        QVERIFY(silent);

        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(SecretStore::lookup("service", "account", 300ms), std::nullopt);
        QVERIFY(!SecretStore::store("service", "account", "secret", 300ms));
        QVERIFY(!SecretStore::remove("service", "account", 300ms));
        QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));

        silent.reset();
        QVERIFY(test::waitForSecretService(false));
    }

    void aStoreThatFailsKeepsTheOldSecret()
    {
        QVERIFY(test::startOwnKeyring());
        QVERIFY(SecretStore::store("service", "account", "first"));
        QVERIFY(test::lockDefaultKeyring());

        // Without an unlock prompt that can be shown, the locked keyring reads as empty and refuses the
        // store.
        QCOMPARE(SecretStore::lookup("service", "account"), std::nullopt);
        QVERIFY(!SecretStore::store("service", "account", "second"));

        QVERIFY(test::unlockDefaultKeyring());
        QCOMPARE(SecretStore::lookup("service", "account"), std::optional<QByteArray>("first"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    tst_SecretStore test;
    return test::execWithOwnKeyring(test, argc, argv, test::KeyringAtStart::none);
}

#include "tst_SecretStore.moc"
