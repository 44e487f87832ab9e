#include "ui/dashboard/ActivityInspector.h"

#include "model/Format.h"
#include "platform/Clock.h"
#include "ui/kit/ContinuousShape.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/MenuButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/WellSurface.h"
#include "ui/models/dashboard/ActivityPresentation.h"
#include "ui/models/dashboard/DashboardTexts.h"
#include "ui/models/dashboard/LogPreview.h"
#include "ui/models/shared/ActivityRowPresentation.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace mv {

namespace {

const QString noLogText = QStringLiteral("No log file was kept for this run.");

QScrollArea* scrolling(QWidget* content)
{
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return scroll;
}

// The error's box: a well after a success, a faint danger fill otherwise.
class ErrorBox : public QWidget {
public:
    ErrorBox(const QString& error, RunResult result)
        : m_fill(result == RunResult::success ? Palette::well : Palette::danger.opacity(0.08))
    {
        auto* text = new TextLabel(
            error, kitFont(13), PaletteColor(ActivityPresentation::inspectorErrorColor(result)), this);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(9, 9, 9, 9);
        layout->addWidget(text);
    }
    PaletteColor fill() const { return m_fill; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(continuousRoundedRect(QRectF(rect()), 7), m_fill.resolve(this));
    }

private:
    PaletteColor m_fill;
};

} // namespace

ActivityInspector::ActivityInspector(Clock& clock, Prompts& prompts, Actions actions, QWidget* parent)
    : CardSurface(10, false, std::nullopt, parent)
    , m_clock(clock)
    , m_prompts(prompts)
    , m_actions(std::move(actions))
    , m_reveal(QStringLiteral("Reveal Log"))
    , m_runAgain(QStringLiteral("Run Again"))
    , m_delete(QStringLiteral("Delete Entry\u2026"))
    , m_layout(new QVBoxLayout(this))
{
    m_reveal.setObjectName(QStringLiteral("revealRunLog"));
    m_runAgain.setObjectName(QStringLiteral("runAgain"));
    m_delete.setObjectName(QStringLiteral("deleteRunEntry"));
    connect(&m_reveal, &QAction::triggered, this, [this] {
        if (m_record && m_record->logPath)
            m_prompts.reveal(*m_record->logPath);
    });
    connect(&m_runAgain, &QAction::triggered, this, [this] {
        if (m_record)
            m_actions.runAgain(*m_record);
    });
    connect(&m_delete, &QAction::triggered, this, [this] {
        if (m_record)
            m_actions.remove(*m_record);
    });
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    rebuild();
}

void ActivityInspector::setRecord(const std::optional<BackupRunRecord>& record)
{
    if (record == m_record && m_content)
        return;
    m_record = record;
    // The preview follows the selection, not the record's later changes.
    const std::optional<QUuid> id = record ? std::optional(record->id) : std::nullopt;
    if (id != m_loadedID) {
        m_loadedID = id;
        m_logTail = record ? LogPreview::tail(record->logPath) : QString();
    }
    rebuild();
}

QString ActivityInspector::logPreviewText() const
{
    return m_preview ? m_preview->text() : QString();
}

void ActivityInspector::fillMenu(QMenu& menu)
{
    if (m_record && m_record->logPath)
        menu.addAction(&m_reveal);
    menu.addAction(&m_runAgain);
    menu.addSeparator();
    menu.addAction(&m_delete);
}

void ActivityInspector::rebuild()
{
    delete m_content;
    m_openLog = nullptr;
    m_more = nullptr;
    m_preview = nullptr;
    if (!m_record) {
        m_content = placeholder();
    } else {
        m_content = new QWidget(this);
        auto* column = new QVBoxLayout(m_content);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        column->addWidget(header(*m_record));
        column->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 0, m_content));
        auto* body = new QWidget;
        auto* stack = new QVBoxLayout(body);
        stack->setContentsMargins(12, 12, 12, 12);
        stack->setSpacing(12);
        stack->addWidget(details(*m_record));
        if (const std::optional<QString> error = ActivityPresentation::errorSummary(*m_record))
            stack->addWidget(errorBox(*error, m_record->result));
        stack->addWidget(actions(*m_record));
        stack->addWidget(logPreview());
        stack->addStretch(1);
        column->addWidget(scrolling(body), 1);
    }
    m_layout->addWidget(m_content);
    m_content->show();
}

QWidget* ActivityInspector::placeholder()
{
    auto* empty = new QWidget(this);
    auto* stack = new QVBoxLayout(empty);
    stack->setSpacing(9);
    stack->addStretch(1);
    stack->addWidget(new SymbolImage(QStringLiteral("sidebar.right"), 26, SymbolWeight::light,
                         Palette::labelTertiary, empty),
        0, Qt::AlignHCenter);
    stack->addWidget(
        new TextLabel(QStringLiteral("Select a run"), kitFont(15, QFont::Medium), Palette::label, empty), 0,
        Qt::AlignHCenter);
    auto* message = new TextLabel(QStringLiteral("Details, actions and a log preview appear here."),
        kitFont(13), Palette::labelSecondary, empty);
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignHCenter);
    message->setFixedWidth(180);
    stack->addWidget(message, 0, Qt::AlignHCenter);
    stack->addStretch(1);
    return empty;
}

