#pragma once

#include "ui/kit/PlainButton.h"
#include "ui/models/support/HelpItem.h"

#include <QVariantAnimation>
#include <QWidget>

#include <functional>

class QGraphicsOpacityEffect;

namespace mv {

class HelpChevron;
class SymbolImage;
class TextLabel;

// One troubleshooting topic: a plain row with the question that calls `toggle` when clicked, and below it,
// while the topic is open, the answer. Opening and closing fade the answer and turn the chevron over
// Motion::quick.
class HelpDisclosure : public QWidget {
    Q_OBJECT
public:
    HelpDisclosure(
        const HelpItem& item, bool isExpanded, std::function<void()> toggle, QWidget* parent = nullptr);

    const HelpItem& item() const { return m_item; }
    bool isExpanded() const { return m_expanded; }
    void setExpanded(bool expanded);

    PlainButton* questionButton() const { return m_button; }
    TextLabel* answerLabel() const { return m_answer; }
    // 0 closed … 1 open, moving while the row animates.
    qreal openness() const { return m_openness; }

private:
    void apply(qreal openness);

    HelpItem m_item;
    bool m_expanded;
    qreal m_openness;
    PlainButton* m_button;
    SymbolImage* m_icon;
    HelpChevron* m_chevron;
    QWidget* m_answerBox; // holds the answer with its margins, so a closed topic takes no room
    TextLabel* m_answer;
    QGraphicsOpacityEffect* m_fade;
    QVariantAnimation m_animation;
};

} // namespace mv
