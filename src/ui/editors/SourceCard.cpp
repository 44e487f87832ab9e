#include "ui/editors/SourceCard.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

namespace {

// The folder symbol on a tile of the accent at 12 %.
class FolderTile final : public QWidget {
public:
    explicit FolderTile(QWidget* parent)
        : QWidget(parent)
    {
        setFixedSize(34, 34);
        auto* centre = new QVBoxLayout(this);
        centre->setContentsMargins(0, 0, 0, 0);
        centre->addWidget(
            new SymbolImage(QStringLiteral("folder.fill"), 16, SymbolWeight::regular, Palette::accent, this),
            0, Qt::AlignCenter);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::accent.opacity(0.12).resolve(this));
        painter.drawPath(continuousRoundedRect(rect(), 8));
    }
};

} // namespace

SourceCard::SourceCard(std::function<void()> reveal, std::function<void()> change, QWidget* parent)
    : CardSurface(10, false, std::nullopt, parent)
    , m_name(new ElidedLabel({}, kitFont(15, QFont::Medium), Palette::label, Qt::ElideRight, this))
    , m_path(new PathLabel({}, kitFont(13), Palette::labelSecondary, this))
    , m_size(new TextLabel({}, kitFont(12), Palette::labelTertiary, this))
{
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(m_name);
    texts->addWidget(m_path);
    texts->addWidget(m_size);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(10);
    row->addWidget(new FolderTile(this));
    row->addLayout(texts, 1);
    row->addWidget(new MVButton(
        QStringLiteral("Reveal"), std::nullopt, MVButtonKind::quiet, true, false, std::move(reveal), this));
    row->addWidget(new MVButton(QStringLiteral("Change\u2026"), std::nullopt, MVButtonKind::secondary, true,
        false, std::move(change), this));
}

void SourceCard::showSource(const BackupSource& source, const QString& sizeLine)
{
    m_name->setText(source.displayName.isEmpty() ? QFileInfo(source.path).fileName() : source.displayName);
    m_path->setPath(source.path);
    m_size->setText(sizeLine);
}

QString SourceCard::sizeLine() const
{
    return m_size->text();
}

} // namespace mv
