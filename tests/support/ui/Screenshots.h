#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace mv::test {

// Where the view tests leave their pictures for a reviewer: <build>/screens.
QString screenshotFolder();

// Renders `widget` once forced light and once forced dark, as <name>-light.png and <name>-dark.png, and
// gives it back its own palette. Answers whether both files were written.
bool saveLightAndDark(QWidget& widget, const QString& name);

// `over` painted over an opaque `under`.
QColor composite(const QColor& over, const QColor& under);

// Whether two colours agree within `tolerance` on every 8-bit channel.
bool closeColours(const QColor& a, const QColor& b, int tolerance = 2);

} // namespace mv::test
