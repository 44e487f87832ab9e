#pragma once

#include "support/ui/Screenshots.h"

#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace mv::test {

// A window the width of the panel's content, holding cards one under the other as the panel stacks them.
struct PanelColumn {
    QWidget window;
    QVBoxLayout* layout = new QVBoxLayout(&window);

    PanelColumn()
    {
        window.setAutoFillBackground(true);
        window.setFixedWidth(420);
        layout->setContentsMargins(14, 12, 14, 18);
        layout->setSpacing(14);
    }

    template <typename Widget> Widget* add(Widget* widget)
    {
        layout->addWidget(widget);
        return widget;
    }

    bool show()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    // Fits the window's height to the cards it holds now and writes its light and dark pictures.
    bool shoot(const QString& name)
    {
        window.adjustSize();
        return saveLightAndDark(window, name);
    }
};

} // namespace mv::test
