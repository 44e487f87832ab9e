#pragma once

#include "ui/models/support/SupportTexts.h"

#include <QWidget>

namespace mv {

class ElidedLabel;
class TextLabel;

// One fact of the diagnostics card: its label in a 68 px column, then its value on one line, cut in the
// middle when it does not fit, with the whole value as tooltip; a warning value is in the danger colour.
class DiagnosticsInfoLine : public QWidget {
    Q_OBJECT
public:
    static constexpr int labelWidth = 68;

    explicit DiagnosticsInfoLine(const DiagnosticsLine& line, QWidget* parent = nullptr);

    const DiagnosticsLine& line() const { return m_line; }
    TextLabel* labelView() const { return m_label; }
    ElidedLabel* valueView() const { return m_value; }

private:
    DiagnosticsLine m_line;
    TextLabel* m_label;
    ElidedLabel* m_value;
};

} // namespace mv
