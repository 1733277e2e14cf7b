#pragma once

// Removing a folder tree without following links, and the install folder
// once the guards allow it.

#include "installmanifest.h"
#include "removalguard.h"
#include "restartremoval.h"

#include <QString>

namespace Engine
{

// Removes a folder and everything in it the way QDir::removeRecursively()
// does (what can be removed goes, a read-only file is made writable and tried
// again, the rest stays) but never enters a link or junction: such an entry
// is removed as a link and its target is left alone. When path itself is a
// link, only the link goes, final separators or not. Returns whether
// everything was removed; a path that does not exist or is no folder counts
// as done and is left as it is.
bool removeFolderTree(const QString& path);

// What became of the install folder.
struct InstallFolderRemoval {
    LocationVerdict verdict = LocationVerdict::Empty;
    QString folder;                   // the location, or the uninstaller's own folder
    InstallLocation location;         // the folder judged, read once
    Platform::FolderRemoval contents; // what the walk left, when it ran
    bool removed = false;             // the folder judged went
    // The uninstaller's own files that were in use in it (run from inside
    // it), moved out to wait for the restart outside it: moveOwnFilesOut().
    MovedOut movedOut;

    // Whether the product is gone: the folder, or with a manifest all but
    // what it does not list (contents.kept), for which the folder stays.
    bool productRemoved() const
    {
        return removed || (verdict == LocationVerdict::Remove && contents.complete &&
                           !contents.kept.isEmpty() && contents.otherFileSystems.isEmpty() &&
                           contents.inUse.isEmpty());
    }
};

// checkInstallLocation(), then, when it allows it, the folder's contents
// with the client program last (the proof a later run needs) and the folder
// itself, through a handle of its own. When the uninstaller runs from inside
// it, the working folder moves out of it, its own files in use move out to
// wait for the restart (moveOwnFilesOut()) and what they kept goes in a
// second walk. A location one level above the product's folder (all the
// proof in one folder inside) stays and counts as not the product's; that
// folder alone goes, when it passes the same checks. A location that names
// no folder there (blank, unusual, relative, missing or out of reach) is
// never taken for removed: the uninstaller's own folder is the install
// folder when it holds the client program (an installer puts the
// uninstaller there, and a moved product is found where it is), else
// nothing goes. With a manifest that is used, the guards run all the same
// and then only what it lists goes from the folder judged, with the client
// program and every folder left empty; the rest stays, in contents.kept.
InstallFolderRemoval removeInstallFolder(const QString& location, const QString& clientName,
                                         const InstallManifest* manifest = nullptr);

// The program's own files (its executable and libraries) that it loaded from
// inside folder, both taken where links lead: a library loaded from
// elsewhere (a scanner's hook, an input method) is none of the product's,
// even when a link inside the folder leads to it.
QVector<Platform::FileIdentity> ownFilesInside(const QString& folder);

// path without its final separators, except the one of a root ("/", "C:/"):
// "link/" names the link's target, "C:" the drive's current folder.
QString withoutFinalSeparators(const QString& path);

} // namespace Engine
