#pragma once

// What is left of a folder after its removal, handed to the system to remove
// at the next restart (on Windows, files the running uninstaller itself holds
// open: its executable and the libraries it loaded).

#include <QString>
#include <QStringList>

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

// Schedules inUseRestartOrder(top, inUse), skipping any path reached through
// a link or junction below top (or top itself being one): Windows would
// follow it at start-up. True when every entry was accepted.
bool scheduleInUseOnRestart(const QString& top, const QStringList& inUse);

// After a removal of top's contents: true when all that is left of top is
// what was left in use (and the folders holding it) and all of that was
// scheduled for the next restart; nothing is scheduled otherwise.
bool scheduleLeftOnRestart(const QString& top, const QStringList& inUse);

} // namespace Engine
