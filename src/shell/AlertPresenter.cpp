#include "shell/AlertPresenter.h"

#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "shell/MirrorPreviewSheet.h"
#include "ui/kit/Confirmation.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/shared/ViewContext.h"

#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

namespace mv {

namespace {

// The issue's title; "Something needs attention" when there is none to name it.
QString issueTitle(const std::optional<CoordinatorIssue>& issue)
{
    if (!issue || issue->title.isEmpty())
        return QStringLiteral("Something needs attention");
    return issue->title;
}

// The message, then after a blank line the recovery when there is one.
QString issueMessage(const std::optional<CoordinatorIssue>& issue)
{
    if (!issue)
        return {};
    QStringList parts { issue->message };
    if (issue->recovery)
        parts << *issue->recovery;
    return parts.join(QStringLiteral("\n\n"));
}

} // namespace

template <typename Dialog> void AlertPresenter::dismiss(QPointer<Dialog>& dialog)
{
    if (!dialog)
        return;
    // Closed because its value went: nothing more to clear.
    disconnect(dialog, nullptr, this, nullptr);
    dialog->hide();
    dialog->deleteLater();
    dialog = nullptr;
}

AlertPresenter::AlertPresenter(ViewContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context)
{
    connect(&m_context.jobs, &JobActions::issueChanged, this, &AlertPresenter::showIssue);
    connect(&m_context.requests, &ProgramRequests::bannerChanged, this, &AlertPresenter::showBanner);
    connect(&m_context.jobs, &JobActions::mirrorPromptChanged, this, &AlertPresenter::showMirrorPrompt);
    connect(&m_context.jobs, &JobActions::pendingDeletionChanged, this, &AlertPresenter::takeDeletionRequest);
    takeDeletionRequest();
}

AlertPresenter::~AlertPresenter()
{
    // The dialogs belong to their hosts; without a presenter nobody would clear what they show.
    dismiss(m_issueAlert);
    dismiss(m_bannerAlert);
    dismiss(m_mirrorSheet);
    dismiss(m_deleteConfirmation);
}

void AlertPresenter::addHost(QWidget* window)
{
    if (!window || m_hosts.contains(window))
        return;
    m_hosts.append(window);
    window->installEventFilter(this);
    connect(window, &QObject::destroyed, this, &AlertPresenter::refreshSoon);
    refreshSoon();
}

void AlertPresenter::removeHost(QWidget* window)
{
    if (!m_hosts.removeAll(window))
        return;
    window->removeEventFilter(this);
    disconnect(window, nullptr, this, nullptr);
    refreshSoon();
}

bool AlertPresenter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show) {
        // The window shown last comes first when none is active.
        const qsizetype at = m_hosts.indexOf(qobject_cast<QWidget*>(watched));
        if (at > 0)
            m_hosts.move(at, 0);
    }
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
        refreshSoon();
    return QObject::eventFilter(watched, event);
}

QWidget* AlertPresenter::currentHost() const
{
    for (const QPointer<QWidget>& host : m_hosts) {
        if (isShownHost(host) && host->isActiveWindow())
            return host;
    }
    for (const QPointer<QWidget>& host : m_hosts) {
        if (isShownHost(host))
            return host;
    }
    return nullptr;
}

bool AlertPresenter::isShownHost(const QWidget* window) const
{
    return window && m_hosts.contains(window) && window->isVisible();
}

void AlertPresenter::refreshSoon()
{
    // A window that shows or hides is settled only after its event: look again then, once per burst.
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshQueued = false;
        refresh();
    });
}

void AlertPresenter::refresh()
{
    m_hosts.removeAll(nullptr);
    showIssue();
    showBanner();
    showMirrorPrompt();
    showDeleteConfirmation();
}

void AlertPresenter::showIssue()
{
    const std::optional<CoordinatorIssue>& issue = m_context.jobs.issue();
    if (!issue) {
        dismiss(m_issueAlert);
        return;
    }
    if (!m_issueAlert) {
        QWidget* host = currentHost();
        if (!host)
            return;
        m_issueAlert = makeAlert(host);
        connect(m_issueAlert, &QDialog::finished, this, [this] { m_context.jobs.setIssue(std::nullopt); });
    }
    // A new issue replaces the one shown.
    m_issueAlert->setText(issueTitle(issue));
    m_issueAlert->setInformativeText(issueMessage(issue));
    place(m_issueAlert);
}

