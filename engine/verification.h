#pragma once

// The look again once the removal has acted: whether anything the product's
// record names is still there. The uninstall entry is cleared, and the run
// counts as complete, only when nothing is, beyond what waits for the
// restart and the folders that stay for the user's files alone.

#include "installmanifest.h"
#include "registry/uninstallregistry.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace Engine
{

// What the product's record names, gathered before anything goes.
struct NamedEntries {
    // The install folder as the file system is handed it; empty when no
    // folder was judged.
    QString folder;
    // Nothing in the folder was to stay: it goes whole, so it is named too.
    bool folderWhole = false;
    // Full paths: the client program DisplayIcon names, each uninstaller the
    // uninstall commands name but the running one (its own files are this
    // run's finish: moved out, scheduled or removed by the walk), and the
    // client program at the top of folder as AppConfig.xml names it.
    QStringList programs;
    // A used manifest: every entry it lists, relative to folder.
    const InstallManifest* manifest = nullptr;
};

// Gathers them; folder is the install folder's path as the file system is
// handed it (empty when none was judged), manifest the one read (only a used
// one names anything).
NamedEntries namedEntries(const appinstaller::EntryRecord& entry, const QString& clientName,
                          const QString& folder, bool folderWhole, const InstallManifest& manifest);

// What a run may leave of the named entries without the product counting as
// still there.
struct LeftByDesign {
    QStringList scheduled; // full paths handed to the next restart
    // Full paths the run kept as the user's: the folders holding them stay,
    // though named; a named entry that is itself kept does not.
    QStringList kept;
};

// Whether an entry counts as there: after a real run, whether it exists; in
// a trial run, whether it exists and the walk would leave it.
using Presence = std::function<bool(const QString& path)>;

// The named entries still there, full paths, at most kMaxRemainingListed of
// them in the order named (programs, the folder, the manifest's), and how
// many there are in all. A manifest's entries are looked up one by one only
// while the folder is there.
struct Remaining {
    QStringList paths;
    int count = 0;
};
constexpr int kMaxRemainingListed = 100;
Remaining stillThere(const NamedEntries& named, const LeftByDesign& allowed,
                     const Presence& present);

// Whether anything a used manifest lists lies in folder, stopping at the
// first found. When nothing does, its lines are relative to another folder
// than the one the entry records (the entry names a folder above the
// product's), and it cannot say what in this one is the product's.
bool listsAnythingIn(const QString& folder, const InstallManifest& manifest);

} // namespace Engine
