#pragma once

// Where the product lies, as its installer recorded it in the uninstall
// entry. The files found there only confirm it (see ownership in
// removalguard.h); nothing found by name elsewhere ever stands in for it.

#include "registry/uninstallregistry.h"
#include "removalguard.h"

#include <QPair>
#include <QString>
#include <QVector>

#include <functional>

namespace Engine
{

// Which value of the entry gave the install folder.
enum class FolderSource {
    None,              // nothing recorded names it: no folder is judged
    InstallLocation,   // InstallLocation, as written
    ClientIcon,        // the folder of the client program DisplayIcon names
    Uninstaller,       // the folder of the running uninstaller the uninstall command names
    UninstallerParent, // the folder above that, when the uninstaller sits in a folder
                       // of the product and the client program lies at the top above it
};

struct RecordedFolder {
    FolderSource source = FolderSource::None;
    QString location; // as recorded, to be judged
};

// What the file system says, asked of by recordedInstallFolder().
struct RecordedFolderProbe {
    // Whether program is the running uninstaller itself (the same file, by
    // identity, not by name: a copy is another file).
    std::function<bool(const QString& program)> isRunningUninstaller;
    // Whether the client program lies at the top of folder as a plain file.
    std::function<bool(const QString& folder)> holdsClientAtTop;
};

// In this order: InstallLocation when it is not blank; else the folder of
// the client program DisplayIcon names; else the folder of the running
// uninstaller the uninstall commands name, or that folder's parent when the
// client lies at the parent's top and not beside the uninstaller. The
// running uninstaller's own folder is never a candidate by itself.
RecordedFolder recordedInstallFolder(const appinstaller::EntryRecord& entry,
                                     const QString& clientName, const PathRules& rules,
                                     const RecordedFolderProbe& probe);
// The same on this machine.
RecordedFolder recordedInstallFolder(const appinstaller::EntryRecord& entry,
                                     const QString& clientName);

// The names at the top of the install folder that were there, untouched,
// before the product was installed: last changed (Platform::changeTime())
// before the earliest of the files the entry and AppConfig.xml name (the
// client program, the uninstaller, AppConfig.xml) was written, by more than
// the time between the first and the last of those (what the installer
// wrote just before them is the product's too). A user who
// installs into a folder that already holds their things keeps them. It
// only ever keeps more: with no reference time known, none. What the user
// added later is newer and cannot be told apart this way; a manifest does
// that. entries: each name with its change time; references: the change
// times of the named files, -1 for one that is not there.
QStringList preInstallEntries(const QVector<QPair<QString, qint64>>& entries,
                              const QVector<qint64>& references);

// Whether the entry's uninstall commands name the running uninstaller.
bool entryNamesRunningUninstaller(const appinstaller::EntryRecord& entry);

// English words for the record.
QString folderSourceText(FolderSource source);

} // namespace Engine
