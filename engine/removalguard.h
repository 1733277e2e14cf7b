#pragma once

// What the uninstaller may remove. The install location comes from the
// registry and the shortcut names from AppConfig.xml; neither is trusted to
// name only what the product owns. The rules are pure (removalrules.cpp);
// the facts of this machine are gathered apart (removalfacts.cpp).

#include "outcome.h"
#include "platform/platform.h"
#include "windowsnames.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

namespace Engine
{

enum class LocationVerdict {
    Remove,          // a folder the product may own
    Empty,           // no location recorded
    NotAbsolute,     // relative: it would depend on the working directory
    Root,            // a file-system or drive root
    Protected,       // a folder the user or the system needs, or a parent of one
    Unusual,         // a spelling Windows reads otherwise than its text: a device or
                     // verbatim prefix, a network path, a stream, a short 8.3 name,
                     // a name ending in a dot or blank
    NotOwned,        // nothing proves it is the product's folder (see provesOwnership())
    NotOwnFolder,    // it holds the product, but its name does not name the product
                     // (see namesProduct()): it may hold the user's things too, and
                     // only an install manifest tells them apart
    Shared,          // another product's uninstall entry names it or a folder in it
    OtherFileSystem, // a mount point or a volume's root, or on another file
                     // system than the folder holding it
    NotFound,        // nothing there, or nothing that can be reached: never taken
                     // for a product already removed
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
    // The same by what they are rather than how they are spelled (a folder
    // reached under a second path, a bind mount): the folders and each
    // folder above them, and the sealed folders.
    QVector<Platform::FileIdentity> folderIds;
    QVector<Platform::FileIdentity> sealedIds;
};

// What the file system and the registry say about an install location, for
// judgeOwnership().
struct LocationFacts {
    // The client program lies at its top as a plain file.
    bool clientAtTop = false;
    // The running uninstaller lies at its top, and the entry's uninstall
    // command names it (the same file, by identity).
    bool uninstallerAtTop = false;
    // The folder's own name names the product (namesProduct()), as written
    // and as resolved: a folder made for it, not one of the user's.
    bool ownName = false;
    // Folders directly inside that hold the client program: what looks like
    // the product's folder when the location does not prove to be it. They
    // prove nothing (a copy can lie anywhere); they are named for the user.
    QStringList lookalikes;
    bool mountPoint = false;  // see Platform::isMountPoint()
    QStringList otherEntries; // the folders other uninstall entries record
    QStringList otherOwners;  // for each of otherEntries, who records it (for the record)
    // The product of each entry among otherOwners, by its text there.
    QHash<QString, appinstaller::SharingProduct> otherProducts;
    // Each of otherIds with the owner whose folder it is or lies above.
    QVector<QPair<Platform::FileIdentity, QString>> otherIdOwners;
    // What other products' folders are, whatever path names them: each
    // that exists and every folder above it.
    QVector<Platform::FileIdentity> otherIds;
    // Other products' folders themselves, by what they are: the walk never
    // enters one, whatever path leads there.
    QVector<Platform::FileIdentity> otherFolderIds;
    // The location itself, then each folder above it, as resolved.
    QVector<Platform::FileIdentity> identities;
};

// Who records a folder equal to location or inside it, for the record:
// the otherOwners of the otherEntries that make judgeOwnership() say Shared,
// or "another product's folder under another path" when only the identity
// tells. Pure.
QStringList sharingOwners(const QString& location, const LocationFacts& facts,
                          const PathRules& rules);

// The products behind sharingOwners(): by name and entry where an entry
// records the folder, by path or by what the folder is; one with neither
// where only Windows Installer's records tell.
QVector<appinstaller::SharingProduct>
sharingProducts(const QString& location, const LocationFacts& facts, const PathRules& rules);

// Whether the facts prove the location to be the product's folder: the
// client program at its top, or the running uninstaller that the entry names.
// Files found further down prove nothing, not even the folder holding them.
bool provesOwnership(const LocationFacts& facts);

// A name as compared with the product's: case-folded, compatibility
// forms unified, every character that is no letter or digit dropped
// ("Ferrovane Desk" and "ferrovane-desk" are both "ferrovanedesk").
QString comparableName(const QString& name);

// Whether a folder's own name (its last name) names the product: compared
// by comparableName(), it is one of names (the English and the Chinese
// name, the client program's base name), or one of them followed by a
// version alone ("Ferrovane Desk 2", "Ferrovane v2.1"). "Tools", "Desk",
// a drive's root or an empty name never do. Pure.
bool namesProduct(const QString& folderName, const QStringList& names);

// The names a folder of the product's own is named after: AppConfig.xml's
// English and Chinese names and the base name of clientName
// ("Ferrovane.exe" -> "Ferrovane").
QStringList productNames(const QString& clientName);

// "C:\\a\\..\\b\\" -> "C:/b": '/' separators, no "." or "..", no final '/'
// except for a root. A leading "//" (a network path) stays under Windows' rules
// only.
QString normalizedPath(const QString& path, const PathRules& rules);

// "/", "C:", "C:/", "//server" or "//server/share".
bool isRootPath(const QString& normalized);

// "C:/…" under Windows' rules, "/…" under POSIX ones.
bool isAbsoluteLocation(const QString& normalized, const PathRules& rules);

// See LocationVerdict::Unusual. A ".." is unusual too: it names another
// folder than the one written. Short 8.3 names exist under Windows' rules only.
bool isUnusualSpelling(const QString& path, const PathRules& rules);

// True when folder is candidate or lies inside it.
bool isSameOrAncestor(const QString& candidate, const QString& folder, Qt::CaseSensitivity cs);

// The decision itself, on the location as written and as resolved through
// links and junctions (empty when it does not exist). Pure: no file-system
// access.
LocationVerdict judgeInstallLocation(const QString& written, const QString& resolved,
                                     const ProtectedFolders& protectedFolders,
                                     const PathRules& rules);

// The proof that a location judgeInstallLocation() allows is the product's
// own: Remove, or OtherFileSystem, Shared, NotOwned, NotOwnFolder (proved,
// but not named after the product), or Protected when it is a protected
// folder under another name. location is normalized. Pure.
LocationVerdict judgeOwnership(const QString& location, const LocationFacts& facts,
                               const ProtectedFolders& protectedFolders, const PathRules& rules);

// The facts of location on this machine; clientName is the client program's
// file name (AppConfig.xml's ProgramName, its last name only);
// uninstallerNamed whether the entry's uninstall command names the running
// uninstaller; names those of productNames().
LocationFacts locationFacts(const QString& location, const QString& clientName,
                            bool uninstallerNamed, const QStringList& names);

// Where the client program lies inside location as a plain file, top level
// first ("Client.exe", "bin/Client.exe", '/'-separated); empty when nowhere.
QStringList clientInside(const QString& location, const QString& clientName);

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

// The install location read once, in the forms the guard, the walk and the
// record share.
struct InstallLocation {
    QString recorded;   // as the entry holds it: what is judged as written and reported
    QString path;       // removalPath(recorded): what the file system is handed
    QString resolved;   // path through every link; empty when nothing is there
    QString normalized; // resolved, normalized: what is compared
};
InstallLocation readInstallLocation(const QString& recorded);

// judgeInstallLocation(), then judgeOwnership(), for this machine.
// judged, when given, receives the identity of the folder judged (valid for
// Remove and NotOwned): what a removal must find when it opens the location.
// facts, when given, receives the facts judged.
LocationVerdict checkInstallLocation(const InstallLocation& location, const QString& clientName,
                                     bool uninstallerNamed,
                                     Platform::FileIdentity* judged = nullptr,
                                     LocationFacts* facts = nullptr);

} // namespace Engine
