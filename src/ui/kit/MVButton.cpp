#include "ui/kit/MVButton.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/IconLibrary.h"
#include "ui/kit/MotionSettings.h"
#include "ui/kit/Palette.h"
#include "ui/kit/SmallSpinner.h"
#include "ui/kit/TypeScale.h"

#include <QEvent>
#include <QPainter>

#include <cmath>

namespace mv {

namespace {

constexpr int buttonHeight = 27;
constexpr qreal cornerRadius = 7;
constexpr int itemSpacing = 6;
constexpr int symbolSize = 13;
constexpr int spinnerFrame = 12;
constexpr qreal spinnerScale = 0.7;
constexpr qreal disabledOpacity = 0.45;

PaletteColor foreground(MVButtonKind kind)
{
    switch (kind) {
    case MVButtonKind::primary:
        return Palette::onAccent;
    case MVButtonKind::secondary:
        return Palette::label;
    case MVButtonKind::quiet:
        return Palette::labelSecondary;
    case MVButtonKind::destructive:
        return Palette::danger;
    }
    return Palette::label;
}

PaletteColor background(MVButtonKind kind, bool hovered)
{
    switch (kind) {
    case MVButtonKind::primary:
        return Palette::accent.opacity(hovered ? 0.9 : 1);
    case MVButtonKind::secondary:
        return hovered ? Palette::cardRaised : Palette::card;
    case MVButtonKind::quiet:
        return hovered ? Palette::well : PaletteColor(QColor(Qt::transparent));
    case MVButtonKind::destructive:
        return hovered ? Palette::danger.opacity(0.1) : Palette::card;
    }
    return Palette::card;
}

PaletteColor border(MVButtonKind kind)
{
    switch (kind) {
    case MVButtonKind::primary:
        return PaletteColor(QColor(Qt::white)).opacity(0.16);
    case MVButtonKind::quiet:
        return PaletteColor(QColor(Qt::transparent));
    case MVButtonKind::secondary:
    case MVButtonKind::destructive:
        return Palette::hairline;
    }
    return Palette::hairline;
}

} // namespace

MVButton::MVButton(const QString& title, std::optional<QString> symbol, MVButtonKind kind, bool isEnabled,
    bool isBusy, std::function<void()> action, QWidget* parent)
    : KitButton(std::move(action), true, parent)
    , m_symbol(std::move(symbol))
    , m_kind(kind)
    , m_busy(isBusy)
{
    setText(title);
    setAccessibleName(title);
    setEnabled(isEnabled);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    SmallSpinner::configureTurn(m_spinner);
    connect(&m_spinner, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(
        &MotionSettings::instance(), &MotionSettings::reduceMotionChanged, this, &MVButton::updateSpinner);
    updateSpinner();
}

void MVButton::setTitle(const QString& title)
{
    setText(title);
    setAccessibleName(title);
    updateGeometry();
}

void MVButton::setSymbol(std::optional<QString> symbol)
{
    m_symbol = std::move(symbol);
    updateGeometry();
    update();
}

void MVButton::setKind(MVButtonKind kind)
{
    m_kind = kind;
    updateGeometry();
    update();
}

void MVButton::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    updateSpinner();
    updateGeometry();
    update();
}

qreal MVButton::contentOpacity() const
{
    return isEnabled() ? 1.0 : disabledOpacity;
}

QFont MVButton::titleFont() const
{
    return kitFont(15, m_kind == MVButtonKind::primary ? QFont::DemiBold : QFont::Medium);
}

qreal MVButton::horizontalPadding() const
{
    return m_kind == MVButtonKind::quiet ? 7 : 11;
}

QSize MVButton::sizeHint() const
{
    const qreal lead = m_busy ? spinnerFrame : m_symbol ? symbolSize : 0;
    const qreal textWidth = QFontMetricsF(titleFont()).horizontalAdvance(text());
    const qreal width
        = 2 * horizontalPadding() + lead + (lead > 0 && !text().isEmpty() ? itemSpacing : 0) + textWidth;
    return { int(std::ceil(width)), buttonHeight };
}

bool MVButton::hitButton(const QPoint& position) const
{
    return continuousRoundedRect(rect(), cornerRadius).contains(position);
}

void MVButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    KitButton::changeEvent(event);
}

void MVButton::updateSpinner()
{
    if (m_busy && !MotionSettings::instance().reduceMotion())
        m_spinner.start();
    else
        m_spinner.stop();
    update();
}

void MVButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(contentOpacity());
    pressStyle().apply(painter);

    const QRectF frame = rect();
    const QColor rest = background(m_kind, false).resolve(this);
    const QColor hovered = background(m_kind, true).resolve(this);
    painter.fillRect(frame, Palette::mix(rest, hovered, hoverProgress()));
    strokeInside(painter, frame, cornerRadius, border(m_kind).resolve(this));

    const QColor ink = foreground(m_kind).resolve(this);
    const QFont font = titleFont();
    const qreal textWidth = QFontMetricsF(font).horizontalAdvance(text());
    const qreal lead = m_busy ? spinnerFrame : m_symbol ? symbolSize : 0;
    const qreal contentWidth = lead + (lead > 0 && !text().isEmpty() ? itemSpacing : 0) + textWidth;
    qreal x = frame.center().x() - contentWidth / 2;
    const qreal middle = frame.center().y();

    if (m_busy) {
        const qreal side = spinnerFrame * spinnerScale;
        const QRectF spinner(x + (spinnerFrame - side) / 2, middle - side / 2, side, side);
        SmallSpinner::paintArc(painter, spinner, m_spinner.currentValue().toReal(), ink);
    } else if (m_symbol) {
        IconLibrary::paint(painter, IconLibrary::textSizedBox({ x + symbolSize / 2.0, middle }, symbolSize),
            *m_symbol, ink, SymbolWeight::semibold);
    }
    if (lead > 0)
        x += lead + itemSpacing;

    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QRectF(x, 0, textWidth + 1, frame.height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace mv
