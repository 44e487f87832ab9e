#include "ui/kit/PathLabel.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace mv {

PathLabel::PathLabel(const QString& path, const QFont& font, PaletteColor color, QWidget* parent)
    : ElidedLabel(path, font, std::move(color), Qt::ElideMiddle, parent)
{
    setFocusPolicy(Qt::ClickFocus);
    setPath(path);
}

void PathLabel::setPath(const QString& path)
{
    setText(path);
    setToolTip(path);
}

void PathLabel::copyPath() const
{
    QGuiApplication::clipboard()->setText(path());
}

void PathLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copyPath();
        return;
    }
    ElidedLabel::keyPressEvent(event);
}

void PathLabel::contextMenuEvent(QContextMenuEvent* event)
{
    // The label may stretch across its row: the blank beside the path belongs to the row.
    if (!textRect().contains(event->pos())) {
        event->ignore();
        return;
    }
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("Copy"), this, &PathLabel::copyPath);
    menu->popup(event->globalPos());
}

} // namespace mv
