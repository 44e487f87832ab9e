#include "shell/LogView.h"

#include "coordination/ProgramRequests.h"
#include "engine/RsyncEscape.h"
#include "model/AtomicFile.h"
#include "model/FileSystemError.h"
#include "model/Format.h"
#include "model/Redactor.h"
#include "platform/WhenFinished.h"
#include "platform/WorkerPool.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/WellSurface.h"

#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPromise>
#include <QVBoxLayout>

#include <memory>
#include <optional>

namespace mv {

namespace {

QString placeholder()
{
    return QStringLiteral("No log was kept for this run.");
}

// A line with the names in it as they are on disk. A control character a name carried shows as its symbol,
// so that it cannot break the line and pass for a line of rsync's own.
QString readableLine(const QString& line)
{
    QString text = RsyncEscape::decoded(line);
    for (QChar& c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            c = QChar(0x2400 + c.unicode());
    }
    return text;
}

// Every line masked on its own, so that a secret's pattern never reaches into the next line.
QString readableRedactedLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = Redactor::redact(readableLine(line));
    return lines.join(QLatin1Char('\n'));
}

// The masked text of the file at `path`, or none when it cannot be read. Up to 2 MB: off the main thread.
std::optional<QString> readMasked(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    // Bytes that are not UTF-8 become replacement characters: the rest of the log stays readable.
    return readableRedactedLines(QString::fromUtf8(bytes));
}

QFuture<std::optional<QString>> readMaskedOnPool(QString path)
{
    auto promise = std::make_shared<QPromise<std::optional<QString>>>();
    promise->start();
    WorkerPool::instance().start([promise, path] {
        promise->addResult(readMasked(path));
        promise->finish();
    });
    return promise->future();
}

// The log box's text colour on a clear background, for the appearance `view` is shown in.
void applyBoxColours(QPlainTextEdit& box, const QWidget& view)
{
    QPalette colours;
    colours.setColor(QPalette::Text, Palette::labelSecondary.resolve(&view));
    colours.setColor(QPalette::Base, Qt::transparent);
    box.setPalette(colours);
}

class LogBox final : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void changeEvent(QEvent* event) override
    {
        // A new appearance from the window: the text colour follows it.
        if (event->type() == QEvent::PaletteChange && !m_applying) {
            m_applying = true;
            applyBoxColours(*this, *window());
            m_applying = false;
        }
        QPlainTextEdit::changeEvent(event);
    }

private:
    bool m_applying = false;
};

} // namespace

LogView::LogView(BackupRunRecord record, ProgramRequests& requests, Prompts& prompts, QWidget* parent)
    : QDialog(parent)
    , m_record(std::move(record))
    , m_requests(requests)
    , m_prompts(prompts)
{
    setWindowTitle(m_record.jobName);
    setMinimumSize(620, 460);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(10);
    layout->addWidget(makeHeader());
    if (m_record.logTruncated) {
        layout->addWidget(
            new TextLabel(QStringLiteral("The log was truncated at 2 MB. The full output is on disk."),
                kitFont(13), Palette::warning, this));
    }

    m_box = new LogBox(this);
    m_box->setObjectName(QStringLiteral("logText"));
    m_box->setReadOnly(true);
    m_box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_box->setFrameShape(QFrame::NoFrame);
    m_box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // long lines wrap
    m_box->setFont(monospacedFont(13));
    m_box->document()->setDocumentMargin(10);
    m_box->viewport()->setAutoFillBackground(false);
    // With a log to read the box stays empty until the text arrives.
    if (!m_record.logPath)
        m_box->setPlainText(placeholder());
    auto* well = new WellSurface(8, this);
    auto* fill = new QVBoxLayout(well);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(m_box);
    layout->addWidget(well, 1);
    applyBoxColours(*m_box, *this);
    resize(620, 460);
}

QString LogView::exportName(const QString& jobName)
{
    return QStringLiteral("Marrowvale-") + QString(jobName).replace(QLatin1Char(' '), QLatin1Char('-'))
        + QStringLiteral(".log");
}

void LogView::copyLog()
{
    m_prompts.copyText(m_text);
}

void LogView::exportLog()
{
    const SavePanelRequest request { exportName(m_record.jobName), QStringLiteral("Plain text (*.log *.txt)"),
        QStringLiteral("log"), QString() };
    m_prompts.askSavePath(this, request, [view = QPointer(this)](const QString& path) {
        if (!view)
            return;
        try {
            AtomicFile::write(path, view->m_text.toUtf8());
        } catch (const FileSystemError& error) {
            view->m_requests.setBanner(
                QStringLiteral("The log could not be exported: ") + error.description());
        }
    });
}

void LogView::reveal()
{
    if (m_record.logPath)
        m_prompts.reveal(*m_record.logPath);
}

void LogView::showEvent(QShowEvent* event)
{
    load();
    QDialog::showEvent(event);
}

QWidget* LogView::makeHeader()
{
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(new ElidedLabel(
        m_record.jobName, kitFont(16, QFont::DemiBold), Palette::label, Qt::ElideRight, header));
    titles->addWidget(new ElidedLabel(
        m_record.destinationName + QStringLiteral(" \u00b7 ") + Format::mediumDateTime(m_record.startedAt),
        kitFont(13), Palette::labelSecondary, Qt::ElideRight, header));
    row->addLayout(titles, 1);
    row->addWidget(new MVButton(
        QStringLiteral("Copy Log"), QStringLiteral("doc.on.doc"), MVButtonKind::secondary, true, false,
        [this] { copyLog(); }, header));
    row->addWidget(new MVButton(
        QStringLiteral("Export\u2026"), QStringLiteral("square.and.arrow.up"), MVButtonKind::secondary, true,
        false, [this] { exportLog(); }, header));
    if (m_record.logPath) {
        row->addWidget(new MVButton(
            QStringLiteral("Reveal"), QStringLiteral("folder"), MVButtonKind::secondary, true, false,
            [this] { reveal(); }, header));
    }
    return header;
}

void LogView::load()
{
    if (!m_record.logPath)
        return;
    const quint64 read = ++m_reads;
    whenFinished(
        readMaskedOnPool(*m_record.logPath), this, [this, read](QFuture<std::optional<QString>> done) {
            // An earlier showing's read that answers late never replaces a newer one.
            if (read != m_reads)
                return;
            m_text = done.result().value_or(QString());
            m_box->setPlainText(m_text.isEmpty() ? placeholder() : m_text);
        });
}

} // namespace mv
