#include "commandline.h"

#include <QObject>

namespace appinstaller
{

namespace
{

enum class Switch {
    None,
    Quiet,
    Passive,
    Help,
    Accepted,
    Log,
    LogIs,
    LogFormat,
    WhatIf,
    RestartStatus
};

// Windows Installer's user interface levels: /q (as /qn), /qn, /qb, /qr
// and /qf, each with any of the modifiers +, - and ! at most once. None
// (no interface) and its + form (a message box at the end, which a run
// without questions never shows) are quiet; basic and reduced are passive,
// a window that shows the progress and asks nothing; full is a clicked
// run's own.
Switch installerLevel(const QString& name)
{
    if (name.size() < 1 || name.front() != QLatin1Char('q') || name.size() > 5)
        return Switch::None;
    int at = 1;
    QChar level = QLatin1Char('n');
    if (at < name.size() && QStringLiteral("nbrf").contains(name.at(at)))
        level = name.at(at++);
    const QString modifiers = name.mid(at);
    for (int i = 0; i < modifiers.size(); ++i)
        if (!QStringLiteral("+-!").contains(modifiers.at(i)) ||
            modifiers.indexOf(modifiers.at(i), i + 1) >= 0)
            return Switch::None;
    if (modifiers.contains(QLatin1Char('+')) && modifiers.contains(QLatin1Char('-')))
        return Switch::None;
    if (level == QLatin1Char('n'))
        return Switch::Quiet;
    return level == QLatin1Char('f') ? Switch::Accepted : Switch::Passive;
}

// What an argument asks for: '/' or '-', then the switch, in any case. A
// path such as "/tmp/a.log" is no switch.
Switch switchOf(const QString& argument)
{
    if (argument.size() < 2 ||
        (argument.front() != QLatin1Char('/') && argument.front() != QLatin1Char('-')))
        return Switch::None;
    const QString name = argument.mid(1).toLower();
    // The switches of the installers deployment tools know (NSIS, Inno
    // Setup, Windows Installer), which they pass to any uninstaller.
    if (name == QLatin1String("s") || name == QLatin1String("quiet") ||
        name == QLatin1String("verysilent"))
        return Switch::Quiet;
    const Switch level = installerLevel(name);
    if (level != Switch::None)
        return level;
    if (name == QLatin1String("silent") || name == QLatin1String("passive"))
        return Switch::Passive;
    if (name == QLatin1String("?") || name == QLatin1String("help") || name == QLatin1String("h") ||
        name == QLatin1String("-help"))
        return Switch::Help;
    // Nothing to turn off: the program never restarts the machine nor the
    // programs it closed (it closes none), a run without questions shows no
    // message box, and the removal cannot be cancelled once it has begun.
    if (name == QLatin1String("norestart") || name == QLatin1String("suppressmsgboxes") ||
        name == QLatin1String("norestartapplications") || name == QLatin1String("nocancel"))
        return Switch::Accepted;
    if (name.startsWith(QLatin1String("restartexitcode=")))
        return Switch::RestartStatus;
    if (name == QLatin1String("whatif"))
        return Switch::WhatIf;
    if (name == QLatin1String("log"))
        return Switch::Log;
    if (name.startsWith(QLatin1String("log=")))
        return Switch::LogIs;
    if (name.startsWith(QLatin1String("logformat=")))
        return Switch::LogFormat;
    return Switch::None;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    const auto fail = [&line](const QString& error) {
        if (line.error.isEmpty())
            line.error = error;
    };
    const auto takeLog = [&](const QString& path) {
        if (line.logGiven)
            fail(QObject::tr("CommandLineLogTwice"));
        else if (path.trimmed().isEmpty())
            fail(QObject::tr("CommandLineLogWithoutFile"));
        line.logGiven = true;
        line.logPath = path;
    };
    const auto unknown = [&fail](const QString& argument) {
        // replace(), not arg(): before the translations are loaded the
        // text is its key, which has no place for the argument.
        fail(QObject::tr("CommandLineUnknownArgument").replace(QLatin1String("%1"), argument));
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        // NSIS's "_?=DIR" is the last argument and holds the rest of the
        // command line, blanks and all.
        if (argument.startsWith(QLatin1String("_?="))) {
            line.folderGiven = true;
            line.folder = QStringList(arguments.mid(i)).join(QLatin1Char(' ')).mid(3);
            break;
        }
        switch (switchOf(argument)) {
        case Switch::Quiet:
            line.quiet = true;
            break;
        case Switch::Passive:
            line.passive = true;
            break;
        case Switch::Help:
            line.help = true;
            break;
        case Switch::Accepted:
            break;
        case Switch::WhatIf:
            line.whatIf = true;
            break;
        case Switch::Log:
            // "/LOG file": the next argument, unless it is a switch of ours
            // or NSIS's folder. A bare /LOG (Inno Setup's) asks for the log
            // every run leaves in the temporary folder.
            if (i + 1 < arguments.size() && switchOf(arguments.at(i + 1)) == Switch::None &&
                !arguments.at(i + 1).startsWith(QLatin1String("_?=")))
                takeLog(arguments.at(++i));
            break;
        case Switch::RestartStatus: {
            bool number = false;
            const int status = argument.mid(17).trimmed().toInt(&number);
            if (!number || line.restartStatusGiven)
                unknown(argument);
            line.restartStatusGiven = true;
            line.restartStatus = status;
            break;
        }
        case Switch::LogIs:
            takeLog(argument.mid(5));
            break;
        case Switch::LogFormat: {
            const QString format = argument.mid(11).toLower();
            if (format == QLatin1String("json"))
                line.jsonLog = true;
            else if (format != QLatin1String("text"))
                unknown(argument);
            break;
        }
        case Switch::None:
            unknown(argument);
            break;
        }
    }
    return line;
}

QString usageText()
{
    return QObject::tr("CommandLineUsage");
}

} // namespace appinstaller
