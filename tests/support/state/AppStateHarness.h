#pragma once

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "support/CountingSecretBackend.h"
#include "support/FakeBrowser.h"
#include "support/FileManagerServer.h"
#include "support/NotificationServer.h"
#include "support/PrivateBus.h"
#include "support/RecordingSystemLog.h"
#include "support/TempDir.h"
#include "ui/kit/ViewObjects.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace mv::test {

// A state hub as the program builds it, in a temporary support folder, with a notification server, a file
// manager and the wake watcher on a private bus, a keyring stand-in and real rsync.
struct AppStateHarness {
    TempSupportDir support;
    TempDir files;
    PrivateBus bus;
    NotificationServer server { bus };
    FileManagerServer fileManagerServer { bus };
    DesktopFileManager fileManager { bus.connection() };
    CountingSecretBackend secrets;
    FakeBrowser browser;
    RecordingSystemLog log;
    ConfigurationStore store { support.path() };
    // Where Google sign-in goes; set before build() (a fake Google server's address).
    GoogleEndpoints endpoints = GoogleEndpoints::at(QUrl(QStringLiteral("http://127.0.0.1:9")));
    std::optional<AppState> state;
    std::unique_ptr<ViewObjects> views;

    // Jobs are added before the hub is built, as a configuration on disk would hold them.
    void build();
    // What the views follow, made from the hub on first use: its commands are QActions, which only a
    // test with a GUI application may make.
    ViewContext& context();
    // A job whose source holds a.txt, with one destination folder (made under files) per entry.
    BackupJob addJob(const QString& name, const QList<std::pair<QString, BackupMode>>& destinations);
    std::vector<BackupRunRecord> rows();
    void settings(const std::function<void(AppSettings&)>& change);
};

} // namespace mv::test
