#pragma once

#include "ui/kit/KitStyle.h"

#include <QApplication>
#include <QtTest>

namespace mv::test {

enum class Motion { reduced, animated };

// Prepares the process for a view test before QApplication exists: the offscreen platform with one 1920×1080
// screen, an English locale, and Reduce Motion on unless the test is about animations.
void prepareUiTest(Motion motion);

} // namespace mv::test

// QTEST_MAIN for view tests, in the program's own style; MV_UI_TEST_MAIN_ANIMATED leaves Reduce Motion off.
#define MV_UI_TEST_MAIN_WITH(TestObject, motion)                                                             \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        mv::test::prepareUiTest(motion);                                                                     \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        QApplication::setStyle(new mv::KitStyle);                                                            \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
#define MV_UI_TEST_MAIN(TestObject) MV_UI_TEST_MAIN_WITH(TestObject, mv::test::Motion::reduced)
#define MV_UI_TEST_MAIN_ANIMATED(TestObject) MV_UI_TEST_MAIN_WITH(TestObject, mv::test::Motion::animated)
