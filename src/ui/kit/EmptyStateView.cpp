#include "ui/kit/EmptyStateView.h"

#include "ui/kit/IconLibrary.h"
#include "ui/kit/KitAccessibility.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

namespace {

constexpr qreal wellDiameter = 66;
constexpr qreal symbolSize = 72;
constexpr int messageWidth = 280;

// The large symbol over its round well.
class SymbolWell : public QWidget {
public:
    SymbolWell(const QString& symbol, QWidget* parent)
        : QWidget(parent)
        , m_symbol(symbol)
    {
        installKitAccessibility();
        setFixedSize(int(symbolSize), int(symbolSize));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPointF middle = QRectF(rect()).center();
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::well.resolve(this));
        painter.drawEllipse(middle, wellDiameter / 2, wellDiameter / 2);
        IconLibrary::paint(
            painter, rect(), m_symbol, Palette::labelTertiary.resolve(this), SymbolWeight::light);
    }

private:
    QString m_symbol;
};

} // namespace

EmptyStateView::EmptyStateView(const QString& symbol, const QString& title, const QString& message,
    std::optional<QString> actionTitle, std::function<void()> action, QWidget* parent)
    : QWidget(parent)
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 24, 0, 24);
    stack->setSpacing(10);

    auto* well = new SymbolWell(symbol, this);
    stack->addWidget(well, 0, Qt::AlignHCenter);
    stack->addSpacing(2);

    stack->addWidget(
        new TextLabel(title, kitFont(16, QFont::DemiBold), Palette::label, this), 0, Qt::AlignHCenter);

    // The message takes the width it is offered up to its limit and wraps there; the stretches around it keep
    // it centred (a layout alignment would give a wrapping label only its preferred width).
    auto* explanation = new TextLabel(message, kitFont(13), Palette::labelSecondary, this);
    explanation->setWordWrap(true);
    explanation->setAlignment(Qt::AlignHCenter);
    explanation->setMaximumWidth(messageWidth);
    // Its height follows the width it gets: without that the view is as tall as the message wrapped at
    // its preferred width, with the extra height as empty space around it.
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    explanation->setSizePolicy(policy);
    auto* centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addWidget(explanation, 1000);
    centred->addStretch(1);
    stack->addLayout(centred);

    if (actionTitle && action) {
        stack->addSpacing(4);
        m_button = new MVButton(*actionTitle, QStringLiteral("plus"), MVButtonKind::primary, true, false,
            std::move(action), this);
        stack->addWidget(m_button, 0, Qt::AlignHCenter);
    }
}

} // namespace mv
