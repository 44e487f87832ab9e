#pragma once

#include "ui/kit/Prompts.h"

#include <QList>
#include <QStringList>
#include <QUrl>

namespace mv::test {

// Prompts a test answers itself: a save or open panel is answered at once with `savePath` or `openPath`
// (cancelled while it is empty), and every request, copy, reveal and opened URL is kept.
class RecordingPrompts final : public Prompts {
public:
    QString savePath;
    QList<SavePanelRequest> saveRequests;
    // The answer to an open panel; empty = cancelled.
    QString openPath;
    QList<OpenPanelRequest> openRequests;
    QStringList copied;
    QStringList revealed;
    QList<QUrl> opened;

    void askSavePath(QWidget* parent, const SavePanelRequest& request,
        std::function<void(const QString& path)> chosen) override;
    void askOpenPath(QWidget* parent, const OpenPanelRequest& request,
        std::function<void(const QString& path)> chosen) override;
    void copyText(const QString& text) override { copied << text; }
    void reveal(const QString& path) override { revealed << path; }
    bool openUrl(const QUrl& url) override
    {
        opened << url;
        return true;
    }
};

} // namespace mv::test
