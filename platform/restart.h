#pragma once

// What cannot go now: removal at the next restart, this process's own files,
// and the holding folder they are moved into meanwhile.

#include "files.h"

#include <QString>
#include <QVector>

namespace Platform
{

// Asks the system to remove path when it next starts (Windows: an entry it
// cannot remove now because it is in use). A folder must be empty by then,
// so what it holds is to be scheduled first. False for a link, or without
// the rights it needs (administrator on Windows). The stand-in keeps the
// list where Windows does (PendingFileRenameOperations), in its registry.
bool scheduleRemovalOnRestart(const QString& path);

// The files this process runs from: its program and every library it loaded
// (Windows refuses to delete them while it runs), with the path each was
// loaded from ('/' separators) and its identity.
struct LoadedImage {
    QString path;
    FileIdentity identity;
};
QVector<LoadedImage> loadedImages();

// Makes a folder for entries that wait for the next restart: new, at the root
// of the volume (on Linux the mount) that path lies on, so outside any folder
// the program removes, and writable only by administrators and the system
// (Windows: a protected DACL of SYSTEM and Administrators; Linux: mode 0700,
// owned by the caller). Empty when none can be made.
QString makeHoldingFolder(const QString& path);

// Moves the file at path into holding under a new name when it is one of
// own (by identity, read from the entry itself, never through a final link):
// what another program holds without leave to delete cannot move. The new
// path, empty when nothing moved.
QString moveIntoHolding(const QString& path, const QVector<FileIdentity>& own,
                        const QString& holding);

} // namespace Platform