void AlertPresenter::showBanner()
{
    const std::optional<QString>& banner = m_context.requests.banner();
    if (!banner) {
        dismiss(m_bannerAlert);
        return;
    }
    if (!m_bannerAlert) {
        QWidget* host = currentHost();
        if (!host)
            return;
        m_bannerAlert = makeAlert(host);
        m_bannerAlert->setText(QStringLiteral("Marrowvale"));
        connect(
            m_bannerAlert, &QDialog::finished, this, [this] { m_context.requests.setBanner(std::nullopt); });
    }
    m_bannerAlert->setInformativeText(*banner);
    place(m_bannerAlert);
}

void AlertPresenter::showMirrorPrompt()
{
    const std::optional<MirrorPrompt>& prompt = m_context.jobs.mirrorPrompt();
    if (m_mirrorSheet && (!prompt || prompt->id != m_mirrorSheet->prompt().id))
        dismiss(m_mirrorSheet);
    if (!prompt)
        return;
    if (!m_mirrorSheet) {
        QWidget* host = currentHost();
        if (!host)
            return;
        m_mirrorSheet = new MirrorPreviewSheet(*prompt, m_context.jobs, host);
        const QUuid id = prompt->id;
        connect(m_mirrorSheet, &QDialog::finished, this, [this, id] {
            // Closed in any way: the prompt it showed is answered.
            const std::optional<MirrorPrompt>& shown = m_context.jobs.mirrorPrompt();
            if (shown && shown->id == id)
                m_context.jobs.setMirrorPrompt(std::nullopt);
        });
    }
    place(m_mirrorSheet);
}

void AlertPresenter::takeDeletionRequest()
{
    const std::optional<BackupJob> requested = m_context.jobs.pendingDeletion();
    if (!requested)
        return;
    m_jobToDelete = requested;
    m_context.jobs.setPendingDeletion(std::nullopt);
    showDeleteConfirmation();
}

void AlertPresenter::showDeleteConfirmation()
{
    if (!m_jobToDelete)
        return;
    const QString question = QStringLiteral("Delete \u201c%1\u201d?").arg(m_jobToDelete->name);
    if (!m_deleteConfirmation) {
        QWidget* host = currentHost();
        if (!host)
            return;
        // The job is read when the answer comes: a newer request while the box shows replaces it.
        m_deleteConfirmation = askConfirmation(host,
            { QStringLiteral("Marrowvale"), question,
                QStringLiteral("The job and its schedule are removed. Files already at the destination are "
                               "not deleted."),
                QStringLiteral("Delete Backup") },
            [this] {
                if (m_jobToDelete)
                    m_context.jobs.deleteJob(*m_jobToDelete);
            });
        connect(m_deleteConfirmation, &QDialog::finished, this, [this] { m_jobToDelete.reset(); });
    }
    m_deleteConfirmation->setText(question);
    place(m_deleteConfirmation);
}

void AlertPresenter::place(QDialog* dialog)
{
    if (!isShownHost(dialog->parentWidget())) {
        QWidget* host = currentHost();
        if (!host)
            return;
        dialog->setParent(host, dialog->windowFlags());
    }
    if (!dialog->isVisible())
        dialog->open();
}

QMessageBox* AlertPresenter::makeAlert(QWidget* host)
{
    auto* alert = new QMessageBox(host);
    alert->setWindowTitle(QStringLiteral("Marrowvale"));
    alert->setIcon(QMessageBox::NoIcon);
    alert->setTextFormat(Qt::PlainText);
    alert->setFont(kitFont(13));
    // The title stands out above the message, as a desktop alert's does, and short texts keep a readable
    // width.
    if (auto* title = alert->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        title->setFont(kitFont(13, QFont::DemiBold));
        title->setMinimumWidth(280);
    }
    QPushButton* ok = alert->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    alert->setDefaultButton(ok);
    alert->setEscapeButton(ok);
    return alert;
}

} // namespace mv
