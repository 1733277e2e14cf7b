#pragma once

// The gates every run passes before anything is removed, written once: the
// clicked and the quiet run only turn the result into a warning and a
// window, or an exit status.

#include <QString>

#include <functional>

namespace appinstaller
{

class UninstallLog;

enum class Gate {
    Passed,
    BadConfiguration, // AppConfig.xml cannot drive an uninstall (missing, no GUID, ...)
    ClientRunning,    // the client program runs (also when started during the question)
    NotInstalled,     // no uninstall entry of the product
    WindowsInstaller, // the entry is Windows Installer's to remove
    Declined,         // the user said no
};

struct GateResult {
    Gate gate = Gate::Passed;
    QString message; // for the user, translated: what stopped the run and what to do
};

// The configuration, the client program, the entry, the installer that
// made it, then, when
// confirm is given (a clicked run), the user's answer and the client again:
// it may have been started while the question was open. Each gate is logged.
GateResult passGates(UninstallLog& log, const std::function<bool()>& confirm = nullptr);

} // namespace appinstaller
