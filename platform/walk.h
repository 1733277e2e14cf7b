#pragma once

// The folder walk: removing everything inside a folder without ever leaving
// it, whatever is swapped in on the way. Mechanism only: what goes, what
// goes last and what is sealed are the caller's decisions.

#include "files.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>
#include <mutex>

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

// Why an entry the walk met is still there.
enum class EntryStatus {
    InUse,           // a running program holds it (Windows): it may go at the restart
    Refused,         // the system refused to remove it; the error says why
    OtherFileSystem, // another file system or volume is mounted there: never entered
    OtherProduct,    // one of sealed, another product's folder: never entered
    Kept,            // the filter kept it: no failure
};

// One entry the walk left, with the system's error code where it gave one.
struct LeftEntry {
    QString path;
    EntryStatus status = EntryStatus::Refused;
    int error = 0;
};

// How far a walk got, for a display: the entries below the folder are
// counted before anything goes, then each entry that goes (or would go, in
// a trial) is added by whichever worker took it. The step is called back
// at most steps times, each time done has passed another steps-th of the
// total, once at a time and with done never smaller than the call before;
// it runs on a worker's thread and must be quick. In a trial the sizes of
// the files that would go are added up too.
class WalkProgress
{
public:
    using Step = std::function<void(quint64 done, quint64 total)>;
    explicit WalkProgress(Step step = nullptr, int steps = 30);

    // The walk, once it counted the entries.
    void setTotal(quint64 total);
    // The walk, as entries go; bytes only in a trial.
    void add(quint64 entries, quint64 bytes = 0);

    quint64 total() const { return m_total.load(std::memory_order_relaxed); }
    quint64 done() const { return m_done.load(std::memory_order_relaxed); }
    quint64 bytes() const { return m_bytes.load(std::memory_order_relaxed); }

private:
    Step m_step;
    const int m_steps;
    std::atomic<quint64> m_total{0};
    std::atomic<quint64> m_done{0};
    std::atomic<quint64> m_bytes{0};
    std::atomic<quint64> m_nextAt{~quint64(0)}; // done at which the next step is due
    std::mutex m_stepMutex;
};

// What a walk is to do: the folder whose contents go, and what it is to
// take care of on the way.
struct WalkPlan {
    QString folder;
    // Entries relative to folder, one or two names deep ("Client.exe",
    // "bin/Client.exe"): they go after everything else, and only when
    // everything else went, so that an interrupted or partial removal keeps
    // them (with the folder holding them). Not asked about with a filter.
    QStringList removeLast;
    // The folder judged, when valid: the walk refuses any other folder the
    // path leads to by now.
    FileIdentity expected;
    // With a filter only what it lets go is removed, and a folder entered on
    // its word that still holds what it kept stays without counting as a
    // failure.
    const EntryFilter* filter = nullptr;
    // Other products' folders, by identity whatever path named them: left,
    // never entered; the removal is then incomplete.
    QVector<FileIdentity> sealed;
    // Decide as the walk would and report it, but remove nothing: what would
    // go is not listed, what would stay is, and a folder would go when
    // everything in it would.
    bool dryRun = false;
    // When set: counted and told as the walk goes (WalkProgress).
    WalkProgress* progress = nullptr;
};

// What removing a folder's contents left behind.
struct FolderRemoval {
    bool complete = true; // everything inside went, removeLast included
    // What stayed, in the order met (several workers may interleave); the
    // folders left only because something in them stayed are not listed.
    // Refused entries are listed up to maxFailedEntries.
    QVector<LeftEntry> left;
    // The error of the first entry the system refused, whatever came after.
    int firstError = 0;

    // The paths left for one reason, sorted.
    QStringList paths(EntryStatus status) const;
    bool has(EntryStatus status) const;
    // Something stayed that the filter did not keep.
    bool leftAnything() const;
};
constexpr int maxFailedEntries = 100;

// Removes everything inside plan.folder, depth first, but not the folder
// itself, and never leaves it: every entry is reached relative to its open
// parent (descriptors on Linux, handles on Windows), a link or junction is
// removed as a link and never entered, another file system is left and
// listed, and no file's mode or attributes are changed by name. What cannot
// be removed stays. A folder that is a link, or cannot be opened, is left
// and counts as not removed; so is one that is not plan.expected (when
// valid).
FolderRemoval removeFolderContents(const WalkPlan& plan);

} // namespace Platform
