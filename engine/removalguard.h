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
    Protected,   // a folder the user or the system needs, or a parent of one
    Unusual,     // a spelling Windows reads otherwise than its text: a device or
                 // verbatim prefix, a network path, a stream, a short 8.3 name,
                 // a name ending in a dot or blank
};

// How paths are read: Windows' rules (drive letters, case-insensitive) or
// POSIX ones.
struct PathRules {
    Qt::CaseSensitivity caseSensitivity = Qt::CaseSensitive;
    bool windows = false;
};
PathRules hostPathRules();

// Folders the removal must leave alone.
struct ProtectedFolders {
    QStringList folders;        // neither these nor any parent of them
    QStringList sealed;         // nothing inside these either (the Windows folder)
    QStringList profileParents; // nor any folder directly inside these (user profiles),
                                // nor anything inside one but the user's own
    QStringList home;           // the user's own profile, where a product may live
};

// "C:\\a\\..\\b\\" -> "C:/b": '/' separators, no "." or "..", no final '/'
// except for a root. A leading "//" (a network path) stays under Windows' rules
// only.
QString normalizedPath(const QString& path, const PathRules& rules);

// "/", "C:", "C:/", "//server" or "//server/share".
bool isRootPath(const QString& normalized);

// "C:/…" under Windows' rules, "/…" under POSIX ones.
bool isAbsoluteLocation(const QString& normalized, const PathRules& rules);

// See LocationVerdict::Unusual.
bool isUnusualSpelling(const QString& path);

// True when folder is candidate or lies inside it.
bool isSameOrAncestor(const QString& candidate, const QString& folder, Qt::CaseSensitivity cs);

// The decision itself, on the location as written and as resolved through
// links and junctions (empty when it does not exist). Pure: no file-system
// access.
LocationVerdict judgeInstallLocation(const QString& written, const QString& resolved,
                                     const ProtectedFolders& protectedFolders,
                                     const PathRules& rules);

// The standard locations listed (Qt's lists) less those in the program's own
// folder: Qt on Windows lists that folder, its "data" folder and one inside
// that among the data locations, and the uninstaller usually lives in the
// folder it removes.
QStringList locationsToProtect(const QStringList& listed, const QString& programFolder,
                               const PathRules& rules);

// Home, every standard location of the user, the all-users desktop, the
// system's own folders, each also as resolved through links.
ProtectedFolders protectedFolders();

// The path the file system is handed for location: on Linux a '\\' is part
// of a name.
QString removalPath(const QString& location);

// judgeInstallLocation() for this machine.
LocationVerdict checkInstallLocation(const QString& location);

// A shortcut or start-menu name that stays a single entry in its folder.
bool isUsableProductName(const QString& name);

} // namespace Engine
