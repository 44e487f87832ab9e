#include "ui/support/SystemDiagnosticsCard.h"

#include "ui/kit/MVButton.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SmallSpinner.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/support/SupportTexts.h"
#include "ui/support/DiagnosticsInfoLine.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

SystemDiagnosticsCard::SystemDiagnosticsCard(
    std::function<void()> openSettings, std::function<void()> openActivity, QWidget* parent)
    : CardSurface(10, false, std::nullopt, parent)
    , m_reading(new QWidget(this))
    , m_facts(new QWidget(this))
    , m_lines(new QVBoxLayout)
    , m_dataFolder(new PathLabel({}, kitFont(12), Palette::labelSecondary, m_facts))
    , m_openSettings(new MVButton(QStringLiteral("Open Settings"), std::nullopt, MVButtonKind::secondary,
          true, false, std::move(openSettings), m_facts))
    , m_openActivity(new MVButton(QStringLiteral("Open Activity"), std::nullopt, MVButtonKind::secondary,
          true, false, std::move(openActivity), m_facts))
{
    auto* reading = new QHBoxLayout(m_reading);
    reading->setContentsMargins(0, 0, 0, 0);
    reading->setSpacing(8);
    reading->addWidget(new SmallSpinner(14, SmallSpinner::Look::arc, m_reading));
    reading->addWidget(new TextLabel(
        QStringLiteral("Reading diagnostics…"), kitFont(13), Palette::labelSecondary, m_reading));
    reading->addStretch(1);

    m_lines->setContentsMargins(0, 0, 0, 0);
    m_lines->setSpacing(2);
    auto* folder = new QVBoxLayout;
    folder->setSpacing(3);
    folder->addWidget(new TextLabel(
        QStringLiteral("Data folder"), kitFont(11, QFont::DemiBold), Palette::labelTertiary, m_facts));
    folder->addWidget(m_dataFolder);
    auto* shortcuts = new QHBoxLayout;
    shortcuts->setSpacing(8);
    shortcuts->addWidget(m_openSettings);
    shortcuts->addWidget(m_openActivity);
    shortcuts->addStretch(1);
    auto* facts = new QVBoxLayout(m_facts);
    facts->setContentsMargins(0, 0, 0, 0);
    facts->setSpacing(10);
    facts->addLayout(m_lines);
    facts->addLayout(folder);
    facts->addLayout(shortcuts);
    m_facts->hide();

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(14, 14, 14, 14);
    stack->setSpacing(10);
    stack->addWidget(new SectionHeader(
        QStringLiteral("This computer"), std::nullopt, std::nullopt, std::nullopt, nullptr, this));
    stack->addWidget(m_reading);
    stack->addWidget(m_facts);
    stack->addStretch(1);
}

void SystemDiagnosticsCard::showReport(const SupportReport& report, const QDateTime& now)
{
    while (QLayoutItem* item = m_lines->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const DiagnosticsLine& line : diagnosticsLines(report, now))
        m_lines->addWidget(new DiagnosticsInfoLine(line, m_facts));
    m_dataFolder->setPath(report.dataFolder);
    m_reading->hide();
    m_facts->show();
}

bool SystemDiagnosticsCard::isReading() const
{
    return !m_reading->isHidden();
}

QList<DiagnosticsInfoLine*> SystemDiagnosticsCard::infoLines() const
{
    return m_facts->findChildren<DiagnosticsInfoLine*>(Qt::FindDirectChildrenOnly);
}

} // namespace mv
