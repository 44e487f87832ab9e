#include "ui/kit/KitAccessibility.h"

#include "ui/kit/AppMark.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/CountCapsule.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/KitButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/ProgressBarView.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TagChip.h"

#include <QAccessibleWidget>

namespace mv {

namespace {

class AccessibleButton : public QAccessibleWidget {
public:
    explicit AccessibleButton(KitButton* button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (const auto* button = qobject_cast<MVButton*>(widget()); button && button->isBusy())
            state.busy = true;
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList { pressAction() } + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override
    {
        auto* button = static_cast<KitButton*>(widget());
        if (actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        if (button->acceptsClicks())
            button->click();
    }
};

class AccessibleProgress : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleProgress(ProgressBarView* bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override
    {
        const auto percent = static_cast<ProgressBarView*>(widget())->percent();
        return percent ? QVariant(*percent) : QVariant();
    }
    void setCurrentValue(const QVariant&) override { }
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
};

// A piece that reads as one text and keeps its painted parts (a chip's dot and symbol) to itself.
class AccessibleText : public QAccessibleWidget {
public:
    explicit AccessibleText(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::StaticText)
    {
    }

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

// Decoration: present in the tree, but marked invisible so readers skip it.
class AccessibleDecoration : public QAccessibleWidget {
public:
    explicit AccessibleDecoration(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Graphic)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
};

QAccessibleInterface* kitFactory(const QString&, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (auto* button = qobject_cast<KitButton*>(object))
        return new AccessibleButton(button);
    if (auto* bar = qobject_cast<ProgressBarView*>(object))
        return new AccessibleProgress(bar);
    if (qobject_cast<StatusChip*>(object) || qobject_cast<TagChip*>(object)
        || qobject_cast<ElidedLabel*>(object) || qobject_cast<CountCapsule*>(object))
        return new AccessibleText(static_cast<QWidget*>(object));
    if (qobject_cast<StatusDot*>(object) || qobject_cast<AppMark*>(object)
        || qobject_cast<SymbolImage*>(object))
        return new AccessibleDecoration(static_cast<QWidget*>(object));
    if (auto* card = qobject_cast<CardSurface*>(object))
        return new QAccessibleWidget(card, QAccessible::Grouping);
    return nullptr;
}

} // namespace

void installKitAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(kitFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace mv
