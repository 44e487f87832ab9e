#include "support/ui/VisibleTexts.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/TagChip.h"

#include <QAbstractButton>
#include <QLabel>

#include <algorithm>
#include <optional>

namespace mv::test {

namespace {

struct Placed {
    QRect area;
    QString text;
};

std::optional<QString> shownText(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* elided = qobject_cast<const ElidedLabel*>(widget))
        return elided->elidedText();
    if (const auto* chip = qobject_cast<const StatusChip*>(widget))
        return chip->text();
    if (const auto* tag = qobject_cast<const TagChip*>(widget))
        return tag->visibleText();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget);
        button && !button->text().isEmpty())
        return button->text();
    return std::nullopt;
}

} // namespace

QStringList visibleTexts(const QWidget& root)
{
    QList<Placed> placed;
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&root))
            continue;
        if (const auto text = shownText(widget); text && !text->isEmpty())
            placed.append({ QRect(widget->mapTo(&root, QPoint(0, 0)), widget->size()), *text });
    }
    // Two texts share a line when each one's middle lies within the other's height.
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        const bool sameLine = a.area.top() <= b.area.center().y() && b.area.center().y() <= a.area.bottom()
            && b.area.top() <= a.area.center().y() && a.area.center().y() <= b.area.bottom();
        if (sameLine)
            return a.area.left() < b.area.left();
        return a.area.center().y() < b.area.center().y();
    });
    QStringList texts;
    for (const Placed& item : placed)
        texts << item.text;
    return texts;
}

} // namespace mv::test
