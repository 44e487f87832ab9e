#include "ui/dashboard/ActivityDetailRow.h"

#include "ui/kit/Palette.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/ActivityPresentation.h"
#include "ui/models/ActivityRowPresentation.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

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

const QFont& jobFont()
{
    static const QFont font = kitFont(15, QFont::Medium);
    return font;
}
const QFont& destinationFont()
{
    static const QFont font = kitFont(13);
    return font;
}
const QFont& smallFont()
{
    static const QFont font = kitFont(12);
    return font;
}

} // namespace

ActivityDetailRow::ActivityDetailRow(
    const BackupRunRecord& record, bool isSelected, Prompts& prompts, Actions actions, QWidget* parent)
    : QWidget(parent)
    , m_record(record)
    , m_selected(isSelected)
    , m_prompts(prompts)
    , m_actions(std::move(actions))
    , m_details(QStringLiteral("View Details"))
    , m_log(QStringLiteral("View Log"))
    , m_reveal(QStringLiteral("Reveal Log"))
    , m_delete(QStringLiteral("Delete Entry\u2026"))
    , m_facts(ActivityPresentation::factLine(record))
    , m_error(ActivityPresentation::errorSummary(record))
    , m_time(ActivityPresentation::startTimeText(record))
    , m_chip(new StatusChip(ActivityPresentation::resultLabel(record.result),
          PaletteColor(ActivityRowPresentation::resultColor(record.result)), std::nullopt, false, this))
{
    m_details.setObjectName(QStringLiteral("viewRunDetails"));
    m_log.setObjectName(QStringLiteral("viewRunLog"));
    m_reveal.setObjectName(QStringLiteral("revealRunLog"));
    m_delete.setObjectName(QStringLiteral("deleteRunEntry"));
    connect(&m_details, &QAction::triggered, this, [this] { m_actions.select(); });
    connect(&m_log, &QAction::triggered, this, [this] { m_actions.showLog(m_record); });
    connect(&m_reveal, &QAction::triggered, this, [this] {
        if (m_record.logPath)
            m_prompts.reveal(*m_record.logPath);
    });
    connect(&m_delete, &QAction::triggered, this, [this] { m_actions.remove(); });

    const QFontMetricsF small(smallFont());
    m_measures.job = QFontMetricsF(jobFont()).horizontalAdvance(record.jobName);
    m_measures.destination = QFontMetricsF(destinationFont()).horizontalAdvance(record.destinationName);
    m_measures.time = small.horizontalAdvance(m_time);
    m_measures.arrow = small.horizontalAdvance(QStringLiteral("\u2192"));
    m_measures.chip = m_chip->sizeHint();
    m_measures.titleHeight = std::max<qreal>(QFontMetricsF(jobFont()).height(), m_measures.chip.height());
    m_measures.smallHeight = small.height();
    for (const QString& fact : std::as_const(m_facts))
        m_measures.facts << small.horizontalAdvance(fact);
    m_chip->resize(m_measures.chip.toSize());

    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(texts().join(QLatin1Char(' ')));
}

void ActivityDetailRow::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

void ActivityDetailRow::fillContextMenu(QMenu& menu)
{
    menu.addAction(&m_details);
    menu.addAction(&m_log);
    if (m_record.logPath)
        menu.addAction(&m_reveal);
    menu.addSeparator();
    menu.addAction(&m_delete);
}

QStringList ActivityDetailRow::texts() const
{
    QStringList shown { m_record.jobName, QStringLiteral("\u2192"), m_record.destinationName, m_chip->text(),
        m_time };
    shown << m_facts;
    if (m_error)
        shown << *m_error;
    return shown;
}

qreal ActivityDetailRow::titleHeight() const
{
    return m_measures.titleHeight;
}

QRectF ActivityDetailRow::errorRect(int width) const
{
    const qreal top = verticalPadding + titleHeight() + lineSpacing + m_measures.smallHeight + lineSpacing;
    const qreal available = std::max(1, width - textLeft - sidePadding);
    auto height = m_errorHeights.constFind(width);
    if (height == m_errorHeights.cend()) {
        const QFontMetricsF metrics(smallFont());
        const QRectF needed = metrics.boundingRect(
            QRectF(0, 0, available, 1e6), Qt::TextWordWrap | Qt::AlignLeft, m_error.value_or(QString()));
        height = m_errorHeights.insert(width, std::min(needed.height(), metrics.lineSpacing() * errorLines));
    }
    return { qreal(textLeft), top, available, *height };
}

