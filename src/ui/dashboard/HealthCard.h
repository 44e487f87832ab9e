#pragma once

#include "ui/kit/CardSurface.h"

class QHBoxLayout;

namespace mv {

class AppState;
class MVButton;
class SymbolBadge;
class TextLabel;

// The overall state at the top of the overview: a coloured badge, the status's headline and hint, the counts
// of active jobs, destinations and failed runs, and "Run All" with, while runs are live, "Pause All".
class HealthCard : public CardSurface {
    Q_OBJECT
public:
    explicit HealthCard(AppState& app, QWidget* parent = nullptr);
    // Reads the state again; the overview calls it whenever the state changes.
    void refresh();

    SymbolBadge* badge() const { return m_badge; }
    MVButton* pauseAllButton() const { return m_pauseAll; }

private:
    AppState& m_app;
    SymbolBadge* m_badge;
    TextLabel* m_title;
    TextLabel* m_hint;
    QHBoxLayout* m_facts;
    MVButton* m_runAll;
    MVButton* m_pauseAll;
};

} // namespace mv
