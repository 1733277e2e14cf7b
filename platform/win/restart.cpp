// Removal at the next restart, this process's images and the holding
// folder, through the Win32 calls.

#include "platform/restart.h"
#include "convert.h"

namespace Platform
{

using namespace WinConvert;

bool scheduleRemovalOnRestart(const QString& path)
{
    return Win32::scheduleRemovalAtRestart(nativePath(path).c_str());
}

QVector<LoadedImage> loadedImages()
{
    QVector<LoadedImage> result;
    for (const Win32::LoadedImage& image : Win32::loadedImages())
        result.append({qtPath(image.path), fileIdentityOf(image.identity)});
    return result;
}

QString makeHoldingFolder(const QString& path)
{
    return qtPath(Win32::makeHoldingFolder(nativePath(path).c_str()));
}

QString moveIntoHolding(const QString& path, const QVector<FileIdentity>& own,
                        const QString& holding)
{
    return qtPath(Win32::moveIntoHolding(nativePath(path).c_str(), win32Identities(own),
                                         nativePath(holding).c_str()));
}

} // namespace Platform
