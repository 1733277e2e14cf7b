// The hooks of platform/testhooks.h for the tests, ordered through the
// environment:
//   UNINSTALLER_TEST_HOLD=FILE   pauseBeforeRemoval() makes FILE (empty) and
//                                returns once it is gone; without the
//                                variable, or when FILE cannot be made, at once
//   UNINSTALLER_TEST_IN_USE=LIST  filesTakenAsInUse(): the files of a
//                                ':'-separated list, "own" standing for the
//                                files this process runs from
// Never linked into the program as shipped: the test shipped_without_test_hooks
// looks for these names in the built uninstaller.

#include "platform/testhooks.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace TestHooks
{

void pauseBeforeRemoval()
{
    const QString path = qEnvironmentVariable("UNINSTALLER_TEST_HOLD");
    if (path.isEmpty())
        return;
    QFile marker(path);
    if (!marker.open(QIODevice::WriteOnly))
        return;
    marker.close();
    while (QFileInfo::exists(path))
        QThread::msleep(5);
}

QVector<Platform::FileIdentity> filesTakenAsInUse()
{
    QVector<Platform::FileIdentity> files;
    for (const QString& item : qEnvironmentVariable("UNINSTALLER_TEST_IN_USE")
                                   .split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (item == QLatin1String("own"))
            for (const Platform::LoadedImage& image : Platform::loadedImages())
                files.append(image.identity);
        else
            files.append(Platform::fileIdentity(item));
    }
    return files;
}

} // namespace TestHooks
