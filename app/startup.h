#pragma once

namespace appinstaller
{

struct CommandLine;

// Everything main() does once the application object exists: the style
// sheet, the window, then the three gates (client running, not installed,
// not confirmed), each of which ends with a warning and -1. When all pass,
// the window starts the removal and the event loop's result is returned.
// With a command line: bad arguments end with a warning and
// QuietExit::BadArguments; a /LOG that cannot be written is warned about and
// the run goes on with its log in the temporary folder (a passive run ends
// with QuietExit::LogFailure); the log records the gates, the removal and
// the exit status, and every run prints where its log is. The status is
// exitStatus()'s.
int runUninstaller();
int runUninstaller(const CommandLine& line);

} // namespace appinstaller
