#include "platform.h"

#include <QDir>
#include <QStandardPaths>

namespace Platform
{

bool isProcessRunning(const QString& configuredName)
{
    // The snapshot's names are compared in the local 8-bit encoding, so the
    // configured name goes through the same conversion.
    return matchesRunningProcess(runningProcesses(), configuredName.toLocal8Bit().toStdString(),
                                 currentProcessId());
}

std::string procExeName(const std::string& exeLinkTarget, const std::string& cmdline)
{
    std::string path = exeLinkTarget;
    if (path.empty()) {
        // The command line's words are NUL-separated; the first is the program.
        path = cmdline.substr(0, cmdline.find('\0'));
    } else {
        static const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
    }
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int architectureFromCpuName(const QString& cpuArchitecture)
{
    if (cpuArchitecture == QLatin1String("x86_64"))
        return 9;
    if (cpuArchitecture == QLatin1String("ia64"))
        return 6;
    if (cpuArchitecture == QLatin1String("arm64"))
        return 12;
    return 0;
}

QString standinRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QLatin1String("/appinstaller/windows");
}

QString standinIniPath(const QString& root, const QString& keyPath)
{
    QString relative = keyPath;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return root + QLatin1Char('/') + relative + QLatin1String(".ini");
}

QString standinWindowsPath(const QString& root, const QString& windowsPath)
{
    QString path = windowsPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // "C:/…" becomes "C/…": the drive is a folder of the stand-in.
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter())
        path.remove(1, 1);
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return root + QLatin1Char('/') + path;
}

} // namespace Platform
