#include "exitstatus.h"

#include "commandline.h"

namespace appinstaller
{

namespace
{

ExitStatus gateStatus(Gate gate, RunMode mode)
{
    // A clicked run stopped by a gate ends with -1 whatever stopped it; a
    // run without questions tells the tool which gate.
    const bool window = mode == RunMode::Window;
    const auto status = [window](int quiet) { return window ? -1 : quiet; };
    switch (gate) {
    case Gate::BadConfiguration:
        return {status(QuietExit::BadConfiguration),
                QStringLiteral("the configuration file cannot be used; nothing was removed")};
    case Gate::ClientRunning:
        return {status(QuietExit::ClientRunning),
                QStringLiteral("the client program is running; nothing was removed")};
    case Gate::NotInstalled:
        return {status(QuietExit::NotInstalled), QStringLiteral("not installed")};
    case Gate::WindowsInstaller:
        // Nothing was tried: the failure is the refusal's, not a removal's.
        return {status(QuietExit::Incomplete),
                QStringLiteral("refused: the product is Windows Installer's to remove (msiexec "
                               "/x); nothing was removed")};
    case Gate::Declined:
        return {-1, QStringLiteral("declined; nothing was removed")};
    case Gate::Passed:
        break;
    }
    return {};
}

} // namespace

ExitStatus exitStatus(const RunEnd& end, RunMode mode, const CommandLine& line)
{
    switch (end.stop) {
    case RunEnd::Stop::CommandLine:
        return {QuietExit::BadArguments,
                QStringLiteral("the command line is not understood; nothing was removed")};
    case RunEnd::Stop::Log:
        return {QuietExit::LogFailure,
                QStringLiteral("the log asked for cannot be written; nothing was removed")};
    case RunEnd::Stop::NoDisplay:
        return {-1, QStringLiteral("no display to ask on; nothing was removed")};
    case RunEnd::Stop::Gate:
        return gateStatus(end.gate, mode);
    case RunEnd::Stop::None:
        break;
    }
    const bool window = mode == RunMode::Window;
    // The window ended otherwise than by its own close.
    if (window && end.eventLoop != 0)
        return {end.eventLoop, QStringLiteral("the window ended unexpectedly")};
    if (end.outcome.incomplete())
        return {window ? 1 : QuietExit::Incomplete,
                QStringLiteral("incomplete: something stays, the uninstall entry is kept")};
    if (end.outcome.restartNeeded()) {
        const int status = line.restartStatusGiven ? line.restartStatus
                           : window                ? QuietExit::Done
                                                   : QuietExit::RestartNeeded;
        return {status, QStringLiteral("done; the rest goes at the next restart")};
    }
    return {QuietExit::Done, QStringLiteral("done")};
}

} // namespace appinstaller
