// The folders Windows shares between users, inside the stand-in.

#include "platform/folders.h"
#include "standin.h"

namespace Platform
{

QString allUsersDesktop()
{
    return standinWindowsPath(standinRoot(), QStringLiteral("C:/Users/Public/Desktop/"));
}

QString allUsersStartMenu()
{
    return standinWindowsPath(
        standinRoot(), QStringLiteral("C:/ProgramData/Microsoft/Windows/Start Menu/Programs"));
}

} // namespace Platform
