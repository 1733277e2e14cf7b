#include "testhold.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace Engine
{

void holdForTest()
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

} // namespace Engine
