#include "standin.h"

#include <QStandardPaths>

namespace Platform
{

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
