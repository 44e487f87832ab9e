#include "ui/support/SupportActionBar.h"

#include "ui/kit/MVButton.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QHBoxLayout>

namespace mv {

SupportActionBar::SupportActionBar(SupportActions actions, QWidget* parent)
    : QWidget(parent)
{
    m_buttons = {
        new MVButton(QStringLiteral("Copy Report"), QStringLiteral("doc.on.doc"), MVButtonKind::primary, true,
            false, std::move(actions.copyReport), this),
        new MVButton(QStringLiteral("Save Report…"), QStringLiteral("square.and.arrow.down"),
            MVButtonKind::secondary, true, false, std::move(actions.saveReport), this),
        new MVButton(QStringLiteral("Check rsync"), QStringLiteral("arrow.clockwise"),
            MVButtonKind::secondary, true, false, std::move(actions.checkRsync), this),
        new MVButton(QStringLiteral("Reveal Logs"), QStringLiteral("folder"), MVButtonKind::secondary, true,
            false, std::move(actions.revealLogs), this),
    };
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    for (MVButton* button : std::as_const(m_buttons))
        row->addWidget(button);
    row->addStretch(1);
    row->addWidget(
        new TextLabel(QStringLiteral("Read-only diagnostics"), kitFont(12), Palette::labelTertiary, this));
}

} // namespace mv
