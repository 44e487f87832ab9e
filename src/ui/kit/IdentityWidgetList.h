#pragma once

#include "ui/kit/Motion.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QPropertyAnimation>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>

namespace mv {

// One entry of a list as a widget, and how that widget takes a newer value of the same entry.
template <typename Row> struct EntryWidget {
    QWidget* widget = nullptr;
    std::function<void(const Row&)> update;
};

// A vertical list of one widget per row, kept by the row's identity: a widget whose identity stays keeps
// its state (hover, expansion, an animation) and is given the new value; one whose identity is gone is
// deleted; new ones are made by the list's factory. Entries coming and going may spring the list's height
// from what it was to what it takes now.
template <typename Row> class IdentityWidgetList {
public:
    using Identity = std::function<QString(const Row&)>;
    using Factory = std::function<EntryWidget<Row>(const Row&, QWidget* parent)>;

    IdentityWidgetList(Identity identity, Factory factory, int spacing, QWidget* parent)
        : m_identity(std::move(identity))
        , m_factory(std::move(factory))
        , m_container(new QWidget(parent))
        , m_layout(new QVBoxLayout(m_container))
    {
        m_layout->setContentsMargins(0, 0, 0, 0);
        m_layout->setSpacing(spacing);
        // The list's height may be held below what its entries take while it springs; the entries then
        // overflow and are cut at its bottom edge.
        m_layout->setSizeConstraint(QLayout::SetNoConstraint);
    }

    QWidget* widget() const { return m_container; }
    int count() const { return int(m_order.size()); }
    // The widget shown for `identity`, if any.
    QWidget* entry(const QString& identity) const { return m_entries.value(identity).widget; }
    // The widgets in the order shown.
    QList<QWidget*> entries() const
    {
        QList<QWidget*> widgets;
        for (const QString& id : m_order)
            widgets.append(m_entries.value(id).widget);
        return widgets;
    }

    // Gives `row` to the widget of its identity, if one shows; answers whether one did.
    bool update(const Row& row)
    {
        const auto found = m_entries.constFind(m_identity(row));
        if (found == m_entries.cend())
            return false;
        found->update(row);
        return true;
    }

    // Shows `rows`; with `spring`, entries coming or going on screen change the list's height with
    // Motion::spring.
    void setRows(const QList<Row>& rows, bool spring = false)
    {
        // An empty list stands at no height, whatever it had when it was last laid out.
        const int before = m_order.isEmpty() ? 0 : m_container->height();
        QHash<QString, EntryWidget<Row>> next;
        QStringList order;
        for (const Row& row : rows) {
            const QString id = m_identity(row);
            if (next.contains(id))
                continue;
            EntryWidget<Row> entry = m_entries.take(id);
            if (entry.widget) {
                entry.update(row);
            } else {
                entry = m_factory(row, m_container);
            }
            next.insert(id, entry);
            order.append(id);
        }
        // What is left is gone. Deleted later: the change may come from inside one of these widgets.
        for (const EntryWidget<Row>& gone : std::as_const(m_entries)) {
            gone.widget->hide();
            m_layout->removeWidget(gone.widget);
            gone.widget->deleteLater();
        }
        for (qsizetype i = 0; i < order.size(); ++i) {
            QWidget* widget = next.value(order[i]).widget;
            if (m_layout->indexOf(widget) != i) {
                m_layout->removeWidget(widget);
                m_layout->insertWidget(int(i), widget);
            }
            widget->show();
        }
        const bool entriesChanged = order != m_order;
        m_entries = std::move(next);
        m_order = std::move(order);
        if (spring && entriesChanged && m_container->isVisible())
            springHeight(before);
    }

private:
    // Holds the list at the height the spring has reached, growing or shrinking, until it has settled.
    void springHeight(int before)
    {
        const int after = m_layout->hasHeightForWidth() ? m_layout->heightForWidth(m_container->width())
                                                        : m_layout->sizeHint().height();
        QWidget* container = m_container;
        QPropertyAnimation* animation
            = Motion::animate(*container, "maximumHeight", before, after, Motion::spring());
        if (!animation) {
            container->setMinimumHeight(0);
            container->setMaximumHeight(QWIDGETSIZE_MAX);
            return;
        }
        container->setMinimumHeight(before);
        QObject::connect(animation, &QVariantAnimation::valueChanged, container,
            [container](const QVariant& height) { container->setMinimumHeight(height.toInt()); });
        QObject::connect(animation, &QAbstractAnimation::finished, container, [container] {
            container->setMinimumHeight(0);
            container->setMaximumHeight(QWIDGETSIZE_MAX);
        });
    }

    Identity m_identity;
    Factory m_factory;
    QWidget* m_container;
    QVBoxLayout* m_layout;
    QHash<QString, EntryWidget<Row>> m_entries;
    QStringList m_order;
};

} // namespace mv
