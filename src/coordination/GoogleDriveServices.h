#pragma once

#include "drive/GoogleDriveConnection.h"

namespace mv {

class GoogleAuthManager;
class GoogleCredentialStore;
class GoogleResumeStore;
class SystemLog;

// What the coordinator's Drive runs use of the rest of the program: the account and its stored secrets for
// planning, where Drive requests go, the system log, and the one resume store every run of the process
// shares. Everything referenced must outlive the coordinator.
struct GoogleDriveServices {
    GoogleAuthManager& auth;
    GoogleCredentialStore& credentials;
    GoogleDriveConnection connection;
    SystemLog& log;
    GoogleResumeStore& resumeStore;
};

} // namespace mv
