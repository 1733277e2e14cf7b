#pragma once

// The runs without a window: the usage (/?), and the quiet uninstall for
// deployment tools (/S), which asks nothing and shows nothing, tells its
// outcome by its exit status and writes every decision to a log.

#include "engine/installprocessmgr.h"
#include "exitstatus.h"
#include "run.h"

#include <QString>
#include <QVector>

namespace appinstaller
{

struct CommandLine;
class UninstallLog;

struct LogOpened {
    // Why the /LOG given cannot be the log, for the user: a run without
    // questions ends with 1622, a clicked one warns and goes on.
    QString refusal;
    // Why a run without questions given no /LOG writes no log at all: the
    // run goes on all the same.
    QString warning;
};
// Opens the log the command line asks for (refused inside the install
// folder, as a link, another user's file, where it cannot be written); in a
// run without questions given no /LOG, and in any run whose /LOG is refused,
// a new one in the system's temporary folder (the user's when that cannot be
// written), where the refusal is recorded too.
LogOpened openLog(const CommandLine& line, UninstallLog& log);
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
void logExit(UninstallLog& log, const ExitStatus& status);
// A run's end in every mode: the exit status logged and on standard error;
// where the log is, on
// standard error and, unless it is the /LOG given, as the log's last line;
// a warning when not every line of it could be written. Returns the status.
int endRun(UninstallLog& log, const ExitStatus& status, bool logGiven);
// text on standard error, names in it escaped as in the log.
void printError(const QString& text);

// /?, a quiet run, a passive or clicked one with a command line it does not
// understand, and any run without a display, once a QCoreApplication
// exists: reads the command line from it and returns the exit status.
int runWithoutWindow();

} // namespace appinstaller
