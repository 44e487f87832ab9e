#include "support/ui/RecordingPrompts.h"

namespace mv::test {

void RecordingPrompts::askSavePath(
    QWidget*, const SavePanelRequest& request, std::function<void(const QString& path)> chosen)
{
    saveRequests << request;
    if (!savePath.isEmpty())
        chosen(savePath);
}

void RecordingPrompts::askOpenPath(
    QWidget*, const OpenPanelRequest& request, std::function<void(const QString& path)> chosen)
{
    openRequests << request;
    if (!openPath.isEmpty())
        chosen(openPath);
}

} // namespace mv::test
