#include "ui/kit/Prompts.h"

#include "platform/FileManager.h"
#include "platform/UrlOpener.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace mv {

DesktopPrompts::DesktopPrompts(
    FileManager& fileManager, UrlOpener& urlOpener, QFileDialog::Options dialogOptions)
    : m_fileManager(fileManager)
    , m_urlOpener(urlOpener)
    , m_dialogOptions(dialogOptions)
{
}

void DesktopPrompts::askSavePath(
    QWidget* parent, const SavePanelRequest& request, std::function<void(const QString& path)> chosen)
{
    // The desktop's documents folder names a place that need not exist; the home folder always does.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    auto* dialog = new QFileDialog(parent, request.title, folder, request.nameFilter);
    dialog->setOptions(m_dialogOptions);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(request.defaultSuffix);
    dialog->selectFile(QDir(folder).filePath(request.suggestedName));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(
        dialog, &QFileDialog::fileSelected, dialog, [chosen = std::move(chosen)](const QString& path) {
            if (!path.isEmpty())
                chosen(path);
        });
    dialog->open();
}

void DesktopPrompts::askOpenPath(
    QWidget* parent, const OpenPanelRequest& request, std::function<void(const QString& path)> chosen)
{
    const bool folder = request.choose == OpenPanelRequest::Choose::folder;
    const QString start = request.startFolder.isEmpty() ? QDir::homePath() : request.startFolder;
    auto* dialog = new QFileDialog(parent, request.title, start, folder ? QString() : request.nameFilter);
    dialog->setOptions(m_dialogOptions | (folder ? QFileDialog::ShowDirsOnly : QFileDialog::Options()));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(folder ? QFileDialog::Directory : QFileDialog::ExistingFile);
    if (!request.prompt.isEmpty())
        dialog->setLabelText(QFileDialog::Accept, request.prompt);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(
        dialog, &QFileDialog::fileSelected, dialog, [chosen = std::move(chosen)](const QString& path) {
            if (!path.isEmpty())
                chosen(path);
        });
    dialog->open();
}

void DesktopPrompts::copyText(const QString& text)
{
    QApplication::clipboard()->setText(text);
}

void DesktopPrompts::reveal(const QString& path)
{
    m_fileManager.reveal(path);
}

bool DesktopPrompts::openUrl(const QUrl& url)
{
    return m_urlOpener.open(url);
}

} // namespace mv
