#include "ui/dashboard/ActivityDetailRow.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/ActivityPresentation.h"
#include "ui/models/shared/ActivityRowPresentation.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace mv {

namespace {

constexpr int sidePadding = 12;
constexpr int verticalPadding = 9;
constexpr qreal dotSize = 6;
constexpr qreal dotTop = 5;
constexpr int textLeft = sidePadding + int(dotSize) + 10;
constexpr qreal titleSpacing = 6;
constexpr qreal lineSpacing = 3;
constexpr qreal factSpacing = 8;
constexpr int errorLines = 2;
// The result chip: a capsule of the result's colour holding a dot and the label.
constexpr qreal chipDotSize = 5;
constexpr qreal chipSpacing = 5;
constexpr qreal chipSidePadding = 7;
constexpr qreal chipVerticalPadding = 3;
constexpr qreal chipOpacity = 0.12;

// The fonts of the thread's ThreadFonts while one lives, else the main thread's.
thread_local const ActivityDetailRow::Fonts* threadFonts = nullptr;

const ActivityDetailRow::Fonts& fonts()
{
    if (threadFonts)
        return *threadFonts;
    static const ActivityDetailRow::Fonts mainFonts;
    return mainFonts;
}
const QFont& jobFont()
{
    return fonts().job;
}
const QFont& destinationFont()
{
    return fonts().destination;
}
const QFont& smallFont()
{
    return fonts().small;
}
const QFont& chipFont()
{
    return fonts().chip;
}

// The width of `text` in `font`, one of the row fonts. Most texts of a list repeat (names, labels, the
// separators), and shaping them is what costs.
qreal advance(const QFont& font, const QString& text)
{
    constexpr qsizetype widthsKept = 4096;
    QHash<std::pair<const QFont*, QString>, qreal>& widths = fonts().widths;
    const std::pair key(&font, text);
    if (const auto found = widths.constFind(key); found != widths.cend())
        return *found;
    if (widths.size() >= widthsKept)
        widths.clear();
    const qreal width = QFontMetricsF(font).horizontalAdvance(text);
    widths.insert(key, width);
    return width;
}

qreal chipHeight()
{
    return std::ceil(QFontMetricsF(chipFont()).height() + 2 * chipVerticalPadding);
}

qreal titleHeight()
{
    return std::max(QFontMetricsF(jobFont()).height(), chipHeight());
}

qreal errorTop()
{
    return verticalPadding + titleHeight() + lineSpacing + QFontMetricsF(smallFont()).height() + lineSpacing;
}

qreal errorWidth(qreal width)
{
    return std::max<qreal>(1, width - textLeft - sidePadding);
}

qreal errorHeight(const QString& error, qreal width)
{
    const QFontMetricsF metrics(smallFont());
    const QRectF needed
        = metrics.boundingRect(QRectF(0, 0, errorWidth(width), 1e6), Qt::TextWordWrap | Qt::AlignLeft, error);
    return std::min(needed.height(), metrics.lineSpacing() * errorLines);
}

} // namespace

ActivityDetailRow::ThreadFonts::ThreadFonts()
    : m_previous(threadFonts)
{
    threadFonts = &m_fonts;
}

ActivityDetailRow::ThreadFonts::~ThreadFonts()
{
    threadFonts = m_previous;
}

ActivityDetailRow::ActivityDetailRow(const BackupRunRecord& record)
    : m_record(record)
    , m_result(ActivityPresentation::resultLabel(record.result))
    , m_facts(ActivityPresentation::factLine(record))
    , m_error(ActivityPresentation::errorSummary(record))
    , m_time(ActivityPresentation::startTimeText(record))
{
    m_measures.job = advance(jobFont(), record.jobName);
    m_measures.destination = advance(destinationFont(), record.destinationName);
    m_measures.time = advance(smallFont(), m_time);
    m_measures.arrow = advance(smallFont(), QStringLiteral("\u2192"));
    m_measures.chip = QSizeF(std::ceil(chipSidePadding + chipDotSize + chipSpacing
                                 + advance(chipFont(), m_result) + chipSidePadding),
        chipHeight());
    for (const QString& fact : std::as_const(m_facts))
        m_measures.facts << advance(smallFont(), fact);
}

int ActivityDetailRow::height(int width) const
{
    if (width != m_heightWidth) {
        qreal height = errorTop() - lineSpacing + verticalPadding;
        if (m_error)
            height += lineSpacing + errorHeight(*m_error, width);
        m_heightWidth = width;
        m_height = int(std::ceil(height));
    }
    return m_height;
}

