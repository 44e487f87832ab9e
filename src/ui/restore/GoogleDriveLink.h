#pragma once

namespace mv {

class Prompts;

// Opens the Google Drive web page in the default browser; nothing happens when nothing can open it.
void openGoogleDrive(Prompts& prompts);

} // namespace mv
