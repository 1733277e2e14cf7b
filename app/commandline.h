#pragma once

// The program's switches. Without any, it runs as it always has: questions
// and a window. Each switch starts with '/' or '-' and is read ignoring case.

#include <QString>
#include <QStringList>

namespace appinstaller
{

struct CommandLine {
    bool quiet = false; // /S, /quiet, /qn, /VERYSILENT: no question, window or message box
    // /SILENT, /passive: no question and no message box; the window shows the
    // progress and closes itself at the end. Exit statuses as a quiet run's.
    bool passive = false;
    bool help = false;     // /?, /help: the usage, and nothing else
    bool logGiven = false; // /LOG=file or /LOG file
    QString logPath;       // as given
    bool jsonLog = false;  // /LOGFORMAT=json: one JSON object a line
    // /WHATIF: a trial run. Everything is decided and logged as a real run
    // would, with its exit status; nothing is removed, moved or changed.
    bool whatIf = false;
    QString error; // what is wrong with the arguments, for the user; empty when nothing

    // Nobody answers a question or a message box: /S, /SILENT and the like.
    bool unattended() const { return quiet || passive; }
};

// arguments: the command line without the program's own name.
CommandLine parseCommandLine(const QStringList& arguments);

// The usage text, translated.
QString usageText();

} // namespace appinstaller
