#include "ui/support/HelpDisclosure.h"

#include "ui/kit/IconLibrary.h"
#include "ui/kit/Motion.h"
#include "ui/kit/Palette.h"
#include "ui/kit/PlainButton.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

// The chevron at the row's end, turned a quarter clockwise (pointing down) as the topic opens.
class HelpChevron : public QWidget {
public:
    explicit HelpChevron(QWidget* parent)
        : QWidget(parent)
    {
        setFixedSize(14, 14);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    void setTurn(qreal degrees)
    {
        m_degrees = degrees;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(QRectF(rect()).center());
        painter.rotate(m_degrees);
        IconLibrary::paint(painter, IconLibrary::textSizedBox({ 0, 0 }, 11), QStringLiteral("chevron.right"),
            Palette::labelTertiary.resolve(this), SymbolWeight::semibold);
    }

private:
    qreal m_degrees = 0;
};

HelpDisclosure::HelpDisclosure(
    const HelpItem& item, bool isExpanded, std::function<void()> toggle, QWidget* parent)
    : QWidget(parent)
    , m_item(item)
    , m_expanded(isExpanded)
    , m_openness(isExpanded ? 1 : 0)
    , m_button(new PlainButton(std::move(toggle), this))
    , m_icon(new SymbolImage(
          QStringLiteral("questionmark.circle"), 13, SymbolWeight::regular, Palette::labelTertiary, m_button))
    , m_chevron(new HelpChevron(m_button))
    , m_answerBox(new QWidget(this))
    , m_answer(new TextLabel(item.answer, kitFont(13), Palette::labelSecondary, m_answerBox))
    , m_fade(new QGraphicsOpacityEffect(m_answer))
{
    auto* question = new TextLabel(item.question, kitFont(15, QFont::Medium), Palette::label, m_button);
    question->setWordWrap(true);
    for (QWidget* part : { static_cast<QWidget*>(m_icon), static_cast<QWidget*>(question) })
        part->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The question row: its whole padded area is the click target. Its text is the question, for
    // accessibility; the parts laid out on it draw it.
    m_button->setText(item.question);
    m_button->setAccessibleName(item.question);
    m_button->setFocusRing(true);
    auto* face = new QWidget(m_button);
    auto* row = new QHBoxLayout(face);
    row->setContentsMargins(14, 10, 14, 10);
    row->setSpacing(8);
    row->addWidget(m_icon, 0, Qt::AlignVCenter);
    row->addWidget(question, 1, Qt::AlignVCenter);
    row->addSpacing(8);
    row->addWidget(m_chevron, 0, Qt::AlignVCenter);
    m_button->setContent(face);
    m_button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);

    m_answer->setWordWrap(true);
    m_answer->setGraphicsEffect(m_fade);
    auto* answer = new QHBoxLayout(m_answerBox);
    answer->setContentsMargins(33, 0, 14, 11);
    answer->addWidget(m_answer);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(m_button);
    stack->addWidget(m_answerBox);

    Motion::apply(m_animation, Motion::quick());
    connect(&m_animation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant& value) { apply(value.toReal()); });
    connect(&m_animation, &QVariantAnimation::finished, this, [this] { apply(m_expanded ? 1 : 0); });
    apply(m_openness);
}

void HelpDisclosure::setExpanded(bool expanded)
{
    if (expanded == m_expanded)
        return;
    m_expanded = expanded;
    m_animation.stop();
    m_animation.setStartValue(m_openness);
    m_animation.setEndValue(expanded ? 1.0 : 0.0);
    m_animation.start();
}

void HelpDisclosure::apply(qreal openness)
{
    m_openness = openness;
    // The answer takes its place as soon as the topic opens and leaves once it has faded out.
    m_answerBox->setVisible(m_expanded || openness > 0);
    m_fade->setOpacity(openness);
    m_icon->setColor(m_expanded ? Palette::accent : Palette::labelTertiary);
    m_chevron->setTurn(90 * openness);
}

} // namespace mv
