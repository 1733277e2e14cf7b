#pragma once

// The folder walk: removing everything inside a folder without ever leaving
// it, whatever is swapped in on the way.

#include "files.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace Platform
{

// Which entries of a folder's contents a removal takes, when not all of them
// go. The walk asks about each entry it meets in a folder it decides in, by
// the entry's path relative to the walked folder ('/' between the names);
// several walks may ask at once. A link or junction is asked about as no
// folder: it is removed as a link or kept, never entered.
class EntryFilter
{
public:
    enum class Decision {
        Remove, // the entry goes; a folder with everything in it, asked no more
        Keep,   // the entry stays, and so do the folders holding it
        Enter,  // a folder: its entries are asked about, and it goes when left empty
    };
    virtual ~EntryFilter() = default;
    virtual Decision decide(const QString& relativePath, bool isFolder) const = 0;
};

// An entry the system refused to remove, with the system's error code.
struct FailedEntry {
    QString path;
    int error = 0;
};

// What removing a folder's contents left behind.
struct FolderRemoval {
    bool complete = true;         // everything inside went, removeLast included
    QStringList otherFileSystems; // folders inside that are another file system
                                  // or volume (mount points): left, never entered
    QStringList otherProducts;    // folders inside that are another product's
                                  // (see sealed): left, never entered
    QStringList inUse;            // entries a running program holds (Windows): left
    // The first entries the system refused (up to maxFailedEntries), for the
    // record; the folders left only because something in them stayed are
    // not among them.
    QVector<FailedEntry> failed;
    // What the filter kept, by full path, sorted; not counted as incomplete.
    QStringList kept;
};
constexpr int maxFailedEntries = 100;

// Removes everything inside folder, depth first, but not folder itself, and
// never leaves it: every entry is reached relative to its open parent
// (descriptors on Linux, handles on Windows), a link or junction is removed as
// a link and never entered, another file system is left and listed, and no
// file's mode or attributes are changed by name. What cannot be removed
// stays. removeLast names entries relative to folder, one or two names deep
// ("Client.exe", "bin/Client.exe"): they go after everything else, and only
// when everything else went, so that an interrupted or partial removal keeps
// them (with the folder holding them). A folder that is a link, or cannot be
// opened, is left and counts as not removed; so is one that is not expected
// (when valid): the folder judged may not be what the path leads to by now.
// With a filter only what it lets go is removed (removeLast is not asked
// about), and a folder entered on its word that still holds what it kept
// stays without counting as a failure. A folder that is one of sealed (by
// identity: other products' folders, whatever path named them) is left,
// never entered, listed in otherProducts, and the removal is incomplete.
FolderRemoval removeFolderContents(const QString& folder, const QStringList& removeLast = {},
                                   const FileIdentity& expected = FileIdentity(),
                                   const EntryFilter* filter = nullptr,
                                   const QVector<FileIdentity>& sealed = {});

} // namespace Platform
