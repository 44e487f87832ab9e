#pragma once

#include "ui/models/settings/NotificationPermissionWatch.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <optional>

class QTabWidget;

namespace mv {

class AdvancedSettingsTab;
struct ViewContext;
class BackupSettingsTab;
class GeneralSettingsTab;
class GoogleSettingsTab;
class NotificationSettingsTab;
class Prompts;

// The dashboard's Settings section: one tab a group of settings, opened on the tab the environment names
// (MARROWVALE_DEBUG_SETTINGS_TAB) or on General. Besides the tabs it probes the rsync version each time it
// comes on screen, asks for notification permission when a notification turns on, and holds the reset
// confirmation.
class SettingsSectionView : public QWidget {
    Q_OBJECT
public:
    SettingsSectionView(ViewContext& context, Prompts& prompts, QWidget* parent = nullptr);

    // The tag of the tab chosen; a tag no tab has shows the first tab.
    QString tab() const { return m_tab; }
    void setTab(const QString& tag);
    const std::optional<QString>& rsyncVersion() const { return m_rsyncVersion; }
    bool confirmReset() const { return m_confirmReset; }

    // Probes the version of the rsync the settings resolve to, off the main thread; versionLoaded() follows.
    void loadVersion();
    // Asks whether to reset every preference.
    void askToReset();

    QTabWidget* tabWidget() const { return m_tabs; }
    GeneralSettingsTab* generalTab() const { return m_general; }
    BackupSettingsTab* backupTab() const { return m_backup; }
    NotificationSettingsTab* notificationTab() const { return m_notifications; }
    GoogleSettingsTab* googleTab() const { return m_google; }
    AdvancedSettingsTab* advancedTab() const { return m_advanced; }
    QMessageBox* resetConfirmation() const { return m_resetConfirmation; }

Q_SIGNALS:
    void versionLoaded();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void paintTabSymbols();

    ViewContext& m_context;
    QTabWidget* m_tabs;
    GeneralSettingsTab* m_general;
    BackupSettingsTab* m_backup;
    NotificationSettingsTab* m_notifications;
    GoogleSettingsTab* m_google;
    AdvancedSettingsTab* m_advanced;
    NotificationPermissionWatch m_permissions;
    QString m_tab;
    std::optional<QString> m_rsyncVersion;
    bool m_confirmReset = false;
    QPointer<QMessageBox> m_resetConfirmation;
    quint64 m_versionGeneration = 0; // only the newest probe's answer is shown
};

} // namespace mv
