#pragma once

// The stand-in of Windows that the program runs on off Windows: the registry
// as INI files and the folders Windows shares between users, all under one
// root folder of the user's data. Built only off Windows.

#include <QString>

namespace Platform
{

// The stand-in's root folder: GenericDataLocation + "/appinstaller/windows".
QString standinRoot();
// <root>/<key path with '\' turned into '/'>.ini
QString standinIniPath(const QString& root, const QString& keyPath);
// A Windows path such as "C:/Users/Public/Desktop/" inside the stand-in:
// <root>/C/Users/Public/Desktop/.
QString standinWindowsPath(const QString& root, const QString& windowsPath);

} // namespace Platform
