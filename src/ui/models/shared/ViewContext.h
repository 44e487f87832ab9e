#pragma once

namespace mv {

class ActiveRunsModel;
class Clock;
class Commands;
class ConfigurationStore;
class GoogleAuthManager;
class GoogleCredentialStore;
class HistoryFeed;
class JobActions;
class ProgramRequests;
class RestoreCoordinator;
class StatusBoard;

// What a view may follow and ask: the small objects made once when the program wires its windows. A view
// keeps the reference it is given; everything here outlives every window.
struct ViewContext {
    ConfigurationStore& configuration; // the jobs and settings as stored; editors and settings write here
    Clock& clock; // "now" for relative times
    StatusBoard& status; // the aggregate, job and destination statuses
    ActiveRunsModel& runs; // the run list, by key
    HistoryFeed& history; // the history's totals and recent runs, and the Activity list's reads
    JobActions& jobs; // job operations, run requests and controls, the mirror prompt, the issue
    ProgramRequests& requests; // banner, navigation, appearance, login item, exports
    GoogleAuthManager& googleAuth; // the Google account: sign in and out, the client
    GoogleCredentialStore& googleCredentials;
    RestoreCoordinator& restores;
    Commands& commands; // the program's commands as named actions
};

} // namespace mv
