#include "ui/restore/BackupEntryDelegate.h"

#include "ui/kit/IconLibrary.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/restore/RestoreEntryListModel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace mv {

namespace {

constexpr int boxSide = 14;
constexpr int chevronSide = 16;
constexpr int dateWidth = 120;

// Where each part of a row goes.
struct RowGeometry {
    QRect box;
    QRectF icon;
    QRect name;
    QRect chevron; // empty for files
    QRect size; // empty without a size
    QRect date; // empty without a date
    QString shownName;

    RowGeometry(const QRect& row, const QModelIndex& index)
    {
        const QFont nameFont = kitFont(13);
        const QFont detailFont = kitFont(12);
        const bool folder = index.data(RestoreEntryListModel::IsDirectoryRole).toBool();
        const QString sizeText = index.data(RestoreEntryListModel::SizeTextRole).toString();
        const QString dateText = index.data(RestoreEntryListModel::DateTextRole).toString();
        const int middle = row.center().y();
        box = QRect(row.left() + 8, middle - boxSide / 2, boxSide, boxSide);
        icon = QRectF(row.left() + 30, middle - 8, 16, 16);

        int right = row.right() - 10;
        if (!dateText.isEmpty()) {
            // The column is 120 px, wider when the locale's date needs it.
            const int width = std::max(dateWidth, QFontMetrics(detailFont).horizontalAdvance(dateText) + 2);
            date = QRect(right - width, row.top(), width, row.height());
            right = date.left() - 10;
        }
        if (!sizeText.isEmpty()) {
            const int width = QFontMetrics(detailFont).horizontalAdvance(sizeText) + 2;
            size = QRect(right - width, row.top(), width, row.height());
            right = size.left() - 8;
        }
        const int nameLeft = row.left() + 52;
        const int room = right - nameLeft - (folder ? chevronSide + 4 : 0);
        const QFontMetrics metrics(nameFont);
        shownName = metrics.elidedText(index.data().toString(), Qt::ElideMiddle, std::max(room, 0));
        const int nameWidth = std::min(metrics.horizontalAdvance(shownName) + 1, std::max(room, 0));
        name = QRect(nameLeft, row.top(), nameWidth, row.height());
        if (folder)
            chevron = QRect(name.right() + 4, middle - chevronSide / 2, chevronSide, chevronSide);
    }
};

} // namespace

BackupEntryDelegate::BackupEntryDelegate(
    std::function<void(const QString&)> toggle, std::function<void(const QString&)> open, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_toggle(std::move(toggle))
    , m_open(std::move(open))
{
}

QRect BackupEntryDelegate::chevronRect(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return RowGeometry(option.rect, index).chevron;
}

void BackupEntryDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QWidget* widget = option.widget;
    const RowGeometry row(option.rect, index);
    const bool folder = index.data(RestoreEntryListModel::IsDirectoryRole).toBool();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    QStyleOptionButton box;
    box.rect = row.box;
    box.state = QStyle::State_Enabled
        | (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);

    IconLibrary::paint(*painter, row.icon, folder ? QStringLiteral("folder.fill") : QStringLiteral("doc"),
        (folder ? Palette::accent : Palette::labelTertiary).resolve(widget));

    painter->setFont(kitFont(13));
    painter->setPen(Palette::label.resolve(widget));
    painter->drawText(row.name, Qt::AlignLeft | Qt::AlignVCenter, row.shownName);
    if (folder)
        IconLibrary::paint(*painter, IconLibrary::textSizedBox(QRectF(row.chevron).center(), 11),
            QStringLiteral("chevron.right"), Palette::labelTertiary.resolve(widget), SymbolWeight::semibold);

    painter->setFont(kitFont(12));
    painter->setPen(Palette::labelTertiary.resolve(widget));
    if (!row.size.isEmpty())
        painter->drawText(row.size, Qt::AlignRight | Qt::AlignVCenter,
            index.data(RestoreEntryListModel::SizeTextRole).toString());
    if (!row.date.isEmpty())
        painter->drawText(row.date, Qt::AlignRight | Qt::AlignVCenter,
            index.data(RestoreEntryListModel::DateTextRole).toString());

    // A hairline under every row but the last, indented past the tick box.
    if (index.row() + 1 < index.model()->rowCount()) {
        const QRectF line(option.rect.left() + 32, option.rect.bottom() + 0.5, option.rect.width() - 32, 0.5);
        painter->fillRect(line, Palette::hairline.resolve(widget));
    }
    painter->restore();
}

QSize BackupEntryDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return { option.rect.width(), rowHeight };
}

bool BackupEntryDelegate::editorEvent(
    QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() == QEvent::MouseButtonDblClick)
        return true;
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* click = static_cast<QMouseEvent*>(event);
    if (click->button() != Qt::LeftButton || !option.rect.contains(click->position().toPoint()))
        return false;
    const QString path = index.data(RestoreEntryListModel::PathRole).toString();
    if (chevronRect(option, index).contains(click->position().toPoint()))
        m_open(path);
    else
        m_toggle(path);
    return true;
}

} // namespace mv
