#pragma once

#include "shell/MirrorPreviewSheet.h"

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>

namespace mv {

class AppState;

// The one presenter of what the state asks a person to read or decide: the coordinator's issue, the banner
// and the mirror confirmation. Each is shown once, over whichever registered window is on screen, however
// many windows are open, and closing it in any way clears its value on the state. Dialogs are opened with
// open(), never exec().
class AlertPresenter : public QObject {
    Q_OBJECT
public:
    explicit AlertPresenter(AppState& state, QObject* parent = nullptr);
    ~AlertPresenter() override;

    // A window that can carry the alerts (the panel, the dashboard). The host is the active one of those on
    // screen, else the one shown last; an alert stays on its window while that is on screen and moves when
    // it goes. A window that is destroyed is forgotten on its own.
    void addHost(QWidget* window);
    void removeHost(QWidget* window);

    // What is shown now, or null.
    QMessageBox* issueAlert() const { return m_issueAlert; }
    QMessageBox* bannerAlert() const { return m_bannerAlert; }
    MirrorPreviewSheet* mirrorSheet() const { return m_mirrorSheet; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* currentHost() const;
    bool isShownHost(const QWidget* window) const;
    void refreshSoon();
    void refresh();
    void showIssue();
    void showBanner();
    void showMirrorPrompt();
    // Puts `dialog` on a host on screen and opens it there, unless it already shows on one.
    void place(QDialog* dialog);
    QMessageBox* makeAlert(QWidget* host);
    template <typename Dialog> void dismiss(QPointer<Dialog>& dialog);

    AppState& m_state;
    QList<QPointer<QWidget>> m_hosts; // the one shown last first
    QPointer<QMessageBox> m_issueAlert;
    QPointer<QMessageBox> m_bannerAlert;
    QPointer<MirrorPreviewSheet> m_mirrorSheet;
    bool m_refreshQueued = false;
};

} // namespace mv
