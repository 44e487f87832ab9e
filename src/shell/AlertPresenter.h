#pragma once

#include "model/BackupJob.h"
#include "shell/MirrorPreviewSheet.h"

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <optional>

namespace mv {

struct ViewContext;

// The one presenter of what the program asks a person to read or decide: the coordinator's issue, the
// banner, the mirror confirmation and the confirmation of a job's deletion. Each is shown once, over
// whichever registered window is on screen, however many windows are open, and closing it in any way
// clears its value. Dialogs are opened with open(), never exec().
class AlertPresenter : public QObject {
    Q_OBJECT
public:
    explicit AlertPresenter(ViewContext& context, QObject* parent = nullptr);
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
    QMessageBox* deleteConfirmation() const { return m_deleteConfirmation; }

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
    // Takes a deletion asked for (once: the same job can be asked for again) and asks to confirm it.
    void takeDeletionRequest();
    void showDeleteConfirmation();
    // Puts `dialog` on a host on screen and opens it there, unless it already shows on one.
    void place(QDialog* dialog);
    QMessageBox* makeAlert(QWidget* host);
    template <typename Dialog> void dismiss(QPointer<Dialog>& dialog);

    ViewContext& m_context;
    QList<QPointer<QWidget>> m_hosts; // the one shown last first
    QPointer<QMessageBox> m_issueAlert;
    QPointer<QMessageBox> m_bannerAlert;
    QPointer<MirrorPreviewSheet> m_mirrorSheet;
    QPointer<QMessageBox> m_deleteConfirmation;
    std::optional<BackupJob> m_jobToDelete; // the job the confirmation on screen, or waiting for one, names
    bool m_refreshQueued = false;
};

} // namespace mv
