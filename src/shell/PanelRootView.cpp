#include "shell/PanelRootView.h"

#include "shell/MenuBarPanel.h"
#include "shell/PanelBackground.h"
#include "shell/PanelPlacement.h"
#include "ui/kit/ContinuousShape.h"
#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

namespace {

constexpr int shadowRadius = 18;
constexpr int shadowOffsetY = 9;

// The card's border, drawn over everything inside the card; clicks pass through it.
class CardBorder : public QWidget {
public:
    explicit CardBorder(QWidget* parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        strokeInside(painter, rect(), PanelRootView::cornerRadius,
            Palette::hairlineStrong.opacity(0.75).resolve(this));
    }
};

// Three box blurs of one channel in a row, close to a Gaussian blur whose standard deviation is half
// `radius`.
void blurAlpha(QImage& image, int radius)
{
    const int box = std::max(1, radius / 2);
    const int width = image.width();
    const int height = image.height();
    std::vector<int> line(size_t(std::max(width, height)));
    const auto pass = [&](int count, int length, auto&& at) {
        for (int i = 0; i < count; ++i) {
            for (int j = 0; j < length; ++j)
                line[size_t(j)] = at(i, j);
            int sum = 0;
            for (int j = -box; j <= box; ++j)
                sum += line[size_t(std::clamp(j, 0, length - 1))];
            for (int j = 0; j < length; ++j) {
                at(i, j) = uchar(sum / (2 * box + 1));
                sum += line[size_t(std::min(j + box + 1, length - 1))] - line[size_t(std::max(j - box, 0))];
            }
        }
    };
    for (int round = 0; round < 3; ++round) {
        pass(height, width, [&](int y, int x) -> uchar& { return image.scanLine(y)[x]; });
        pass(width, height, [&](int x, int y) -> uchar& { return image.scanLine(y)[x]; });
    }
}

} // namespace

PanelRootView::PanelRootView(ViewContext& context, QWidget* parent)
    : QWidget(parent)
    , m_background(new PanelBackground(cornerRadius, this))
    , m_panel(new MenuBarPanel(context, cornerRadius, this))
{
    setFixedSize(PanelPlacement::windowSize);
    for (QWidget* layer : { static_cast<QWidget*>(m_background), static_cast<QWidget*>(m_panel) })
        layer->setGeometry(cardRect());
    (new CardBorder(this))->setGeometry(cardRect());
    m_panel->setBackdrop([this] { return m_background->backdropColor(); });
}

QRect PanelRootView::cardRect() const
{
    return { QPoint(PanelPlacement::margin, PanelPlacement::margin), PanelPlacement::cardSize };
}

QRegion PanelRootView::cardRegion() const
{
    return QRegion(continuousRoundedRect(cardRect(), cornerRadius).toFillPolygon().toPolygon());
}

const QImage& PanelRootView::shadow()
{
    const QColor colour = Palette::panelShadow.resolve(this);
    if (!m_shadow.isNull() && colour.rgba() == m_shadowColour)
        return m_shadow;
    QImage alpha(size(), QImage::Format_Alpha8);
    alpha.fill(Qt::transparent);
    {
        QPainter painter(&alpha);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(
            continuousRoundedRect(cardRect().translated(0, shadowOffsetY), cornerRadius), Qt::black);
    }
    blurAlpha(alpha, shadowRadius);
    m_shadow = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    m_shadow.fill(colour);
    QPainter painter(&m_shadow);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, alpha);
    m_shadowColour = colour.rgba();
    return m_shadow;
}

void PanelRootView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, shadow());
}

} // namespace mv
