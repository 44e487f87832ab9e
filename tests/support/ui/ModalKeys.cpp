#include "support/ui/ModalKeys.h"

#include <QApplication>
#include <QtTest>

namespace mv::test {

bool pressOnModal(Qt::Key key)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return false;
    QWidget* focused = modal->focusWidget();
    QTest::keyClick(focused ? focused : modal, key);
    return true;
}

} // namespace mv::test
