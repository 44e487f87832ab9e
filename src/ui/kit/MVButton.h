#pragma once

#include "ui/kit/KitButton.h"

#include <QString>
#include <QVariantAnimation>

#include <optional>

namespace mv {

enum class MVButtonKind { primary, secondary, quiet, destructive };

// The standard text button, 27 px high, optionally with a leading symbol. The caller's enabled flag is the
// widget's own enabled state, so a disabled parent disables it too; a busy button shows a spinner in place of
// its symbol and ignores clicks, but keeps full opacity.
class MVButton : public KitButton {
    Q_OBJECT
public:
    MVButton(const QString& title, std::optional<QString> symbol, MVButtonKind kind, bool isEnabled,
        bool isBusy, std::function<void()> action, QWidget* parent = nullptr);

    QString title() const { return text(); }
    void setTitle(const QString& title);
    std::optional<QString> symbol() const { return m_symbol; }
    void setSymbol(std::optional<QString> symbol);
    MVButtonKind kind() const { return m_kind; }
    void setKind(MVButtonKind kind);
    bool isBusy() const { return m_busy; }
    void setBusy(bool busy);

    // 1 while the button and its parents are enabled, else 0.45.
    qreal contentOpacity() const;

    bool acceptsClicks() const override { return isEnabled() && !m_busy; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
    void changeEvent(QEvent* event) override;

private:
    QFont titleFont() const;
    qreal horizontalPadding() const;
    void updateSpinner();

    std::optional<QString> m_symbol;
    MVButtonKind m_kind;
    bool m_busy;
    QVariantAnimation m_spinner;
};

} // namespace mv
