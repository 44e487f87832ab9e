#include "ui/support/SupportSectionView.h"

#include "coordination/ProgramRequests.h"
#include "model/AppPaths.h"
#include "model/AtomicFile.h"
#include "model/ConfigurationStore.h"
#include "model/FileSystemError.h"
#include "platform/Clock.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/DashboardModel.h"
#include "ui/models/shared/ViewContext.h"
#include "ui/models/support/HelpItem.h"
#include "ui/models/support/SupportTexts.h"
#include "ui/support/HelpDisclosure.h"
#include "ui/support/SetupGuideCard.h"
#include "ui/support/SupportActionBar.h"
#include "ui/support/SystemDiagnosticsCard.h"

#include <QDir>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QVBoxLayout>

namespace mv {

SupportSectionView::SupportSectionView(
    ViewContext& context, DashboardModel& ui, Clock& clock, Prompts& prompts, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_ui(ui)
    , m_clock(clock)
    , m_prompts(prompts)
    , m_report(context, clock)
    , m_actionBar(new SupportActionBar({ [this] { copyReport(); }, [this] { saveReport(); },
                                           [this] { checkRsync(); }, [this] { revealLogs(); } },
          this))
    , m_setupCard(new SetupGuideCard(
          [this] {
              // Asked once the click is over: answering it may leave this section.
              QMetaObject::invokeMethod(
                  &m_context.requests,
                  [requests = &m_context.requests] {
                      requests->requestNavigation({ NavigationRequest::Target::newJob, std::nullopt });
                  },
                  Qt::QueuedConnection);
          },
          this))
    , m_systemCard(new SystemDiagnosticsCard([this] { showSection(DashboardSection::settings); },
          [this] { showSection(DashboardSection::activity); }, this))
{
    auto* cards = new QHBoxLayout;
    cards->setSpacing(16);
    cards->addWidget(m_setupCard, 1);
    cards->addWidget(m_systemCard, 1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(16);
    page->addWidget(m_actionBar);
    page->addLayout(cards);
    page->addWidget(troubleshooting());
    page->addWidget(privacyNote());
    page->addStretch(1);

    connect(&m_report, &SupportReportModel::reportChanged, this, &SupportSectionView::showReport);
    m_report.refresh();
}

QWidget* SupportSectionView::troubleshooting()
{
    const QList<HelpItem>& items = HelpItem::all();
    auto* card = new CardSurface(10, false, std::nullopt);
    auto* list = new QVBoxLayout(card);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(0);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString id = items[i].id;
        auto* row = new HelpDisclosure(
            items[i], m_expanded.contains(id), [this, id] { toggle(id); }, card);
        m_helpRows << row;
        list->addWidget(row);
        if (i < items.size() - 1)
            list->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::half, 14, card));
    }

    auto* section = new QWidget(this);
    m_troubleshootingHeader = new SectionHeader(
        QStringLiteral("Troubleshooting"), items.size(), std::nullopt, std::nullopt, nullptr, section);
    auto* stack = new QVBoxLayout(section);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);
    stack->addWidget(m_troubleshootingHeader);
    stack->addWidget(card);
    return section;
}

QWidget* SupportSectionView::privacyNote()
{
    auto* note = new QWidget(this);
    auto* text
        = new TextLabel(QStringLiteral("The support report stays on this computer until you copy or save it. "
                                       "It contains versions and paths, never passwords or keyring items. "
                                       "Review it before sharing."),
            kitFont(12), Palette::labelTertiary, note);
    text->setWordWrap(true);
    auto* row = new QHBoxLayout(note);
    row->setContentsMargins(0, 2, 0, 0);
    row->setSpacing(8);
    row->addWidget(new SymbolImage(QStringLiteral("lock.shield"), 13, SymbolWeight::regular,
                       Palette::labelTertiary, note),
        0, Qt::AlignTop);
    row->addWidget(text, 1, Qt::AlignTop);
    return note;
}

void SupportSectionView::toggle(const QString& id)
{
    if (!m_expanded.remove(id))
        m_expanded.insert(id);
    for (HelpDisclosure* row : std::as_const(m_helpRows))
        row->setExpanded(m_expanded.contains(row->item().id));
}

void SupportSectionView::showReport()
{
    m_systemCard->showReport(*m_report.report(), m_clock.now());
}

void SupportSectionView::showSection(DashboardSection section)
{
    QMetaObject::invokeMethod(
        &m_ui, [ui = &m_ui, section] { ui->setSection(section); }, Qt::QueuedConnection);
}

void SupportSectionView::confirm(const QString& text)
{
    m_confirmation = text;
    if (!m_alert) {
        m_alert = new QMessageBox(
            QMessageBox::NoIcon, QStringLiteral("Marrowvale"), {}, QMessageBox::Ok, window());
        m_alert->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_alert, &QMessageBox::finished, this, [this] { m_confirmation.reset(); });
    }
    m_alert->setText(text);
    m_alert->open();
}

void SupportSectionView::copyReport()
{
    QCoro::Task<> copying = copyCurrentReport();
}

QCoro::Task<> SupportSectionView::copyCurrentReport()
{
    QPointer<SupportSectionView> self(this);
    auto reading = m_report.current();
    const SupportReport report = co_await reading;
    if (!self)
        co_return;
    m_prompts.copyText(report.text());
    confirm(QStringLiteral("The support report was copied to the clipboard."));
}

void SupportSectionView::saveReport()
{
    QPointer<SupportSectionView> self(this);
    const SavePanelRequest request { supportReportFileName(m_clock.now()),
        QStringLiteral("Plain text (*.txt)"), QStringLiteral("txt"),
        QStringLiteral("Save a read-only support report. It contains versions, paths and recent errors.") };
    m_prompts.askSavePath(window(), request, [self](const QString& path) {
        if (self)
            QCoro::Task<> writing = self->writeReport(path);
    });
}

QCoro::Task<> SupportSectionView::writeReport(QString path)
{
    QPointer<SupportSectionView> self(this);
    auto reading = m_report.current();
    const SupportReport report = co_await reading;
    if (!self)
        co_return;
    try {
        AtomicFile::write(path, report.text().toUtf8());
        confirm(QStringLiteral("Report saved to ") + path + QStringLiteral("."));
    } catch (const FileSystemError& error) {
        confirm(QStringLiteral("The report could not be saved: ") + error.description());
    }
}

void SupportSectionView::checkRsync()
{
    QCoro::Task<> checking = checkRsyncNow();
}

QCoro::Task<> SupportSectionView::checkRsyncNow()
{
    QPointer<SupportSectionView> self(this);
    auto gathering = m_report.gather();
    const SupportReport report = co_await gathering;
    if (self)
        confirm(rsyncCheckMessage(report));
}

void SupportSectionView::revealLogs()
{
    const QString folder = m_context.configuration.supportFolder();
    try {
        AppPaths::ensureDirectories(folder);
    } catch (const FileSystemError&) {
        // The file manager is asked all the same; it says itself that the folder is missing.
    }
    m_prompts.reveal(QDir::cleanPath(folder) + QStringLiteral("/Logs"));
}

} // namespace mv
