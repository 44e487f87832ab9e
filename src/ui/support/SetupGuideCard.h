#pragma once

#include "ui/kit/CardSurface.h"

#include <functional>

namespace mv {

class MVButton;

// The support page's guide to a first backup: four numbered steps, the three kinds of destination rsync
// serves, and "Add Backup", which asks for the editor of a new job. Its texts never change.
class SetupGuideCard : public CardSurface {
    Q_OBJECT
public:
    explicit SetupGuideCard(std::function<void()> addBackup, QWidget* parent = nullptr);

    MVButton* addBackupButton() const { return m_addBackup; }

private:
    QWidget* step(int number, const QString& text);
    QWidget* destinationHint(const QString& symbol, const QString& title, const QString& detail);

    MVButton* m_addBackup;
};

} // namespace mv
