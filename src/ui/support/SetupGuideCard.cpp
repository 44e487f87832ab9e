#include "ui/support/SetupGuideCard.h"

#include "ui/kit/Hairline.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

namespace {

// A step's number on a faint accent circle, 17 px across.
class StepBadge : public QWidget {
public:
    StepBadge(int number, QWidget* parent)
        : QWidget(parent)
        , m_number(QString::number(number))
    {
        setFixedSize(17, 17);
        setFont(kitFont(11, QFont::DemiBold));
        setAccessibleName(m_number);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::accent.opacity(0.12).resolve(this));
        painter.drawEllipse(rect());
        painter.setPen(Palette::accent.resolve(this));
        painter.drawText(rect(), Qt::AlignCenter, m_number);
    }

private:
    QString m_number;
};

TextLabel* wrapping(TextLabel* label)
{
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

SetupGuideCard::SetupGuideCard(std::function<void()> addBackup, QWidget* parent)
    : CardSurface(10, false, std::nullopt, parent)
    , m_addBackup(new MVButton(QStringLiteral("Add Backup"), QStringLiteral("plus"), MVButtonKind::secondary,
          true, false, std::move(addBackup), this))
{
    auto* steps = new QVBoxLayout;
    steps->setSpacing(8);
    steps->addWidget(step(1, QStringLiteral("Click Add Backup.")));
    steps->addWidget(step(2, QStringLiteral("Choose the folder to protect.")));
    steps->addWidget(step(3, QStringLiteral("Add one or more destinations.")));
    steps->addWidget(step(4, QStringLiteral("Pick a schedule, save, then Run Now.")));

    auto* hints = new QVBoxLayout;
    hints->setSpacing(7);
    hints->addWidget(
        destinationHint(QStringLiteral("externaldrive.fill"), QStringLiteral("Local or external"),
            QStringLiteral("Any mounted folder, including USB and external SSDs.")));
    hints->addWidget(destinationHint(QStringLiteral("network"), QStringLiteral("Network share"),
        QStringLiteral("Mount SMB, NFS or AFP in your file manager first.")));
    hints->addWidget(destinationHint(QStringLiteral("server.rack"), QStringLiteral("SSH server"),
        QStringLiteral("Needs rsync 3.1+ and a key already in known_hosts.")));

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(14, 14, 14, 14);
    stack->setSpacing(10);
    stack->addWidget(new SectionHeader(
        QStringLiteral("Set up a backup"), std::nullopt, std::nullopt, std::nullopt, nullptr, this));
    stack->addLayout(steps);
    stack->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::half, 0, this));
    stack->addLayout(hints);
    stack->addSpacing(2);
    stack->addWidget(m_addBackup, 0, Qt::AlignLeft);
    stack->addStretch(1);
}

QWidget* SetupGuideCard::step(int number, const QString& text)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(new StepBadge(number, row), 0, Qt::AlignTop);
    layout->addWidget(wrapping(new TextLabel(text, kitFont(13), Palette::label, row)), 1, Qt::AlignTop);
    return row;
}

QWidget* SetupGuideCard::destinationHint(const QString& symbol, const QString& title, const QString& detail)
{
    auto* row = new QWidget(this);
    auto* icon = new SymbolImage(symbol, 12, SymbolWeight::regular, Palette::labelSecondary, row);
    icon->setFixedWidth(14);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(new TextLabel(title, kitFont(13, QFont::Medium), Palette::label, row));
    texts->addWidget(wrapping(new TextLabel(detail, kitFont(12), Palette::labelSecondary, row)));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(7);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
    return row;
}

} // namespace mv
