#include "shell/LazyPanel.h"

#include <QTimer>

namespace mv {

LazyPanel::LazyPanel(Factory make, QObject* parent)
    : QObject(parent)
    , m_make(std::move(make))
{
    // Made unasked too, so that the first click on the icon does not wait for it.
    QTimer::singleShot(idleMakeDelayMs, this, [this] { panel(); });
}

LazyPanel::~LazyPanel() = default;

PanelPresenter& LazyPanel::panel()
{
    if (!m_panel)
        m_panel = m_make();
    return *m_panel;
}

} // namespace mv
