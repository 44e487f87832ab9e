#include "ui/restore/RestoreNoteCard.h"

#include "ui/kit/CardSurface.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/restore/SymbolTile.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

RestoreNoteCard::RestoreNoteCard(const QString& symbol, const QString& title, const QString& message,
    std::optional<Action> action, QWidget* parent)
    : QWidget(parent)
{
    auto* card = new CardSurface(10, false, std::nullopt, this);
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(13, 13, 13, 13);
    row->setSpacing(10);
    row->addWidget(new SymbolTile(SymbolTile::Shape::roundedSquare, symbol, Palette::accent, 0.12, 34, 16,
                       SymbolWeight::regular, card),
        0, Qt::AlignVCenter);
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    column->addWidget(new TextLabel(title, kitFont(16, QFont::DemiBold), Palette::label, card));
    auto* text = new TextLabel(message, kitFont(13), Palette::labelSecondary, card);
    text->setWordWrap(true);
    column->addWidget(text);
    row->addLayout(column, 1);
    if (action) {
        m_button = new MVButton(
            action->title, action->symbol, MVButtonKind::secondary, true, false, action->run, card);
        row->addWidget(m_button, 0, Qt::AlignVCenter);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(card);
}

RestoreNoteCard* RestoreNoteCard::googleDrive(std::function<void()> openDrive, QWidget* parent)
{
    return new RestoreNoteCard(QStringLiteral("cloud.fill"),
        QStringLiteral("Google Drive restore is not available yet"),
        QStringLiteral(
            "Uploads and mirror backups are enabled. The Drive restore browser is the next part to be "
            "verified."),
        Action {
            QStringLiteral("Open Drive"), QStringLiteral("arrow.up.right.square"), std::move(openDrive) },
        parent);
}

RestoreNoteCard* RestoreNoteCard::ssh(QWidget* parent)
{
    return new RestoreNoteCard(QStringLiteral("server.rack"),
        QStringLiteral("SSH restore is not available yet"),
        QStringLiteral("Backups on an SSH server cannot be browsed here. Copy files back with rsync from the "
                       "server, or mount the server folder and restore from it."),
        std::nullopt, parent);
}

} // namespace mv
