#pragma once

#include "ui/kit/CardSurface.h"

class QHBoxLayout;

namespace mv {

class MVButton;
class SymbolBadge;
class TextLabel;
struct ViewContext;

// The overall state at the top of the overview: a coloured badge, the status's headline and hint, the counts
// of active jobs, destinations and failed runs, and "Run All" with, while runs are live, "Pause All". The two
// buttons are the program's commands; the rest follows the status board and the history.
class HealthCard : public CardSurface {
    Q_OBJECT
public:
    explicit HealthCard(ViewContext& context, QWidget* parent = nullptr);

    SymbolBadge* badge() const { return m_badge; }
    MVButton* pauseAllButton() const { return m_pauseAll; }

private:
    void refresh();

    ViewContext& m_context;
    SymbolBadge* m_badge;
    TextLabel* m_title;
    TextLabel* m_hint;
    QHBoxLayout* m_facts;
    MVButton* m_runAll;
    MVButton* m_pauseAll;
};

} // namespace mv
