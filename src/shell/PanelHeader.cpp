#include "shell/PanelHeader.h"

#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "ui/kit/AppMark.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/Motion.h"
#include "ui/kit/SmallSpinner.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/panel/AggregateStatusPresentation.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

#include <QBoxLayout>

namespace mv {

PanelHeader::PanelHeader(ViewContext& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_spinner(new SmallSpinner(11))
    , m_headline(new ElidedLabel(QString(), kitFont(13, QFont::Medium), Palette::labelSecondary))
    , m_settings(new IconButton(
          QStringLiteral("gearshape"), QStringLiteral("Settings (Ctrl+,)"), false, std::nullopt, 24, [this] {
              m_context.requests.requestNavigation({ NavigationRequest::Target::settings, std::nullopt });
          }))
{
    setFixedHeight(52);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 10, 14, 10);
    row->setSpacing(10);
    row->addWidget(new AppMark(30));

    auto* title = new QHBoxLayout;
    title->setSpacing(6);
    title->addWidget(
        new TextLabel(QStringLiteral("Marrowvale"), kitFont(16, QFont::DemiBold), Palette::label));
    title->addWidget(m_spinner);
    title->addStretch();
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addLayout(title);
    texts->addWidget(m_headline);
    row->addLayout(texts, 1);
    row->addSpacing(4);

    auto* gear = new QWidget;
    gear->setFixedSize(26, 26);
    auto* centred = new QHBoxLayout(gear);
    centred->setContentsMargins(0, 0, 0, 0);
    centred->addWidget(m_settings, 0, Qt::AlignCenter);
    row->addWidget(gear);
    connect(&m_context.status, &StatusBoard::aggregateChanged, this, &PanelHeader::refresh);
    connect(&m_context.jobs, &JobActions::mirrorCheckInProgressChanged, this, &PanelHeader::refresh);
    refresh();
}

void PanelHeader::refresh()
{
    const AggregateStatus& status = m_context.status.aggregate();
    const QString headline = status.headline();
    // A new headline on screen fades in.
    if (headline != m_headline->text() && m_headline->isVisible())
        Motion::fadeIn(*m_headline, Motion::quick());
    m_headline->setText(headline);
    m_headline->setColor(statusColor(status));
    m_headline->setToolTip(statusHint(status));
    m_spinner->setVisible(m_context.jobs.mirrorCheckInProgress());
}

} // namespace mv
