#pragma once

// How a run ended, and the one place that turns it into the exit status and
// the words the log ends with, for the window, the passive and the quiet run.

#include "engine/outcome.h"
#include "run.h"

#include <QString>

namespace appinstaller
{

struct CommandLine;

// The statuses of a run without questions, after Windows Installer's
// (msiexec) codes that deployment tools already act on. On Linux a parent
// sees them modulo 256 (194, 67, 82, 69, 74, 86 and 103).
namespace QuietExit
{
constexpr int Done = 0;             // ERROR_SUCCESS
constexpr int RestartNeeded = 3010; // ERROR_SUCCESS_REBOOT_REQUIRED: the rest goes at the restart
constexpr int Incomplete = 1603;    // ERROR_INSTALL_FAILURE: something stays, the entry is kept
constexpr int NotInstalled = 1605;  // ERROR_UNKNOWN_PRODUCT: nothing to do
constexpr int BadConfiguration = 1610; // ERROR_BAD_CONFIGURATION: AppConfig.xml cannot be used
constexpr int ClientRunning = 1618;    // ERROR_INSTALL_ALREADY_RUNNING: tools try again later
constexpr int LogFailure = 1622;       // ERROR_INSTALL_LOG_FAILURE: the /LOG given cannot be opened
constexpr int BadArguments = 1639;     // ERROR_INVALID_COMMAND_LINE: the switches
} // namespace QuietExit

// Who is there to answer: a person at the window, a window nobody answers
// (/SILENT, /passive, /qb), nobody and no window (/S, /qn).
enum class RunMode { Window, Passive, Quiet };

struct RunEnd {
    enum class Stop {
        None,        // the gates were passed and the removal ran
        CommandLine, // the switches are not understood
        Log,         // the /LOG given cannot be opened (a run without questions)
        NoDisplay,   // a clicked run with no display to ask on
        Gate,        // a gate stopped it
    };
    Stop stop = Stop::None;
    Gate gate = Gate::Passed;
    Outcome outcome;   // what the removal left, when it ran
    int eventLoop = 0; // the window's event loop result, when it ran
};

struct ExitStatus {
    int status = 0;
    QString meaning; // in English, for the log's last line
};

// /RESTARTEXITCODE=N takes the place of the status of a run after which
// something goes at the next restart, in every mode.
ExitStatus exitStatus(const RunEnd& end, RunMode mode, const CommandLine& line);

} // namespace appinstaller
