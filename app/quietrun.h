#pragma once

// The runs without a window: the usage (/?), and the quiet uninstall for
// deployment tools (/S), which asks nothing and shows nothing, tells its
// outcome by its exit status and writes every decision to a log.

#include "engine/installprocessmgr.h"
#include "run.h"

#include <QString>
#include <QVector>

namespace appinstaller
{

struct CommandLine;
class UninstallLog;

// The quiet run's exit statuses, after Windows Installer's (msiexec) codes
// that deployment tools already act on. On Linux a parent sees them modulo
// 256 (194, 67, 82, 69, 74 and 103).
namespace QuietExit
{
constexpr int Done = 0;             // ERROR_SUCCESS
constexpr int RestartNeeded = 3010; // ERROR_SUCCESS_REBOOT_REQUIRED: the rest goes at the restart
constexpr int Incomplete = 1603;    // ERROR_INSTALL_FAILURE: something stays, the entry is kept
constexpr int NotInstalled = 1605;  // ERROR_UNKNOWN_PRODUCT: nothing to do
constexpr int BadConfiguration = 1610; // ERROR_BAD_CONFIGURATION: AppConfig.xml cannot be used
constexpr int ClientRunning = 1618;    // ERROR_INSTALL_ALREADY_RUNNING: tools try again later
constexpr int BadArguments = 1639;     // ERROR_INVALID_COMMAND_LINE: the switches or the log
} // namespace QuietExit

// Done, RestartNeeded or Incomplete for what a removal left.
int quietExitStatus(const Outcome& outcome);
// The status of a run a gate stopped.
int quietExitStatus(Gate gate);
// What a status means, in English, for the log's last line.
QString statusText(int status);

// Opens the log the command line asks for (refused inside the install
// folder, as a link, where it cannot be written); in a run without
// questions given no /LOG, and in any run whose /LOG is refused, a new one
// in the system's temporary folder (the user's when that cannot be
// written), where the refusal is recorded too. Returns why
// /LOG could not be the log, for the user, or, in a run without questions,
// why no log at all could be written; empty otherwise.
QString openLog(const CommandLine& line, UninstallLog& log);
// A new log in the system's temporary folder, else the user's.
bool openDefaultLog(UninstallLog& log);

// The first lines of a run's log: version, command line, product, mode
// (quiet, passive or clicked, and whether a trial run).
void logRunStart(UninstallLog& log, const CommandLine& line);
// What a person can do about what stayed (Outcome::nextSteps()).
void logNextSteps(UninstallLog& log, const Outcome& outcome);

// With /WHATIF, the removal and the log of a trial run: nothing is removed
// or changed, and the log says so on every line.
void startTrialRun(const CommandLine& line, UninstallLog& log);
// The last: the exit status and what it means.
void logExit(UninstallLog& log, int status, const QString& meaning = QString());

// /? or a quiet run, once a QCoreApplication exists: reads the command line
// from it and returns the exit status.
int runWithoutWindow();

} // namespace appinstaller
