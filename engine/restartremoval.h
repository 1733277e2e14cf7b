#pragma once

// What is left of a folder after its removal, handed to the system to remove
// at the next restart: on Windows, what is in use, be it the running
// uninstaller's own files (its executable and the libraries it loaded) or
// files another program holds, and the folders holding them.

#include <QString>
#include <QStringList>
#include <QVector>

#include "platform/platform.h"

namespace Engine
{

// Every entry below folder and the folder itself, in an order in which each
// can be removed once the ones before it are gone: all files (and links,
// never entered) first, then the folders deepest first, folder last. Empty
// when folder does not exist.
QStringList restartRemovalOrder(const QString& folder);

// What is to go at the next restart after a removal of top's contents left
// the entries in inUse (Platform::FolderRemoval::inUse): each of them that
// lies inside top, and the folders holding them up to top itself, deepest
// first, each once.
QStringList inUseRestartOrder(const QString& top, const QStringList& inUse);

// After a removal of top's contents left the entries in inUse: schedules
// each of them, and the folders holding them up to top, one by one for the
// next restart, whatever else stays; the entries of last (full paths: the
// client program, the uninstaller's own files) after them, but only when all
// that is left of top is then scheduled, for otherwise they are the proof
// and the uninstaller a later run needs. A path
// reached through a link or junction below top, or top being one, is never
// handed on: Windows would follow it at start-up. Returns what was
// scheduled; everything (when set) tells whether all that is left of top
// was, but for kept: entries meant to stay (the user's, which the install
// manifest does not list) and the folders holding them. With dryRun
// nothing is handed on: what would be is returned, inUse and last taken as
// all that would be left of top but kept.
QStringList scheduleLeftOnRestart(const QString& top, const QStringList& inUse,
                                  const QStringList& last, bool* everything = nullptr,
                                  const QStringList& kept = {}, bool dryRun = false);

// What moveOwnFilesOut() did.
struct MovedOut {
    QStringList moved;    // the entries of the walked folder that went
    QStringList waiting;  // where they wait, and their holding folder, scheduled
    QStringList stranded; // where they wait unscheduled (the system refused)
};

// Moves the entries of inUse that are the program's own files (own: its
// executable and loaded libraries, which Windows will not delete while it
// runs) out of top into a new holding folder on its volume that only
// administrators and the system can write, and schedules them there for the
// next restart, the holding folder after them. What another program holds,
// or what is not the program's own, stays where it is.
MovedOut moveOwnFilesOut(const QString& top, const QStringList& inUse,
                         const QVector<Platform::FileIdentity>& own);

} // namespace Engine
