// Removal at the next restart, as Windows keeps it: the stand-in's
// PendingFileRenameOperations, in its registry.

#include "platform/restart.h"
#include "platform/registry.h"

#include <QFile>
#include <QSettings>

#include <sys/stat.h>

namespace Platform
{

bool scheduleRemovalOnRestart(const QString& path)
{
    // Linux removes files in use at once; the stand-in keeps Windows' list
    // so that what would be handed on shows, in order.
    struct stat status;
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &status) != 0 ||
        S_ISLNK(status.st_mode))
        return false;
    const auto key = openRegistryKey(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager"));
    QStringList pending = key->value(QStringLiteral("PendingFileRenameOperations")).toStringList();
    pending << path << QString();
    key->setValue(QStringLiteral("PendingFileRenameOperations"), pending);
    key->sync();
    return key->status() == QSettings::NoError;
}

} // namespace Platform
