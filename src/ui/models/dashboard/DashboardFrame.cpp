#include "ui/models/dashboard/DashboardFrame.h"

#include <QRegularExpression>

#include <cmath>

namespace mv::DashboardFrame {

namespace {

// Beyond this a number cannot be a position or a size on any desktop; it would also overflow an int.
constexpr double largestCoordinate = 1'000'000;

bool withinLimits(const QSize& size)
{
    return size.width() >= minimumSize.width() && size.width() <= largestSize.width()
        && size.height() >= minimumSize.height() && size.height() <= largestSize.height();
}

qint64 area(const QRect& rect)
{
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

bool mostlyOnScreen(const QRect& frame, const QList<QRect>& screens)
{
    const QRect inner = frame.adjusted(screenInset, screenInset, -screenInset, -screenInset);
    qint64 shown = 0;
    bool innerMeetsScreen = false;
    for (const QRect& screen : screens) {
        shown += area(frame.intersected(screen));
        innerMeetsScreen = innerMeetsScreen || inner.intersects(screen);
    }
    return innerMeetsScreen && shown * 2 >= area(frame);
}

} // namespace

QString format(const QRect& frame)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height());
}

std::optional<QRect> parse(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral(
        R"(^\s*\{\s*\{\s*([^,{}\s]+)\s*,\s*([^,{}\s]+)\s*\}\s*,\s*\{\s*([^,{}\s]+)\s*,\s*([^,{}\s]+)\s*\}\s*\}\s*$)"));
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = match.captured(i + 1).toDouble(&ok);
        if (!ok || !std::isfinite(values[i]) || std::abs(values[i]) > largestCoordinate)
            return std::nullopt;
    }
    return QRect(int(std::lround(values[0])), int(std::lround(values[1])), int(std::lround(values[2])),
        int(std::lround(values[3])));
}

QRect centredDefault(const std::optional<QRect>& area)
{
    if (!area)
        return { QPoint(0, 0), defaultSize };
    return { QPoint(area->x() + (area->width() - defaultSize.width()) / 2,
                 area->y() + (area->height() - defaultSize.height()) / 2),
        defaultSize };
}

QRect restored(
    const std::optional<QString>& stored, const QList<QRect>& screens, const std::optional<QRect>& mainScreen)
{
    if (stored) {
        const std::optional<QRect> frame = parse(*stored);
        if (frame && withinLimits(frame->size()) && mostlyOnScreen(*frame, screens))
            return *frame;
    }
    return centredDefault(mainScreen);
}

QRect saved(const QRect& frame, const std::optional<QRect>& screen)
{
    if (frame.width() <= largestSize.width() && frame.height() <= largestSize.height())
        return frame;
    if (!screen)
        return { frame.topLeft(), defaultSize };
    return centredDefault(screen);
}

} // namespace mv::DashboardFrame
