#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

namespace mv {

// Fades the lowest part of a scrolling list into the backdrop behind it: a gradient from clear to the
// backdrop's colour laid over the list's bottom edge. Clicks pass through it.
class ListFade : public QWidget {
    Q_OBJECT
public:
    // Covers the lowest `share` of `list`; `backdrop` gives the colour behind the list when it paints.
    ListFade(QWidget* list, qreal share, std::function<QColor()> backdrop);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    QWidget* m_list;
    qreal m_share;
    std::function<QColor()> m_backdrop;
};

} // namespace mv