ActivityDetailRow::TitleLayout ActivityDetailRow::titleLayout(qreal width) const
{
    const qreal middle = verticalPadding + titleHeight() / 2;
    const qreal right = width - sidePadding;
    // What is left for the two names once the arrow, the chip, the time and the gaps have their room; the job
    // name gives way first, down to half of it.
    const qreal forNames = std::max<qreal>(0,
        right - textLeft - m_measures.arrow - m_measures.chip.width() - m_measures.time - 4 * titleSpacing);
    qreal jobWidth = m_measures.job;
    qreal destinationWidth = m_measures.destination;
    if (jobWidth + destinationWidth > forNames) {
        destinationWidth = std::min(m_measures.destination, forNames / 2);
        jobWidth = std::max<qreal>(0, forNames - destinationWidth);
    }
    const qreal jobHeight = QFontMetricsF(jobFont()).height();
    const qreal destinationHeight = QFontMetricsF(destinationFont()).height();
    const qreal smallHeight = QFontMetricsF(smallFont()).height();
    TitleLayout layout;
    qreal x = textLeft;
    layout.job = QRectF(x, middle - jobHeight / 2, jobWidth, jobHeight);
    x += jobWidth + titleSpacing;
    layout.arrow = QRectF(x, middle - smallHeight / 2, m_measures.arrow, smallHeight);
    x += m_measures.arrow + titleSpacing;
    layout.destination = QRectF(x, middle - destinationHeight / 2, destinationWidth, destinationHeight);
    x += destinationWidth + titleSpacing;
    // Whole pixels, as a chip widget would sit.
    layout.chip
        = QRectF(QPointF(QPointF(x, middle - m_measures.chip.height() / 2).toPoint()), m_measures.chip);
    layout.time = QRectF(right - m_measures.time, middle - smallHeight / 2, m_measures.time, smallHeight);
    return layout;
}

void ActivityDetailRow::paintChip(QPainter& painter, const QRectF& frame, const QWidget* widget) const
{
    const PaletteColor color(ActivityRowPresentation::resultColor(m_record.result));
    painter.setPen(Qt::NoPen);
    painter.setBrush(color.opacity(chipOpacity).resolve(widget));
    painter.drawPath(continuousRoundedRect(frame, frame.height() / 2));
    const QColor ink = color.resolve(widget);
    painter.setBrush(ink);
    painter.drawEllipse(QPointF(frame.left() + chipSidePadding + chipDotSize / 2, frame.center().y()),
        chipDotSize / 2, chipDotSize / 2);
    const qreal x = chipSidePadding + chipDotSize + chipSpacing;
    painter.setFont(chipFont());
    painter.setPen(ink);
    painter.drawText(frame.adjusted(x, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, m_result);
}

void ActivityDetailRow::paint(
    QPainter& painter, const QRectF& frame, const QWidget* widget, bool selected) const
{
    painter.save();
    painter.translate(frame.topLeft());
    const qreal width = frame.width();
    if (selected)
        painter.fillRect(QRectF(0, 0, width, frame.height()), Palette::accent.opacity(0.09).resolve(widget));
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(Qt::NoPen);
    painter.setBrush(PaletteColor(ActivityRowPresentation::resultColor(m_record.result)).resolve(widget));
    painter.drawEllipse(QRectF(sidePadding, verticalPadding + dotTop, dotSize, dotSize));

    const TitleLayout title = titleLayout(width);
    // A text that fits as measured is drawn as it stands: shaping it again to elide it is most of a row's
    // cost.
    const auto text = [&](const QRectF& box, const QFont& font, const PaletteColor& color,
                          const QString& value, qreal measured) {
        painter.setFont(font);
        painter.setPen(color.resolve(widget));
        const qreal room = box.width() + 0.5;
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
            measured <= room ? value : QFontMetricsF(font).elidedText(value, Qt::ElideRight, room));
    };
    text(title.job, jobFont(), Palette::label, m_record.jobName, m_measures.job);
    text(title.arrow, smallFont(), Palette::labelTertiary, QStringLiteral("\u2192"), m_measures.arrow);
    text(title.destination, destinationFont(), Palette::labelSecondary, m_record.destinationName,
        m_measures.destination);
    paintChip(painter, title.chip, widget);
    text(title.time, smallFont(), Palette::labelTertiary, m_time, m_measures.time);

    const qreal factsTop = verticalPadding + titleHeight() + lineSpacing;
    const qreal smallHeight = QFontMetricsF(smallFont()).height();
    const qreal right = width - sidePadding;
    qreal x = textLeft;
    for (qsizetype i = 0; i < m_facts.size(); ++i) {
        const qreal factWidth = std::min(m_measures.facts[i], std::max<qreal>(0, right - x));
        text(QRectF(x, factsTop, factWidth, smallHeight), smallFont(), Palette::labelTertiary, m_facts[i],
            m_measures.facts[i]);
        x += factWidth + factSpacing;
    }

    if (m_error) {
        painter.setFont(smallFont());
        painter.setPen(PaletteColor(ActivityPresentation::rowErrorColor(m_record.result)).resolve(widget));
        painter.drawText(QRectF(textLeft, errorTop(), errorWidth(width), errorHeight(*m_error, width)),
            Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, *m_error);
    }
    painter.restore();
}

} // namespace mv
