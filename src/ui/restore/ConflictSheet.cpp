#include "ui/restore/ConflictSheet.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/WellSurface.h"
#include "ui/models/restore/RestoreTexts.h"
#include "ui/restore/SymbolTile.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace mv {

ConflictSheet::ConflictSheet(const ConflictPrompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_countLine(RestoreTexts::conflictCount(prompt.conflicts.size()))
{
    setWindowTitle(QStringLiteral("Existing files would be replaced"));
    setModal(true);
    setFixedWidth(520);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->setSpacing(14);

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    header->addWidget(new SymbolTile(SymbolTile::Shape::circle, QStringLiteral("arrow.triangle.merge"),
                          Palette::warning, 0.14, 34, 16, SymbolWeight::semibold, this),
        0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(new TextLabel(QStringLiteral("Existing files would be replaced"),
        kitFont(16, QFont::DemiBold), Palette::label, this));
    titles->addWidget(new TextLabel(m_countLine, kitFont(13), Palette::labelSecondary, this));
    header->addLayout(titles, 1);
    stack->addLayout(header);

    auto* message
        = new TextLabel(QStringLiteral("Marrowvale checked the restore with rsync. These files already "
                                       "exist and would be written over. Choose Keep Existing to leave "
                                       "them alone and only add missing files."),
            kitFont(15), Palette::labelSecondary, this);
    message->setWordWrap(true);
    stack->addWidget(message);

    auto* scroll = new QScrollArea(this);
    scroll->setFixedHeight(150);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* well = new WellSurface(7);
    auto* column = new QVBoxLayout(well);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(3);
    for (const QString& name : prompt.conflicts.mid(0, namesShown))
        column->addWidget(new ElidedLabel(name, monospacedFont(12), Palette::label, Qt::ElideMiddle, well));
    column->addStretch(1);
    m_names = well;
    scroll->setWidget(well);
    scroll->viewport()->setAutoFillBackground(false);
    stack->addWidget(scroll);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    m_cancel = new MVButton(
        QStringLiteral("Cancel"), std::nullopt, MVButtonKind::secondary, true, false,
        [this] { answer(ConflictAnswer::cancel); }, this);
    m_keep = new MVButton(
        QStringLiteral("Keep Existing"), std::nullopt, MVButtonKind::secondary, true, false,
        [this] { answer(ConflictAnswer::keepExisting); }, this);
    m_replace = new MVButton(
        QStringLiteral("Replace"), std::nullopt, MVButtonKind::destructive, true, false,
        [this] { answer(ConflictAnswer::replace); }, this);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_keep);
    buttons->addWidget(m_replace);
    stack->addLayout(buttons);
}

QStringList ConflictSheet::listedNames() const
{
    QStringList names;
    for (const ElidedLabel* label : m_names->findChildren<ElidedLabel*>())
        names << label->text();
    return names;
}

MVButton* ConflictSheet::button(ConflictAnswer answer) const
{
    switch (answer) {
    case ConflictAnswer::cancel:
        return m_cancel;
    case ConflictAnswer::keepExisting:
        return m_keep;
    case ConflictAnswer::replace:
        return m_replace;
    }
    return m_cancel;
}

void ConflictSheet::reject()
{
    answer(ConflictAnswer::cancel);
}

void ConflictSheet::answer(ConflictAnswer answer)
{
    if (m_answered)
        return;
    m_answered = true;
    Q_EMIT answered(answer);
    answer == ConflictAnswer::cancel ? QDialog::reject() : accept();
}

} // namespace mv
