#pragma once

// One walk of the Linux folder walk (walk.cpp runs several at once): what is
// inside an open folder removed depth first, every name relative to its open
// parent.

#include "descriptors.h"
#include "platform/walk.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <dirent.h>

#include <atomic>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Platform
{
namespace Posix
{

// The walk holds at most this many folders open, the top one included, and
// fewer once the system says descriptors ran out.
constexpr std::size_t maxOpenLevels = 256;

// removeLast, split by depth: files of the top folder, and files of the
// folders directly inside it, by folder.
struct LastEntries {
    std::vector<std::string> top;
    std::map<std::string, std::vector<std::string>> inFolders;
    std::vector<std::pair<std::string, std::string>> inOrder; // (folder or empty, name)

    explicit LastEntries(const QStringList& entries);
};

// The entries below the open folder top, for a display: links are not
// followed, and a folder deeper than window levels counts as one entry.
quint64 countEntries(int top, std::size_t window);

// Removes everything below an open folder, depth first, every name relative
// to its open parent. Going down, the oldest open folders are closed when
// more than the window would be open; going back up to a closed one, it is
// reopened through ".." of the folder below and must be the very folder
// first opened (device and inode), or the walk stops there, and every walk
// sharing its stop flag with it. Nothing on another mount than the top
// folder's is entered.
class ContentsWalk
{
public:
    // top: the top folder, which the walk owns from here on. With handOut,
    // the top folder's own folders are not entered but listed there, for
    // walkFolder() of this or another walk. With dryRun nothing is removed:
    // an entry counts as gone when this user may remove it (removalRefusal()),
    // a folder as gone when all in it would be and it may go.
    ContentsWalk(DIR* top, const MountOf& topMount, const QString& topPath, const LastEntries& last,
                 std::size_t window, std::atomic<bool>& stop,
                 std::vector<std::string>* handOut = nullptr, const EntryFilter* filter = nullptr,
                 const std::vector<std::pair<quint64, quint64>>* sealed = nullptr,
                 bool dryRun = false, WalkProgress* progress = nullptr);

    ~ContentsWalk();

    ContentsWalk(const ContentsWalk&) = delete;
    ContentsWalk& operator=(const ContentsWalk&) = delete;

    // The whole top folder.
    void run() { walk(0); }

    // One folder directly inside the top one, and the folder itself.
    void walkFolder(const std::string& name);

    // False when something stayed or a walk stopped.
    bool complete() const { return m_complete && !m_stop.load(std::memory_order_relaxed); }

    // What stayed, by full path, in the order met; refused entries up to
    // maxFailedEntries.
    const QVector<LeftEntry>& left() const { return m_left; }
    // The error of the first entry refused; 0 when none was.
    int firstError() const { return m_firstError; }

private:
    // Until the folders deeper than floor are done.
    void walk(std::size_t floor);

    struct Level {
        DIR* stream = nullptr; // null while closed to spare descriptors
        std::string name;      // in the level above
        quint64 device = 0;    // what it was when first opened
        quint64 inode = 0;
        bool reread = false;                            // reopened, so listed from its start again
        std::set<std::string> failed;                   // what stayed here, not to be tried again
        const std::vector<std::string>* last = nullptr; // removeLast's names in it
        bool decides = false;                           // the filter is asked about what it holds
        bool holdsKept = false;                         // holds what the filter kept: stays
        FolderRights rights; // a trial run's: what removing in it would meet
        // With a filter: its path relative to the top, '/' after each name,
        // decoded once for every entry the filter is asked about in it.
        QString relative;
    };

    // What the filter makes of an entry of the current folder; Remove where
    // it is not asked.
    EntryFilter::Decision decide(const char* name, bool isFolder) const;

    // An entry of the current folder the filter keeps: it and the folders
    // holding it stay, and a folder listed again does not ask again.
    void keep(const char* name);

    // What stayed in the current folder, with the error the failed call
    // gave; a folder that stayed for what it holds is not recorded again.
    void fail(const char* name, int error, EntryStatus status = EntryStatus::Refused);

    std::size_t openLevels() const { return 1 + m_levels.size() - m_firstOpen; }

    // Closes the oldest open folder but the top and the current one.
    bool closeOldest();

    int openFolderAt(int parent, const char* name);

    void enter(int currentFd, const char* name, bool decides = false);

    // Done with the current folder: back to the one above, which removes it
    // unless removeLast names something in it.
    void leaveLevel();

    // The closed folder above the level current, through "..": only the one
    // first opened there will do.
    bool reopenParent(std::size_t current);

    // The full path of name in the current folder, for the record.
    QString pathOf(const char* name) const;

    // An entry went (or would go: then with its size), told to m_progress
    // in batches.
    void gone(quint64 bytes = 0)
    {
        if (!m_progress)
            return;
        m_pendingBytes += bytes;
        if (++m_pending >= kProgressBatch)
            tellProgress();
    }
    void tellProgress();
    static constexpr quint64 kProgressBatch = 64;

    const MountOf m_mount;
    const QString m_topPath;
    const LastEntries& m_last;
    std::vector<Level> m_levels;
    std::size_t m_firstOpen = 1; // the top and m_levels[m_firstOpen...] are open
    std::size_t m_window;
    bool m_complete = true;
    std::atomic<bool>& m_stop;
    std::vector<std::string>* m_handOut;
    const EntryFilter* m_filter;
    const std::vector<std::pair<quint64, quint64>>* m_sealed;
    const bool m_dryRun;
    WalkProgress* const m_progress;
    quint64 m_pending = 0; // gone, not yet told
    quint64 m_pendingBytes = 0;
    QVector<LeftEntry> m_left;
    int m_refused = 0; // of m_left
    int m_firstError = 0;
};

} // namespace Posix
} // namespace Platform
