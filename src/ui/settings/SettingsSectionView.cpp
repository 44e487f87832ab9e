#include "ui/settings/SettingsSectionView.h"

#include "coordination/ProgramRequests.h"
#include "engine/PlanBuilder.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/kit/Confirmation.h"
#include "ui/kit/IconLibrary.h"
#include "ui/kit/Palette.h"
#include "ui/models/settings/RsyncVersionProbe.h"
#include "ui/models/settings/SettingBinding.h"
#include "ui/models/settings/SettingsTexts.h"
#include "ui/models/shared/ViewContext.h"
#include "ui/settings/AdvancedSettingsTab.h"
#include "ui/settings/BackupSettingsTab.h"
#include "ui/settings/GeneralSettingsTab.h"
#include "ui/settings/GoogleSettingsTab.h"
#include "ui/settings/NotificationSettingsTab.h"

#include <QEvent>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QPainter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace mv {

SettingsSectionView::SettingsSectionView(ViewContext& context, Prompts& prompts, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_tabs(new QTabWidget(this))
    , m_general(new GeneralSettingsTab(context))
    , m_backup(new BackupSettingsTab(context))
    , m_notifications(new NotificationSettingsTab(context))
    , m_google(new GoogleSettingsTab(context, prompts))
    , m_advanced(new AdvancedSettingsTab(context, prompts))
    , m_permissions(context)
    , m_tab(SettingsTexts::initialTab())
{
    const QList<SettingsTab> tabs = SettingsTexts::tabs();
    const QList<QWidget*> pages { m_general, m_backup, m_notifications, m_google, m_advanced };
    for (qsizetype index = 0; index < tabs.size(); ++index)
        m_tabs->addTab(pages.at(index), tabs.at(index).label);
    m_tabs->setDocumentMode(true);
    paintTabSymbols();
    setTab(m_tab);
    connect(m_tabs, &QTabWidget::currentChanged, this,
        [this](int index) { m_tab = SettingsTexts::tabs().at(index).tag; });
    connect(m_advanced, &AdvancedSettingsTab::rsyncChosen, this, &SettingsSectionView::loadVersion);
    connect(m_advanced, &AdvancedSettingsTab::resetRequested, this, &SettingsSectionView::askToReset);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(14);
    stack->addWidget(m_tabs);
}

void SettingsSectionView::setTab(const QString& tag)
{
    m_tab = tag;
    const QList<SettingsTab> tabs = SettingsTexts::tabs();
    for (qsizetype index = 0; index < tabs.size(); ++index)
        if (tabs.at(index).tag == tag) {
            const QSignalBlocker quiet(m_tabs);
            m_tabs->setCurrentIndex(int(index));
        }
}

void SettingsSectionView::loadVersion()
{
    const quint64 generation = ++m_versionGeneration;
    const std::optional<QString> executable
        = PlanBuilder::resolveRsyncExecutable(m_context.configuration.config().settings);
    // The watcher goes with the page, so an answer that comes after the page has gone reaches nothing.
    auto* watcher = new QFutureWatcher<std::optional<QString>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_versionGeneration)
            return;
        m_rsyncVersion = watcher->result();
        m_advanced->showRsyncVersion(m_rsyncVersion);
        Q_EMIT versionLoaded();
    });
    watcher->setFuture(RsyncVersionProbe::start(executable));
}

void SettingsSectionView::askToReset()
{
    if (m_resetConfirmation)
        return;
    QMessageBox* box = askConfirmation(window(),
        { .title = QStringLiteral("Reset settings?"),
            .text = QStringLiteral("Reset settings?"),
            .informativeText = QStringLiteral(
                "Jobs, destinations and backup files are not removed. Only preferences are reset."),
            .confirmText = QStringLiteral("Reset Settings") },
        [this] {
            resetSettings(m_context.configuration, m_context.clock);
            m_context.requests.applyAppearance();
        });
    connect(box, &QMessageBox::finished, this, [this] { m_confirmReset = false; });
    m_confirmReset = true;
    m_resetConfirmation = box;
}

void SettingsSectionView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    loadVersion();
}

void SettingsSectionView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        paintTabSymbols();
}

// The tabs' symbols in the label colour of the appearance shown.
void SettingsSectionView::paintTabSymbols()
{
    const QList<SettingsTab> tabs = SettingsTexts::tabs();
    const qreal ratio = devicePixelRatioF();
    for (qsizetype index = 0; index < tabs.size(); ++index) {
        QPixmap image(QSize(16, 16) * ratio);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        IconLibrary::paint(
            painter, QRectF(0, 0, 16, 16), tabs.at(index).symbol, Palette::label.resolve(this));
        painter.end();
        m_tabs->setTabIcon(int(index), QIcon(image));
    }
}

} // namespace mv
