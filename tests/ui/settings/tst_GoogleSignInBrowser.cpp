#include "coordination/AppState.h"
#include "google/GoogleCredentialStore.h"
#include "platform/UrlOpener.h"
#include "support/ExecutableScript.h"
#include "support/FakeGoogleServer.h"
#include "support/FakeGoogleSuite.h"
#include "support/IntegrationTimeout.h"
#include "support/LoopbackHttp.h"
#include "support/TaskOutcome.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/RecordingPrompts.h"
#include "support/ui/Screenshots.h"
#include "support/ui/VisibleTexts.h"
#include "support/ui/XvfbDisplay.h"
#include "ui/kit/DesktopUrlOpener.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/settings/GoogleSettingsTab.h"
#include "ui/settings/SettingsSectionView.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTabWidget>
#include <QUrlQuery>
#include <QtTest>

using namespace mv;

namespace {

const QString noBrowserText
    = "Marrowvale could not open your web browser. Open this address in a browser to sign in:";

// The desktop a sign-in finds: PATH holds only an empty folder (no xdg-open, no browser), and $BROWSER names
// `browser` when one is given. The earlier environment comes back at the end of the scope.
class Desktop {
public:
    Desktop(const test::TempDir& emptyFolder, const QString& browser)
    {
        set("PATH", QFile::encodeName(emptyFolder.path()));
        set("DEFAULT_BROWSER", std::nullopt);
        set("BROWSER", browser.isEmpty() ? std::nullopt : std::optional(QFile::encodeName(browser)));
    }
    ~Desktop()
    {
        for (const auto& [name, value] : m_earlier) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
    }

private:
    void set(const char* name, const std::optional<QByteArray>& value)
    {
        m_earlier.append(
            { name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt });
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }

    QList<std::pair<const char*, std::optional<QByteArray>>> m_earlier;
};

// The Google tab on a state hub that opens pages as the program does, with the fake server's client
// imported.
struct Page {
    explicit Page(const test::FakeGoogleServer& server)
        : opener(xdgOpen)
    {
        hub.state.emplace(hub.store,
            AppEnvironment { Clock::system(), hub.bus.connection(), hub.bus.connection(), hub.secrets, opener,
                hub.fileManager, hub.log, GoogleEndpoints::at(server.baseUrl()) });
    }

    GoogleSettingsTab& open()
    {
        const QString client = hub.files.write("client.json",
            QJsonDocument(QJsonObject { { "installed",
                              QJsonObject { { "client_id", test::FakeGoogleServer::clientID },
                                  { "client_secret", test::FakeGoogleServer::clientSecret } } } })
                .toJson());
        if (test::waitForOutcome(hub.state->googleAuth().importClientFile(client)).error)
            qFatal("the fake server's client was not imported");
        view.emplace(hub.context(), prompts);
        view->resize(780, 620);
        view->show();
        view->tabWidget()->setCurrentIndex(3);
        return *view->googleTab();
    }

    test::AppStateHarness hub;
    XdgOpenUrlOpener xdgOpen;
    DesktopUrlOpener opener;
    test::RecordingPrompts prompts;
    std::optional<SettingsSectionView> view;
};

void click(QWidget* widget)
{
    QVERIFY(widget->isVisible());
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

quint16 redirectPort(const QString& address)
{
    const QUrlQuery query(QUrl(address, QUrl::StrictMode));
    return quint16(QUrl(query.queryItemValue("redirect_uri", QUrl::FullyDecoded)).port());
}

// Google's page opened as a browser would: it redirects to the program's listener, which answers.
void visit(const QString& address)
{
    const test::LoopbackAnswer google = test::loopbackRequest(QUrl(address, QUrl::StrictMode));
    QCOMPARE(google.status, 302);
    const test::LoopbackAnswer listener
        = test::loopbackRequest(QUrl(QString::fromUtf8(google.header("Location")), QUrl::StrictMode));
    QCOMPARE(listener.status, 200);
}

} // namespace

// The sign-in's browser as the program opens it, on a real X server: Qt's desktop services with $BROWSER,
// and what Settings offers when nothing could be opened.
class tst_GoogleSignInBrowser : public test::FakeGoogleSuite {
    Q_OBJECT

