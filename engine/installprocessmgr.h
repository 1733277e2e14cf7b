#pragma once

// The removal: one fixed sequence run on a worker thread, announced step by
// step through signalProcess.

#include "config/singleton.h"
#include "registry/uninstallregistry.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QVector>

namespace Engine
{
struct InstallFolderRemoval;
struct InstallManifest;
struct RecordedFolder;
} // namespace Engine

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
    // Notes, not leftovers: with these alone the removal is complete.
    NotInstalled, // a file the install manifest does not list: the user's, kept
    PreInstall,   // in the install folder before the product was installed: the user's, kept
    Lookalike,    // a folder that looks like the product's where the entry's does not
                  // prove to be it: named for the user, never removed
};

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
    // NotInstalled, PreInstall: the folder strPath is relative to; ManifestLineRefused:
    // the manifest, strPath being the line's number; Lookalike: the folder
    // the entry records.
    QString strFolder;
};

// Whether an item is something of the product that stayed (or stays for a
// reason), rather than a note: the user's own files kept, a start-menu
// folder kept for the user's files in it once the shortcuts went, a folder
// that looks like the product's.
bool isLeftOver(const LeftoverItem& item);

// Whether running the uninstaller again may finish what this run left: only
// what the system refused (in use, no rights) may go another time; a folder
// refused or not proved, another product inside, another disk, an untrusted
// manifest stay until someone changes them.
bool laterRunMayFinish(const QVector<LeftoverItem>& leftovers);

class InstallProcessMgr : public QObject, public Base::CSingleton<InstallProcessMgr>
{
    Q_OBJECT
    friend class Base::CSingleton<InstallProcessMgr>;

public:
    ~InstallProcessMgr() override;

    // Reads where the entry records the product, then: 0 % and the install
    // folder, 30 % and the shortcuts, 60 % and the uninstall entry, 100 %.
    // Never stops early; runs on the worker thread. The install folder goes
    // only when it proves to be the product's (or a trusted manifest says
    // what in it is); the shortcuts only once it went, so that a product
    // kept whole stays usable; the entry only when nothing of the product
    // stays (or all of what stays is scheduled for the next restart).
    void unInstall();

    // The desktop shortcuts and start-menu folders under both product names.
    void deleteShortcuts();

    // What the last run left behind; empty when everything went. Complete
    // once the thread that ran unInstall() has finished.
    QVector<LeftoverItem> leftovers() const;

    // The program's exit status for a record: 1 when anything is left that
    // is not scheduled for the next restart, else 0.
    static int exitStatus(const QVector<LeftoverItem>& leftovers);

signals:
    void signalProcess(int iProcess, QString strProcessName);

private:
    InstallProcessMgr();
    void noteLeftover(const LeftoverItem& item);
    // The install folder, or what a trusted manifest lists of it; whether
    // the product's folder is done (gone, or all that stays of it
    // scheduled for the next restart).
    bool removeFolderStep(const Engine::RecordedFolder& recorded,
                          const Engine::InstallManifest& manifest, const EntryRecord& entry);
    void noteLookalikes(const Engine::InstallFolderRemoval& folder);

    mutable QMutex m_leftoversMutex;
    QVector<LeftoverItem> m_leftovers;
};

} // namespace appinstaller
