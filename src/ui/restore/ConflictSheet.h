#pragma once

#include "ui/models/restore/ConflictPrompt.h"

#include <QDialog>

namespace mv {

class MVButton;

// Asks what to do about the files a restore would write over: the count, the first 50 names, and
// "Cancel", "Keep Existing" or "Replace". Closing it any other way cancels.
class ConflictSheet : public QDialog {
    Q_OBJECT
public:
    static constexpr int namesShown = 50;

    ConflictSheet(const ConflictPrompt& prompt, QWidget* parent = nullptr);

    QString countLine() const { return m_countLine; }
    // The names listed, in order.
    QStringList listedNames() const;
    MVButton* button(ConflictAnswer answer) const;

Q_SIGNALS:
    void answered(ConflictAnswer answer);

protected:
    void reject() override;

private:
    void answer(ConflictAnswer answer);

    QString m_countLine;
    QWidget* m_names;
    MVButton* m_cancel;
    MVButton* m_keep;
    MVButton* m_replace;
    bool m_answered = false;
};

} // namespace mv
