#pragma once

// What a removal left, item by item with its reason, and what that means for
// the uninstall entry, the exit status and the completion page: decided
// here once, read by all of them.

#include <QString>
#include <QStringList>
#include <QVector>

#include <utility>

namespace appinstaller
{

// Why something of the product is still there.
enum class LeftoverReason {
    NotRemoved,       // the system refused (in use, no rights, ...)
    Refused,          // a folder the user or the system needs, or a location
                      // that names none safely (relative, a root, ...)
    NotProducts,      // nothing in it proves it is the product's folder
    Shared,           // another program's uninstall entry names it or a folder in it
    OtherFileSystem,  // another disk or file system mounted there
    NotOnlyShortcuts, // a start-menu folder holding more than the product's shortcuts
    SharedFolder,     // a start-menu folder Windows or many programs share
    EntryKept,        // the uninstall entry, kept while the product's folder or a
                      // shortcut stays
    NotFound,         // the product's files are not where the entry says: nothing
                      // there, or no folder named
    // The install manifest cannot be trusted: nothing of the install
    // folder goes, nor anything else.
    ManifestNotUsed,      // it cannot be read whole, or is no manifest
    ManifestOtherProduct, // it names another product
    ManifestLineRefused,  // a line of it that cannot be used
    // The folder holds the product but is not one of its own (its name does
    // not name the product), and there is no install manifest to tell the
    // product's files from the user's: nothing of it goes.
    NotOwnFolder,
    // Notes, not leftovers: with these alone the removal is complete.
    NotListed, // a file the install manifest does not list: the user's, kept
    Lookalike, // a folder that looks like the product's where the entry's does not
               // prove to be it: named for the user, never removed
    // Found when the run looked again before clearing the entry.
    ManifestNotFound, // nothing the install manifest lists is in the folder the entry
                      // records: its lines are relative to another; nothing of it goes
    StillThere,       // named by the entry, AppConfig.xml or the manifest, and still
                      // there after the removal
};

// Another product whose uninstall entry records a folder of ours or one
// inside it: what keeps that folder.
struct SharingProduct {
    SharingProduct(const QString& shownName = QString(), const QString& entryName = QString(),
                   const QString& keyPath = QString(), bool earlier = false)
        : name(shownName), entry(entryName), key(keyPath), earlierEntry(earlier)
    {
    }

    QString name;  // its DisplayName, fit for one line; empty when it has none
    QString entry; // its entry's key name ("{GUID}"); empty when no entry is known
    QString key;   // its entry's full key path, where the Registry Editor shows it
    // The entry carries this product's own name (isEarlierEntry()): one an
    // earlier installation left behind, not another program; removing it
    // first would send the user to this very uninstaller.
    bool earlierEntry = false;
    // The name a person knows it by: its DisplayName, else its entry's name.
    QString shown() const { return name.isEmpty() ? entry : name; }
    bool operator==(const SharingProduct& other) const
    {
        return name == other.name && entry == other.entry;
    }
};

// Whether another entry that records the product's folder carries the
// product's own name (English or Chinese): its DisplayName, else its key's
// name, compared without case, blanks and punctuation, is the name, or the
// name followed by nothing but a version or an architecture ("Ferrovane Desk
// 2.1", "Ferrovane Desk (x64)"; not "Ferrovane Desk Viewer").
bool isEarlierEntry(const SharingProduct& product, const QString& nameEN, const QString& nameCH);

// Something a removal step set out to remove and that is still there after it.
struct LeftoverItem {
    LeftoverItem() = default;
    LeftoverItem(const QString& path, bool scheduled = false,
                 LeftoverReason why = LeftoverReason::NotRemoved, const QString& folder = QString())
        : strPath(path), bScheduled(scheduled), reason(why), strFolder(folder)
    {
    }

    QString strPath;         // a file, a folder, or the registry key's full path
    bool bScheduled = false; // handed to Windows to remove at the next restart
    LeftoverReason reason = LeftoverReason::NotRemoved;
    // NotListed: the folder strPath is relative to; ManifestLineRefused:
    // the manifest, strPath being the line's number; Lookalike: the folder
    // the entry records.
    QString strFolder;
    // Files of it left in use, each with the programs holding it open:
    // "docs/file1.dat: notepad.exe (process 4312)".
    QStringList holders;
    // Shared: the other products known to record it (or a folder in it), by
    // name; empty when only the folder's identity tells.
    QVector<SharingProduct> sharedWith;
    // Shared: nothing proves the folder to be the product's either (no client
    // program or uninstaller at its top, no manifest): a later run would not
    // remove it even once the others are gone.
    bool bUnproved = false;
};

// Whether an item is something of the product that stayed (or stays for a
// reason), rather than a note: the user's own files kept, a start-menu
// folder kept for the user's files in it once the shortcuts went, a folder
// that looks like the product's.
bool isLeftOver(const LeftoverItem& item);

// The record of one run.
class Outcome
{
public:
    Outcome() = default;
    explicit Outcome(QVector<LeftoverItem> items) : m_items(std::move(items)) {}

    const QVector<LeftoverItem>& items() const { return m_items; }
    // Something of the product stays that no restart removes: the entry is
    // kept, the page says "incomplete", the status is 1 (quiet: 1603).
    bool incomplete() const;
    // Something waits for the next restart.
    bool restartNeeded() const;
    // Whether running the uninstaller again may finish what this run left:
    // only what the system refused (in use, no rights) may go another time;
    // a folder refused or not proved, another product inside, another disk,
    // an untrusted manifest stay until someone changes them.
    bool laterRunMayFinish() const;
    // A clicked run's status: 1 when incomplete, else 0.
    int exitStatus() const { return incomplete() ? 1 : 0; }
    // What a person can do about what stayed, in English for the log, one
    // step for each kind of reason, in the order they were met; empty when
    // nothing stayed that asks for anything.
    QStringList nextSteps() const;

private:
    QVector<LeftoverItem> m_items;
};

} // namespace appinstaller