    test::TempDir m_emptyFolder;

private Q_SLOTS:
    // With neither a browser nor xdg-open the tab says so at once and shows Google's page, selectable; the
    // page opened by hand completes the sign-in.
    void noBrowserShowsTheAddress()
    {
        Page page(m_server);
        GoogleSettingsTab& tab = page.open();
        const Desktop desktop(m_emptyFolder, {});
        click(tab.signInButton());
        QVERIFY(test::visibleTexts(tab).contains("Waiting for Google…"));
        QVERIFY(tab.cancelSignInButton()->isVisible());
        QVERIFY(tab.errorLabel()->isVisible());
        QCOMPARE(tab.errorLabel()->text(), noBrowserText);
        TextField* field = tab.signInAddressField();
        QVERIFY(field->isVisible());
        QVERIFY(field->text().startsWith(m_server.baseUrl().toString() + "/o/oauth2/v2/auth?client_id="));
        QVERIFY(test::saveLightAndDark(*page.view, "settings-google-no-browser"));
        QVERIFY(field->lineEdit()->isReadOnly());
        field->lineEdit()->selectAll();
        QCOMPARE(field->lineEdit()->selectedText(), field->text());

        visit(field->text());
        MV_TRY_VERIFY(tab.signOutButton()->isVisible());
        QCOMPARE(tab.accountRow()->detailLabel()->text(), "person@example.com");
        QVERIFY(!tab.errorLabel()->isVisible());
        QVERIFY(!field->isVisible());
    }

    // Cancel ends the wait: the tab offers the sign-in again, the listener's port is closed and nothing is
    // stored.
    void cancelClosesTheListener()
    {
        Page page(m_server);
        GoogleSettingsTab& tab = page.open();
        const Desktop desktop(m_emptyFolder, {});
        click(tab.signInButton());
        const quint16 port = redirectPort(tab.signInAddressField()->text());
        QVERIFY(!test::connectionRefused(port));

        click(tab.cancelSignInButton());
        QVERIFY(tab.signInButton()->isVisible());
        QVERIFY(!test::visibleTexts(tab).contains("Waiting for Google…"));
        QVERIFY(!tab.errorLabel()->isVisible());
        QVERIFY(!tab.signInAddressField()->isVisible());
        MV_TRY_VERIFY(test::connectionRefused(port));
        QCOMPARE(page.hub.secrets.stored(GoogleCredentialStore::refreshToken), std::nullopt);
        QCOMPARE(tab.accountRow()->detailLabel()->text(), "Not signed in");
    }

    // Without xdg-open, Qt's desktop services start the browser that $BROWSER names with Google's page.
    void browserVariableIsHonoured()
    {
        test::TempDir folder;
        const QString opened = folder.filePath("opened");
        // It keeps the page it was given, written whole before it appears under its name.
        const QString browser = test::executableScript(folder, "browser",
            QStringLiteral("printf '%s\\n' \"$1\" > '%1.part' && exec /bin/mv '%1.part' '%1'")
                .arg(opened)
                .toUtf8());
        Page page(m_server);
        GoogleSettingsTab& tab = page.open();
        const Desktop desktop(m_emptyFolder, browser);
        click(tab.signInButton());
        QVERIFY(test::visibleTexts(tab).contains("Waiting for Google…"));
        QVERIFY(!tab.errorLabel()->isVisible());
        QVERIFY(!tab.signInAddressField()->isVisible());

        MV_TRY_VERIFY(QFile::exists(opened));
        const QString address = QString::fromUtf8(test::TempDir::read(opened)).trimmed();
        QVERIFY(address.startsWith(m_server.baseUrl().toString() + "/o/oauth2/v2/auth?client_id="));
        visit(address);
        MV_TRY_VERIFY(tab.signOutButton()->isVisible());
        QCOMPARE(tab.accountRow()->detailLabel()->text(), "person@example.com");
    }
};

int main(int argc, char** argv)
{
    mv::test::XvfbDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "tst_GoogleSignInBrowser: Xvfb could not be started\n");
        return 1;
    }
    QApplication app(argc, argv);
    tst_GoogleSignInBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_GoogleSignInBrowser.moc"