int ActivityDetailRow::heightForWidth(int width) const
{
    qreal height = verticalPadding + titleHeight() + lineSpacing + QFontMetricsF(smallFont()).height()
        + verticalPadding;
    if (m_error)
        height += lineSpacing + errorRect(width).height();
    return int(std::ceil(height));
}

QSize ActivityDetailRow::sizeHint() const
{
    return { 420, heightForWidth(420) };
}

QSize ActivityDetailRow::minimumSizeHint() const
{
    return { 200, heightForWidth(420) };
}

ActivityDetailRow::TitleLayout ActivityDetailRow::titleLayout() const
{
    const qreal middle = verticalPadding + titleHeight() / 2;
    const qreal right = width() - sidePadding;
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
    const qreal smallHeight = m_measures.smallHeight;
    TitleLayout layout;
    qreal x = textLeft;
    layout.job = QRectF(x, middle - jobHeight / 2, jobWidth, jobHeight);
    x += jobWidth + titleSpacing;
    layout.arrow = QRectF(x, middle - smallHeight / 2, m_measures.arrow, smallHeight);
    x += m_measures.arrow + titleSpacing;
    layout.destination = QRectF(x, middle - destinationHeight / 2, destinationWidth, destinationHeight);
    x += destinationWidth + titleSpacing;
    layout.chip = QPointF(x, middle - m_measures.chip.height() / 2);
    layout.time = QRectF(right - m_measures.time, middle - smallHeight / 2, m_measures.time, smallHeight);
    return layout;
}

void ActivityDetailRow::resizeEvent(QResizeEvent* event)
{
    m_chip->move(titleLayout().chip.toPoint());
    QWidget::resizeEvent(event);
}

void ActivityDetailRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_selected)
        painter.fillRect(rect(), Palette::accent.opacity(0.09).resolve(this));
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(Qt::NoPen);
    painter.setBrush(PaletteColor(ActivityRowPresentation::resultColor(m_record.result)).resolve(this));
    painter.drawEllipse(QRectF(sidePadding, verticalPadding + dotTop, dotSize, dotSize));

    const TitleLayout title = titleLayout();
    const auto text
        = [&](const QRectF& box, const QFont& font, const PaletteColor& color, const QString& value) {
              painter.setFont(font);
              painter.setPen(color.resolve(this));
              painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                  QFontMetricsF(font).elidedText(value, Qt::ElideRight, box.width() + 0.5));
          };
    text(title.job, jobFont(), Palette::label, m_record.jobName);
    text(title.arrow, smallFont(), Palette::labelTertiary, QStringLiteral("\u2192"));
    text(title.destination, destinationFont(), Palette::labelSecondary, m_record.destinationName);
    text(title.time, smallFont(), Palette::labelTertiary, m_time);

    const qreal factsTop = verticalPadding + titleHeight() + lineSpacing;
    const qreal right = width() - sidePadding;
    qreal x = textLeft;
    for (qsizetype i = 0; i < m_facts.size(); ++i) {
        const qreal factWidth = std::min(m_measures.facts[i], std::max<qreal>(0, right - x));
        text(QRectF(x, factsTop, factWidth, m_measures.smallHeight), smallFont(), Palette::labelTertiary,
            m_facts[i]);
        x += factWidth + factSpacing;
    }

    if (m_error) {
        painter.setFont(smallFont());
        painter.setPen(PaletteColor(ActivityPresentation::rowErrorColor(m_record.result)).resolve(this));
        painter.drawText(errorRect(width()), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, *m_error);
    }
}

void ActivityDetailRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_actions.select();
}

void ActivityDetailRow::contextMenuEvent(QContextMenuEvent* event)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fillContextMenu(*menu);
    menu->popup(event->globalPos());
    event->accept();
}

} // namespace mv
