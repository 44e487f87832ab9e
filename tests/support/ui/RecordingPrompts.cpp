#include "support/ui/RecordingPrompts.h"

namespace mv::test {

void RecordingPrompts::askSavePath(
    QWidget*, const SavePanelRequest& request, std::function<void(const QString& path)> chosen)
{
    saveRequests << request;
    if (!savePath.isEmpty())
        chosen(savePath);
}

} // namespace mv::test
