#pragma once

#include "model/BackupSource.h"
#include "ui/kit/CardSurface.h"

#include <QString>

#include <functional>
#include <optional>

namespace mv {

class ElidedLabel;
class PathLabel;
class TextLabel;

// The chosen source folder on a card: its name, its path, its size line, and "Reveal" and "Change…".
class SourceCard : public CardSurface {
    Q_OBJECT
public:
    SourceCard(std::function<void()> reveal, std::function<void()> change, QWidget* parent = nullptr);

    void showSource(const BackupSource& source, const QString& sizeLine);

    QString sizeLine() const;

private:
    ElidedLabel* m_name;
    PathLabel* m_path;
    TextLabel* m_size;
};

} // namespace mv
