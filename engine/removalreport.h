#pragma once

// What the removal decided and did, item by item, told to whoever keeps a
// record of it (the log). The removal runs the same with no one listening.

#include "outcome.h"
#include "removalguard.h"

#include <QString>

namespace appinstaller
{

struct RemovalEvent {
    enum class Kind {
        Location,     // path: the install location as recorded, before anything goes
        Verdict,      // path: that location; verdict: what the guards made of it;
                      // detail: what it rests on, a line each
        Removed,      // path: an item that went
        Kept,         // path: an item that stayed; reason, error
        Scheduled,    // path: an item handed to the system to remove at the next restart
        Manifest,     // path: the install manifest; detail: what became of it
        ManifestLine, // path: the install manifest; detail: a line refused and why
        Note,         // path: what it is about; detail: what became of it
    };
    enum class Item { InstallFolder, InFolder, Shortcut, StartMenuFolder, Entry };

    RemovalEvent() = default;
    RemovalEvent(Kind what, Item which, const QString& where) : kind(what), item(which), path(where)
    {
    }

    Kind kind = Kind::Removed;
    Item item = Item::InstallFolder;
    QString path;
    Engine::LocationVerdict verdict = Engine::LocationVerdict::Empty;
    LeftoverReason reason = LeftoverReason::NotRemoved;
    int error = 0; // the system's error code (errno, Win32 error), 0 when none is known
    QString detail;
};

class RemovalReport
{
public:
    virtual ~RemovalReport() = default;
    // Called on the thread that removes: implementations lock what they share.
    virtual void removalEvent(const RemovalEvent& event) = 0;
};

// The one report the removal tells, or none (null). Events are told one at
// a time; once this returns, the report it replaced is told nothing more.
void setRemovalReport(RemovalReport* report);
void reportRemoval(const RemovalEvent& event);

} // namespace appinstaller
