#pragma once

// Between the Qt layer and the Qt-free Win32 calls (native/): paths in
// Windows' form and back, and identities.

#include "native/win32native.h"
#include "platform/files.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace Platform
{
namespace WinConvert
{

// A path as the Win32 calls take it: '\\' separators, cleaned.
inline std::wstring nativePath(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path)).toStdWString();
}

// A path the Win32 calls gave, with '/' separators.
inline QString qtPath(const std::wstring& path)
{
    return QDir::fromNativeSeparators(QString::fromStdWString(path));
}

inline QStringList qtPaths(const std::vector<std::wstring>& paths)
{
    QStringList result;
    for (const std::wstring& path : paths)
        result << qtPath(path);
    return result;
}

inline Win32::Identity win32Identity(const FileIdentity& identity)
{
    Win32::Identity result;
    result.volume = identity.device;
    result.file = identity.file;
    result.valid = identity.valid;
    return result;
}

inline FileIdentity fileIdentityOf(const Win32::Identity& identity)
{
    FileIdentity result;
    result.device = identity.volume;
    result.file = identity.file;
    result.valid = identity.valid;
    return result;
}

inline std::vector<Win32::Identity> win32Identities(const QVector<FileIdentity>& identities)
{
    std::vector<Win32::Identity> result;
    for (const FileIdentity& identity : identities)
        result.push_back(win32Identity(identity));
    return result;
}

} // namespace WinConvert
} // namespace Platform
