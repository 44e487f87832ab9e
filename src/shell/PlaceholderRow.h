#pragma once

#include "ui/kit/CardSurface.h"

namespace mv {

class ElidedLabel;

// A plain stand-in for an entry of the panel's lists: a title and a detail line, on a card or bare.
class PlaceholderRow : public CardSurface {
    Q_OBJECT
public:
    PlaceholderRow(const QString& title, const QString& detail, bool onCard, QWidget* parent = nullptr);

    void setTexts(const QString& title, const QString& detail);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_onCard;
    ElidedLabel* m_title;
    ElidedLabel* m_detail;
};

} // namespace mv
