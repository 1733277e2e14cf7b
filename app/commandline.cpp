#include "commandline.h"

#include <QObject>

namespace appinstaller
{

namespace
{

enum class Switch { None, Quiet, Passive, Help, Accepted, Log, LogIs, LogFormat, WhatIf };

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
        name == QLatin1String("qn") || name == QLatin1String("verysilent"))
        return Switch::Quiet;
    if (name == QLatin1String("silent") || name == QLatin1String("passive"))
        return Switch::Passive;
    if (name == QLatin1String("?") || name == QLatin1String("help") || name == QLatin1String("h") ||
        name == QLatin1String("-help"))
        return Switch::Help;
    // Nothing to turn off: the program never restarts the machine, and a
    // run without questions shows no message box.
    if (name == QLatin1String("norestart") || name == QLatin1String("suppressmsgboxes"))
        return Switch::Accepted;
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
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
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
        case Switch::Log: {
            // "/LOG file": the next argument, unless it is a switch of ours.
            const bool hasFile =
                i + 1 < arguments.size() && switchOf(arguments.at(i + 1)) == Switch::None;
            takeLog(hasFile ? arguments.at(++i) : QString());
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
                fail(QObject::tr("CommandLineUnknownArgument")
                         .replace(QLatin1String("%1"), argument));
            break;
        }
        case Switch::None:
            // replace(), not arg(): before the translations are loaded the
            // text is its key, which has no place for the argument.
            fail(QObject::tr("CommandLineUnknownArgument").replace(QLatin1String("%1"), argument));
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
