#include "ui/dashboard/ActivityListDelegate.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/ActivityListModel.h"

#include <QAbstractItemView>
#include <QPainter>

namespace mv {

namespace {

constexpr int dayGap = 16;
constexpr int headerGap = 7;
constexpr int listBottom = 10;
constexpr qreal cardRadius = 10;
constexpr int dividerIndent = 30;

const QFont& headerFont()
{
    static const QFont font = tracked(kitFont(12, QFont::DemiBold), 0.6);
    return font;
}

int headerTextHeight()
{
    return QFontMetrics(headerFont()).height();
}

// The rows are as wide as the list's viewport.
int rowWidth(const QStyleOptionViewItem& option)
{
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        return view->viewport()->width();
    return option.rect.width();
}

bool flag(const QModelIndex& index, ActivityListModel::Role role)
{
    return index.data(role).toBool();
}

} // namespace

ActivityListDelegate::ActivityListDelegate(ActivityListModel& model, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_model(model)
{
    connect(&model, &QAbstractItemModel::modelReset, this, [this] { m_rows.clear(); });
}

ActivityListDelegate::Rows ActivityListDelegate::rowsFor(
    const std::vector<BackupRunRecord>& records, int width)
{
    const ActivityDetailRow::ThreadFonts fonts;
    Rows rows;
    rows.reserve(qsizetype(records.size()));
    for (const BackupRunRecord& record : records) {
        auto row = std::make_shared<const ActivityDetailRow>(record);
        row->height(width);
        rows.insert(record.id, std::move(row));
    }
    return rows;
}

void ActivityListDelegate::setRows(Rows rows)
{
    m_rows = std::move(rows);
}

const ActivityDetailRow& ActivityListDelegate::row(const BackupRunRecord& record) const
{
    auto found = m_rows.constFind(record.id);
    if (found == m_rows.cend())
        found = m_rows.insert(record.id, std::make_shared<const ActivityDetailRow>(record));
    return **found;
}

QSize ActivityListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int width = rowWidth(option);
    const BackupRunRecord* record = m_model.record(index.row());
    if (!record)
        return { width, (index.row() == 0 ? 0 : dayGap) + headerTextHeight() + headerGap };
    int height = row(*record).height(width);
    if (!flag(index, ActivityListModel::LastInDayRole))
        height += 1; // the hairline to the next run
    if (flag(index, ActivityListModel::LastInListRole))
        height += listBottom;
    return { width, height };
}

void ActivityListDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    if (m_model.record(index.row()))
        paintRun(*painter, option, index);
    else
        paintHeader(*painter, option, index);
    painter->restore();
}

void ActivityListDelegate::paintHeader(
    QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int top = option.rect.top() + (index.row() == 0 ? 0 : dayGap);
    painter.setFont(headerFont());
    painter.setPen(Palette::labelTertiary.resolve(option.widget));
    painter.drawText(QRect(option.rect.left(), top, option.rect.width(), headerTextHeight()),
        Qt::AlignLeft | Qt::AlignVCenter, index.data(Qt::DisplayRole).toString());
}

void ActivityListDelegate::paintRun(
    QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const BackupRunRecord& record = *m_model.record(index.row());
    const bool firstInDay = flag(index, ActivityListModel::FirstInDayRole);
    const bool lastInDay = flag(index, ActivityListModel::LastInDayRole);
    QRectF frame = option.rect;
    if (flag(index, ActivityListModel::LastInListRole))
        frame.setBottom(frame.bottom() - listBottom);
    const QRectF content = frame.adjusted(0, 0, 0, lastInDay ? 0 : -1);

    // The day's card, drawn row by row: each row draws the whole card's shape reaching past its own edges
    // and keeps only its own part, so the rounded corners fall on the day's first and last runs.
    const qreal reach = 2 * cardRadius;
    const QRectF card = frame.adjusted(0, firstInDay ? 0 : -reach, 0, lastInDay ? 0 : reach);
    const QPainterPath shape = continuousRoundedRect(card, cardRadius);
    painter.setClipRect(frame);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::card.resolve(option.widget));
    painter.drawPath(shape);
    strokeInside(painter, card, cardRadius, Palette::hairline.resolve(option.widget));
    // Only a row with a rounded corner needs the card's shape as its clip; inside the card the frame is
    // the clip already, and clipping to a curved path is costly.
    if (firstInDay || lastInDay)
        painter.setClipPath(shape, Qt::IntersectClip);

    row(record).paint(painter, content, option.widget, flag(index, ActivityListModel::SelectedRole));
    if (!lastInDay) {
        painter.fillRect(
            QRectF(content.left() + dividerIndent, content.bottom(), content.width() - dividerIndent, 1),
            Palette::hairline.resolve(option.widget));
    }
}

} // namespace mv