QWidget* ActivityInspector::header(const BackupRunRecord& record)
{
    auto* header = new QWidget;
    auto* stack = new QVBoxLayout(header);
    stack->setContentsMargins(12, 12, 12, 12);
    stack->setSpacing(4);
    auto* top = new QHBoxLayout;
    top->addWidget(new StatusChip(ActivityPresentation::resultLabel(record.result),
        PaletteColor(ActivityRowPresentation::resultColor(record.result)), std::nullopt, false, header));
    top->addStretch(1);
    top->addWidget(new TextLabel(
        Format::relative(record.startedAt, m_clock.now()), kitFont(12), Palette::labelTertiary, header));
    stack->addLayout(top);
    stack->addWidget(new ElidedLabel(
        record.jobName, kitFont(16, QFont::DemiBold), Palette::label, Qt::ElideRight, header));
    auto* destination = new QHBoxLayout;
    destination->setSpacing(4);
    destination->addWidget(
        new TextLabel(QStringLiteral("\u2192"), kitFont(13), Palette::labelTertiary, header));
    destination->addWidget(
        new ElidedLabel(record.destinationName, kitFont(13), Palette::labelSecondary, Qt::ElideRight, header),
        1);
    stack->addLayout(destination);
    stack->addWidget(new PathLabel(record.destinationPath, kitFont(12), Palette::labelSecondary, header));
    return header;
}

QWidget* ActivityInspector::details(const BackupRunRecord& record)
{
    auto* grid = new QWidget;
    auto* stack = new QVBoxLayout(grid);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(5);
    const auto meta = [&](const QString& label, const QString& value) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* name = new TextLabel(label, kitFont(12), Palette::labelTertiary, grid);
        name->setFixedWidth(66);
        auto* text = new TextLabel(value, kitFont(13), Palette::label, grid);
        text->setWordWrap(true);
        text->setToolTip(value);
        row->addWidget(name, 0, Qt::AlignTop);
        row->addWidget(text, 1);
        stack->addLayout(row);
    };
    meta(QStringLiteral("Started"), Format::mediumDateTime(record.startedAt));
    if (record.endedAt) {
        meta(QStringLiteral("Ended"), Format::mediumDateTime(*record.endedAt));
        meta(QStringLiteral("Duration"), *ActivityPresentation::durationText(record));
    }
    meta(QStringLiteral("Trigger"), ActivityPresentation::triggerLabel(record.trigger));
    meta(QStringLiteral("Mode"), modeLabel(record.mode));
    meta(QStringLiteral("Transferred"), ActivityPresentation::byteCountText(record.bytesTransferred));
    meta(QStringLiteral("Files"), ActivityPresentation::fileSummary(record));
    if (record.logTruncated)
        stack->addWidget(new TextLabel(
            QStringLiteral("The saved log was truncated at 2 MB."), kitFont(12), Palette::warning, grid));
    return grid;
}

QWidget* ActivityInspector::errorBox(const QString& error, RunResult result)
{
    return new ErrorBox(error, result);
}

QWidget* ActivityInspector::actions(const BackupRunRecord& record)
{
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_openLog = new MVButton(
        QStringLiteral("Open Log"), QStringLiteral("doc.text.magnifyingglass"), MVButtonKind::secondary,
        record.logPath.has_value(), false,
        [this] {
            if (m_record)
                m_actions.showLog(*m_record);
        },
        bar);
    row->addWidget(m_openLog);
    row->addWidget(new IconButton(
        QStringLiteral("arrow.clockwise"), QStringLiteral("Run this job again"), false, std::nullopt, 26,
        [this] { m_runAgain.trigger(); }, bar));
    m_more = new MenuButton(
        QStringLiteral("ellipsis"), QStringLiteral("More"), 26, [this](QMenu& menu) { fillMenu(menu); }, bar);
    row->addWidget(m_more);
    row->addStretch(1);
    return bar;
}

QWidget* ActivityInspector::logPreview()
{
    auto* preview = new QWidget;
    auto* stack = new QVBoxLayout(preview);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(5);
    stack->addWidget(new TextLabel(QStringLiteral("LOG PREVIEW"), tracked(kitFont(11, QFont::DemiBold), 0.6),
        Palette::labelTertiary, preview));
    const bool empty = m_logTail.isEmpty();
    m_preview = new TextLabel(empty ? noLogText : m_logTail, monospacedFont(11),
        empty ? Palette::labelTertiary : Palette::labelSecondary);
    m_preview->setTextFormat(Qt::PlainText);
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* well = new WellSurface(7, preview);
    auto* inWell = new QVBoxLayout(well);
    inWell->setContentsMargins(8, 8, 8, 8);
    inWell->addWidget(scrolling(m_preview));
    well->setMaximumHeight(170 + 2 * 8);
    stack->addWidget(well);
    return preview;
}

} // namespace mv
