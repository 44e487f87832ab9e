#include "shell/MirrorPreviewSheet.h"

#include "coordination/JobActions.h"
#include "model/Format.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconLibrary.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/WellSurface.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace mv {

namespace {

constexpr int sheetWidth = 430;
constexpr int listHeight = 118;

// The danger shield on a faint danger disc that opens the sheet.
class ShieldBadge final : public QWidget {
public:
    explicit ShieldBadge(QWidget* parent)
        : QWidget(parent)
    {
        setFixedSize(34, 34);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::danger.opacity(0.12).resolve(this));
        painter.drawEllipse(rect());
        IconLibrary::paint(painter, IconLibrary::textSizedBox(QRectF(rect()).center(), 18),
            QStringLiteral("exclamationmark.shield.fill"), Palette::danger.resolve(this),
            SymbolWeight::semibold);
    }
};

qsizetype shownCount(const MirrorPreview& preview)
{
    return std::min<qsizetype>(preview.deletions.size(), MirrorPreviewSheet::shownLimit);
}

} // namespace

MirrorPreviewSheet::MirrorPreviewSheet(MirrorPrompt prompt, JobActions& jobs, QWidget* parent)
    : QDialog(parent)
    , m_prompt(std::move(prompt))
    , m_jobs(jobs)
{
    setWindowTitle(QStringLiteral("Mirror will delete files"));
    setFixedWidth(sheetWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addWidget(makeHeader());
    auto* text = new TextLabel(message(m_prompt.preview), kitFont(15), Palette::labelSecondary, this);
    text->setWordWrap(true);
    layout->addWidget(text);
    if (!m_prompt.preview.deletions.isEmpty())
        layout->addWidget(makeList());
    auto* warning = new TextLabel(
        QStringLiteral("This cannot be undone. Incremental copy is the default for a reason."), kitFont(13),
        Palette::labelTertiary, this);
    warning->setWordWrap(true);
    layout->addWidget(warning);
    layout->addLayout(makeButtons());
    resize(sheetWidth, heightForWidth(sheetWidth));
}

QString MirrorPreviewSheet::message(const MirrorPreview& preview)
{
    return Format::grouped(preview.totalDeletions)
        + QStringLiteral(" items exist at the destination but not in the source. Mirror removes them. "
                         "Review the first ")
        + QString::number(shownCount(preview)) + QStringLiteral(" below.");
}

void MirrorPreviewSheet::paintEvent(QPaintEvent*)
{
    // The panel's tint over the window colour, so the sheet reads as part of the panel it stands for.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(rect(), Palette::panelTint.resolve(this));
}

QWidget* MirrorPreviewSheet::makeHeader()
{
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(new ShieldBadge(header), 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(new TextLabel(
        QStringLiteral("Mirror will delete files"), kitFont(16, QFont::DemiBold), Palette::label, header));
    titles->addWidget(
        new ElidedLabel(m_prompt.job.name + QStringLiteral(" \u2192 ") + m_prompt.destination.name,
            kitFont(13), Palette::labelSecondary, Qt::ElideRight, header));
    row->addLayout(titles, 1);
    return header;
}

QWidget* MirrorPreviewSheet::makeList()
{
    auto* rows = new QWidget;
    rows->setObjectName(QStringLiteral("mirrorPreviewRows"));
    auto* column = new QVBoxLayout(rows);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(4);
    for (const QString& path : m_prompt.preview.deletions.first(shownCount(m_prompt.preview))) {
        auto* row = new QHBoxLayout;
        row->setSpacing(6);
        row->addWidget(
            new SymbolImage(QStringLiteral("trash"), 11, SymbolWeight::regular, Palette::danger, rows), 0,
            Qt::AlignVCenter);
        row->addWidget(new ElidedLabel(path, monospacedFont(13), Palette::label, Qt::ElideMiddle, rows), 1);
        column->addLayout(row);
    }
    column->addStretch();

    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(rows);
    // The well behind shows through the scroll area.
    scroll->viewport()->setAutoFillBackground(false);
    rows->setAutoFillBackground(false);

    auto* well = new WellSurface(7, this);
    well->setObjectName(QStringLiteral("mirrorPreviewList"));
    well->setFixedHeight(listHeight);
    auto* fill = new QVBoxLayout(well);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(scroll);
    return well;
}

QLayout* MirrorPreviewSheet::makeButtons()
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(new MVButton(
        QStringLiteral("Cancel"), std::nullopt, MVButtonKind::secondary, true, false, [this] { reject(); },
        this));
    row->addWidget(new MVButton(
        QStringLiteral("Delete and Run"), std::nullopt, MVButtonKind::destructive, true, false,
        [this] {
            m_jobs.confirmMirrorRun();
            accept();
        },
        this));
    return row;
}

} // namespace mv
