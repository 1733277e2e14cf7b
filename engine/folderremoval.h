#pragma once

// Removing a folder tree without following links, and the install folder
// once the guards allow it.

#include "installmanifest.h"
#include "removalguard.h"
#include "restartremoval.h"

#include <QHash>
#include <QString>

namespace Engine
{

// Removes a folder and everything in it the way QDir::removeRecursively()
// does (what can be removed goes, the rest stays; no mode or attribute is
// changed by name) but never enters a link or junction: such an entry
// is removed as a link and its target is left alone. When path itself is a
// link, only the link goes, final separators or not. Returns whether
// everything was removed; a path that does not exist or is no folder counts
// as done and is left as it is. error, when given, is set to the system's
// error code of the first entry refused (0 when none was).
bool removeFolderTree(const QString& path, int* error = nullptr);

// What became of the install folder.
struct InstallFolderRemoval {
    LocationVerdict verdict = LocationVerdict::Empty;
    QString folder;                   // the location judged, as recorded
    InstallLocation location;         // the folder judged, read once
    Platform::FolderRemoval contents; // what the walk left, when it ran
    bool removed = false;             // the folder judged went
    // The folder did not prove to be the product's, or not to be a folder of
    // its own (NotOwnFolder), and a usable manifest said what in it is: only
    // that went.
    bool listedOnly = false;
    // Folders inside that hold the client program, when the location did
    // not prove to be the product's: named for the user, never removed.
    QStringList lookalikes;
    // What the verdict rests on, in words for the record: where the client
    // program and the uninstaller are, who else records the folder.
    QStringList grounds;
    // Shared: the other products that record it, and whether it would not
    // prove to be the product's even alone (LeftoverItem::bUnproved).
    QVector<appinstaller::SharingProduct> sharedWith;
    bool unprovedAlone = false;
    // Other products' folders the walk met inside and never entered
    // (EntryStatus::OtherProduct), by path: whose each is.
    QHash<QString, QVector<appinstaller::SharingProduct>> sealedWith;
    // The uninstaller's own files that were in use in it (run from inside
    // it), moved out to wait for the restart outside it: moveOwnFilesOut().
    MovedOut movedOut;

    // A used manifest lists nothing that is in the folder: its lines are
    // relative to another one, and nothing of this one goes.
    bool manifestElsewhere = false;

    // Whether the walk ran in the folder: the guards allowed it whole, or a
    // manifest said what in it is the product's.
    bool walked() const
    {
        return !manifestElsewhere && (verdict == LocationVerdict::Remove || listedOnly);
    }

    // Whether the product is gone: the folder, or with a manifest all it
    // lists, the folder staying for what it does not list (contents.kept).
    bool productRemoved() const
    {
        return removed || (walked() && contents.complete &&
                           contents.has(Platform::EntryStatus::Kept) && !contents.leftAnything());
    }
};

// checkInstallLocation(), then, when it allows it, the folder's contents
// with the client program last (the proof a later run needs) and the folder
// itself, through a handle of its own. When the uninstaller runs from inside
// it, the working folder moves out of it, its own files in use move out to
// wait for the restart (moveOwnFilesOut()) and what they kept goes in a
// second walk. The location is what the entry records (see
// recordedInstallFolder()); nothing else is ever tried in its place.
// uninstallerNamed: the entry's uninstall command names the running
// uninstaller, which then proves the folder it lies at the top of.
// With a manifest that is used, the guards run all the same and then only
// what it lists goes, with the uninstaller's own files, the client program
// at the top and every folder left empty; the rest stays, kept in contents.
// Such a manifest also decides in a folder that does not prove to be the
// product's (NotOwned) or is not one of its own (NotOwnFolder): what it
// lists goes there, nothing else.
// With dryRun everything is decided and walked as it would be, and nothing
// is removed, moved or changed. progress, when given, counts the folder's
// entries and follows the walk (Platform::WalkProgress).
InstallFolderRemoval removeInstallFolder(const QString& location, const QString& clientName,
                                         const InstallManifest* manifest = nullptr,
                                         bool uninstallerNamed = false, bool dryRun = false,
                                         Platform::WalkProgress* progress = nullptr);

// What goes last from the install folder top, relative to it ('/' between
// names), decided here alone. In the walk: the client programs at the top,
// and one folder down unless a manifest is used that does not list them:
// an interrupted or partial removal keeps the proof a later run needs. At
// the restart, once a walk left entries in use (walked): those, and the
// uninstaller's own files the walk left in use, for a kept entry must still
// name an uninstaller that is there; never what the system refused.
QStringList goesLast(const QString& top, const QString& clientName, const InstallManifest* manifest,
                     const Platform::FolderRemoval* walked = nullptr);

// The uninstaller's own files inside folder, relative to it ('/' between
// names): the program and the libraries it loaded from there, its
// translations and resources, and whichever of extra (its configuration,
// the manifest) lie inside.
QStringList ownFilesRelative(const QString& folder, const QStringList& extra);

// The program's own files (its executable and libraries) that it loaded from
// inside folder, both taken where links lead: a library loaded from
// elsewhere (a scanner's hook, an input method) is none of the product's,
// even when a link inside the folder leads to it.
QVector<Platform::FileIdentity> ownFilesInside(const QString& folder);

// path without its final separators, except the one of a root ("/", "C:/"):
// "link/" names the link's target, "C:" the drive's current folder.
QString withoutFinalSeparators(const QString& path);

} // namespace Engine
