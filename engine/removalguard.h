#pragma once

// What the uninstaller may remove. The install location comes from the
// registry and the shortcut names from AppConfig.xml; neither is trusted to
// name only what the product owns.

#include <QString>
#include <QStringList>

namespace Engine
{

enum class LocationVerdict {
    Remove,      // a folder the product may own
    Empty,       // no location recorded
    NotAbsolute, // relative: it would depend on the working directory
    Root,        // a file-system or drive root
    Protected,   // the same as or a parent of a folder the user or system needs
};

// "C:\\a\\..\\b\\" -> "C:/b": '/' separators, no "." or "..", no final '/'
// except for a root.
QString normalizedPath(const QString& path);

// "/", "C:", "C:/", "//server" or "//server/share".
bool isRootPath(const QString& normalized);

// True when folder is candidate or lies inside it.
bool isSameOrAncestor(const QString& candidate, const QString& folder, Qt::CaseSensitivity cs);

// The decision itself, on the location as written and as resolved through
// links (empty when it does not exist). Pure: no file-system access.
LocationVerdict judgeInstallLocation(const QString& written, const QString& resolved,
                                     const QStringList& protectedFolders, Qt::CaseSensitivity cs);

// Home, every standard location of the user, the system's own folders, each
// also as resolved through links.
QStringList protectedFolders();

// judgeInstallLocation() for this machine.
LocationVerdict checkInstallLocation(const QString& location);

// A shortcut or start-menu name that stays a single entry in its folder.
bool isUsableProductName(const QString& name);

// Removes a folder and everything in it the way QDir::removeRecursively()
// does (what can be removed goes, a read-only file is made writable and tried
// again, the rest stays) but never enters a link or junction: such an entry
// is removed as a link and its target is left alone. When path itself is a
// link, only the link goes. Returns whether everything was removed; a path
// that does not exist or is no folder counts as done and is left as it is.
bool removeFolderTree(const QString& path);

// checkInstallLocation(), then removeFolderTree() when it allows it. Returns
// the verdict.
LocationVerdict removeInstallFolder(const QString& location);

} // namespace Engine
