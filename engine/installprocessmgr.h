#pragma once

// The removal: one fixed sequence run on a worker thread, announced step by
// step through signalProcess.

#include "config/singleton.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QVector>

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
    // Notes, not leftovers: with these alone the removal is complete.
    NotInstalled,         // a file the install manifest does not list: the user's, kept
    ManifestNotUsed,      // the install manifest could not be read whole: not used
    ManifestOtherProduct, // the install manifest names another product: not used
    ManifestLineRefused,  // a line of the install manifest that was not used
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
    // NotInstalled: the folder strPath is relative to; ManifestLineRefused:
    // the manifest, strPath being the line's number.
    QString strFolder;
};

// Whether an item is something of the product that stayed, rather than a
// note (the user's own files kept, the install manifest's troubles).
bool isLeftOver(const LeftoverItem& item);

class InstallProcessMgr : public QObject, public Base::CSingleton<InstallProcessMgr>
{
    Q_OBJECT
    friend class Base::CSingleton<InstallProcessMgr>;

public:
    ~InstallProcessMgr() override;

    // Reads the install location, then: 0 % and the install folder, 30 % and
    // the shortcuts, 60 % and the uninstall entry, 100 %. Never stops early;
    // runs on the worker thread. The install folder goes only when it proves
    // to be the product's; the entry only once the folder is gone (or all of
    // what stays is scheduled for the next restart), so that a later run can
    // finish the job. Likewise while a shortcut of the product stays.
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

    mutable QMutex m_leftoversMutex;
    QVector<LeftoverItem> m_leftovers;
};

} // namespace appinstaller
