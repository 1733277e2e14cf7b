#pragma once

// The program's switches. Without any, it runs as it always has: questions
// and a window. Each switch starts with '/' or '-' and is read ignoring case.

#include <QString>
#include <QStringList>

namespace appinstaller
{

struct CommandLine {
    // /S, /quiet, /VERYSILENT, Windows Installer's /q and /qn (/qn+ too: the
    // message box it would add at the end is never shown): no question,
    // window or message box.
    bool quiet = false;
    // /SILENT, /passive, Windows Installer's basic and reduced interfaces
    // (/qb, /qr and their +, - and ! forms): no question and no message
    // box; the window shows the progress and closes itself at the end. Exit
    // statuses as a quiet run's.
    bool passive = false;
    bool help = false;     // /?, /help: the usage, and nothing else
    bool logGiven = false; // /LOG=file or /LOG file; a bare /LOG asks for the default log
    QString logPath;       // as given
    bool jsonLog = false;  // /LOGFORMAT=json: one JSON object a line
    // /WHATIF: a trial run. Everything is decided and logged as a real run
    // would, with its exit status; nothing is removed, moved or changed.
    bool whatIf = false;
    // /RESTARTEXITCODE=N: the status of a run after which something goes at
    // the next restart, in place of 3010.
    bool restartStatusGiven = false;
    int restartStatus = 0;
    // NSIS's _?=DIR, the rest of the command line: read and logged, never
    // used. The folder removed is the one the uninstall entry records.
    bool folderGiven = false;
    QString folder;
    QString error; // what is wrong with the arguments, for the user; empty when nothing

    // Nobody answers a question or a message box: /S, /SILENT and the like.
    bool unattended() const { return quiet || passive; }
};

// arguments: the command line without the program's own name.
CommandLine parseCommandLine(const QStringList& arguments);

// The usage text, translated.
QString usageText();

} // namespace appinstaller
