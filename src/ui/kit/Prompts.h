#pragma once

#include <QFileDialog>
#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace mv {

class FileManager;
class UrlOpener;

// What a save panel offers: the file name it suggests, the kinds of file it lists ("Plain text (*.log)"),
// the suffix added to a name typed without one, and its title, which tells what is saved (none: the
// desktop's own).
struct SavePanelRequest {
    QString suggestedName;
    QString nameFilter;
    QString defaultSuffix;
    QString title;

    bool operator==(const SavePanelRequest&) const = default;
};

// What an open panel asks for: a folder or an existing file, its title and prompt, where it starts, and the
// kinds of file it lists (files only).
struct OpenPanelRequest {
    enum class Choose { folder, file };
    Choose choose = Choose::folder;
    QString title;
    QString prompt;
    QString startFolder;
    QString nameFilter;

    bool operator==(const OpenPanelRequest&) const = default;
};

// The desktop around the views: the save and open panels, the clipboard, the file manager and the browser.
// Views ask through this seam so that tests can answer a panel with a path and read what was copied, shown or
// opened.
class Prompts {
public:
    virtual ~Prompts() = default;

    // Asks where to save, window-modal over `parent`, without blocking: `chosen` gets the path once the
    // person confirms one, and is never called when the panel is cancelled.
    virtual void askSavePath(
        QWidget* parent, const SavePanelRequest& request, std::function<void(const QString& path)> chosen)
        = 0;
    // Asks for a folder or a file to open, window-modal over `parent`, without blocking: `chosen` gets the
    // path once the person confirms one, and is never called when the panel is cancelled.
    virtual void askOpenPath(
        QWidget* parent, const OpenPanelRequest& request, std::function<void(const QString& path)> chosen)
        = 0;
    // Replaces the clipboard's contents with `text` as plain text.
    virtual void copyText(const QString& text) = 0;
    // Shows the file at `path` selected in the file manager.
    virtual void reveal(const QString& path) = 0;
    // Hands `url` to the browser or the program that opens it; false when nothing could take it.
    virtual bool openUrl(const QUrl& url) = 0;
};

// The real desktop: a QFileDialog opened with open(), the application's clipboard, and the program's file
// manager and URL opener. Tests pass QFileDialog::DontUseNativeDialog so they can fill in the panel.
class DesktopPrompts final : public Prompts {
public:
    DesktopPrompts(FileManager& fileManager, UrlOpener& urlOpener, QFileDialog::Options dialogOptions = {});

    void askSavePath(QWidget* parent, const SavePanelRequest& request,
        std::function<void(const QString& path)> chosen) override;
    void askOpenPath(QWidget* parent, const OpenPanelRequest& request,
        std::function<void(const QString& path)> chosen) override;
    void copyText(const QString& text) override;
    void reveal(const QString& path) override;
    bool openUrl(const QUrl& url) override;

private:
    FileManager& m_fileManager;
    UrlOpener& m_urlOpener;
    QFileDialog::Options m_dialogOptions;
};

} // namespace mv
