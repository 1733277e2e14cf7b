#pragma once

// The removal: one fixed sequence run on a worker thread, announced step by
// step through signalProcess.

#include "config/singleton.h"
#include "outcome.h"
#include "registry/uninstallregistry.h"
#include "removalreport.h"

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

    // What the last run left, and what that means; complete once the
    // thread that ran unInstall() has finished.
    Outcome outcome() const { return Outcome(leftovers()); }

    // A trial run: everything is decided, walked and told as it would be,
    // and nothing is removed, moved, scheduled or changed. The record then
    // holds what would stay, and the events what would go.
    void setDryRun(bool dryRun) { m_dryRun = dryRun; }
    bool dryRun() const { return m_dryRun; }

    // What went of the install folder in the last run, or in a trial run
    // what would go: its files and folders, and (in a trial) the bytes of
    // the files. Complete once the thread that ran unInstall() has finished.
    struct FolderTally {
        quint64 entries = 0;
        quint64 bytes = 0;
    };
    FolderTally folderTally() const;

signals:
    void signalProcess(int iProcess, QString strProcessName);
    // Between the 0 and the 30 of signalProcess, while the install folder
    // goes: the percentage reached, 1 to 29, rising, at most once a
    // percent, emitted on the threads of the walk.
    void signalFolderProgress(int iProcess);

private:
    InstallProcessMgr();
    void noteLeftover(const LeftoverItem& item);
    // What the folder step did, for the look again before the entry goes.
    struct FolderStep;
    // The install folder, or what a trusted manifest lists of it; whether
    // the product's folder is done (gone, or all that stays of it
    // scheduled for the next restart).
    bool removeFolderStep(const Engine::RecordedFolder& recorded,
                          const Engine::InstallManifest& manifest, const EntryRecord& entry,
                          FolderStep& step);
    // Whether anything the entry, AppConfig.xml or a used manifest names is
    // still there beyond what the run left by design; each such entry on
    // the record.
    void verifyRemoval(const EntryRecord& entry, const Engine::InstallManifest& manifest,
                       const FolderStep& step);
    void removeShortcut(const QString& path);
    void removeStartMenuFolder(const QString& folder, const QString& strPath);
    void noteUsersFiles(const Engine::InstallFolderRemoval& folder);
    bool leaveForRestart(const Engine::InstallFolderRemoval& folder,
                         const Engine::InstallManifest& manifest, QStringList& scheduled);
    void noteLookalikes(const Engine::InstallFolderRemoval& folder);
    // Something of the product that stays, on the record and told.
    void keep(RemovalEvent::Item item, const QString& path, LeftoverReason reason, int error = 0);

    bool m_dryRun = false;
    mutable QMutex m_leftoversMutex;
    FolderTally m_tally; // under m_leftoversMutex
    QVector<LeftoverItem> m_leftovers;
};

} // namespace appinstaller
