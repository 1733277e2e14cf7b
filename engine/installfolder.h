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
    Holding,           // the deepest folder holding both the client program DisplayIcon
                       // names and the running uninstaller the uninstall command names
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

// InstallLocation when it is not blank. Else what the entry names: the
// client program DisplayIcon names (when named like the client) and the
// running uninstaller the uninstall commands name. Both named: the deepest
// folder that holds both ("X\\bin\\Ferrovane.exe" and "X\\uninstaller.exe",
// or "X\\bin\\…" and "X\\uninstall\\…": X), whatever it is (the guards
// judge it; a drive's root is refused there). One named: its folder; for
// the uninstaller alone that folder's parent when the client lies at the
// parent's top and not beside the uninstaller. The running uninstaller's
// own folder is never a candidate by itself.
RecordedFolder recordedInstallFolder(const appinstaller::EntryRecord& entry,
                                     const QString& clientName, const PathRules& rules,
                                     const RecordedFolderProbe& probe);
// The same on this machine.
RecordedFolder recordedInstallFolder(const appinstaller::EntryRecord& entry,
                                     const QString& clientName);

// Whether the entry's uninstall commands name the running uninstaller.
bool entryNamesRunningUninstaller(const appinstaller::EntryRecord& entry);

// English words for the record.
QString folderSourceText(FolderSource source);

} // namespace Engine
