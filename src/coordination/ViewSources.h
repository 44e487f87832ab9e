#pragma once

namespace mv {

class BackupCoordinator;
class Clock;
class ConfigurationStore;
class DestinationMonitor;
class GoogleAuthManager;
class GoogleCredentialStore;
class HistoryFeed;
class JobActions;
class ProgramRequests;
class RestoreCoordinator;

// What the views' small objects are made from, once, where the program wires its windows. Everything here
// belongs to the state hub and lives as long as it does.
struct ViewSources {
    ConfigurationStore& configuration;
    Clock& clock;
    BackupCoordinator& coordinator;
    DestinationMonitor& monitor;
    GoogleAuthManager& googleAuth;
    GoogleCredentialStore& googleCredentials;
    HistoryFeed& history;
    JobActions& jobs;
    ProgramRequests& requests;
    RestoreCoordinator& restores;
};

} // namespace mv
