// Windows' entries one at a time, through the Win32 calls.

#include "platform/files.h"
#include "convert.h"

#include <QFileInfo>

namespace Platform
{

using namespace WinConvert;

bool isLinkOrJunction(const QString& path)
{
    return Win32::isLinkEntry(nativePath(path).c_str());
}

bool isLinkOrJunction(const QFileInfo& entry)
{
    // Not QFileInfo::isSymLink(): it is true for .lnk shortcut files and false
    // for junctions, the opposite of what removal needs.
    return isLinkOrJunction(entry.filePath());
}

bool entryExists(const QString& path)
{
    return Win32::entryExists(nativePath(path).c_str());
}

int removalRefusal(const QString& path)
{
    return int(Win32::removalRefusal(nativePath(path).c_str()));
}

bool removeLink(const QString& path)
{
    return Win32::removeLinkEntry(nativePath(path).c_str());
}

FileIdentity fileIdentity(const QString& path)
{
    return fileIdentityOf(Win32::fileIdentity(nativePath(path).c_str()));
}

bool isMountPoint(const QString& path)
{
    return Win32::isMountPoint(nativePath(path).c_str());
}

bool removeEmptyFolder(const QString& path, const FileIdentity& expected)
{
    return Win32::removeEmptyFolder(nativePath(path).c_str(), win32Identity(expected));
}

AppendFile openForAppending(const QString& path)
{
    AppendFile result;
    const PathParts parts = splitAbsolutePath(path, true);
    if (!parts.root.isEmpty() && parts.names.isEmpty()) {
        result.outcome = AppendFile::Outcome::NotAFile;
        return result;
    }
    std::vector<std::wstring> names;
    for (const QString& name : parts.names)
        names.push_back(name.toStdWString());
    // An empty root is refused there, with Windows' own error code.
    const Win32::AppendFile opened =
        Win32::openForAppending(QDir::toNativeSeparators(parts.root).toStdWString(), names);
    switch (opened.outcome) {
    case Win32::AppendOutcome::Opened:
        result.outcome = AppendFile::Outcome::Opened;
        result.descriptor = opened.descriptor;
        break;
    case Win32::AppendOutcome::ThroughLink:
        result.outcome = AppendFile::Outcome::ThroughLink;
        result.at = parts.root + parts.names.mid(0, int(opened.linkDepth)).join(QLatin1Char('/'));
        break;
    case Win32::AppendOutcome::NotAFile:
        result.outcome = AppendFile::Outcome::NotAFile;
        break;
    case Win32::AppendOutcome::OtherOwner:
        result.outcome = AppendFile::Outcome::OtherOwner;
        break;
    case Win32::AppendOutcome::Failed:
        result.error = int(opened.error);
        break;
    }
    return result;
}

} // namespace Platform
